// A stand-in dxgi.dll for the end-to-end tests: DXGI is there, but it gives no factory, as on a
// machine whose graphics stack is broken or too old. The tests put it in the system folder.
#include <windows.h>

// Every caller must see a null factory beside the failure, not whatever it left in the pointer.
static HRESULT RefuseFactory(void** factory) {
  if (factory != nullptr) *factory = nullptr;
  return DXGI_ERROR_UNSUPPORTED;
}

// The export names come from the .def file, undecorated on every architecture.
extern "C" {

HRESULT WINAPI CreateDXGIFactory(REFIID, void** factory) { return RefuseFactory(factory); }

HRESULT WINAPI CreateDXGIFactory1(REFIID, void** factory) { return RefuseFactory(factory); }

HRESULT WINAPI CreateDXGIFactory2(UINT, REFIID, void** factory) { return RefuseFactory(factory); }

}  // extern "C"
