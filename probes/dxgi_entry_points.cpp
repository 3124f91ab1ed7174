// The DXGI entry point table. dxgi.dll is not imported: a Windows without DXGI must still
// start the program and simply show no graphics adapters.
#include "probes/dxgi_entry_points.h"

#include "probes/system_function.h"

namespace vantrel {

namespace {

using CreateDxgiFactory1Function = HRESULT(WINAPI*)(REFIID iid, void** factory);

struct ResolvedEntry {
  CreateDxgiFactory1Function function = nullptr;
  HRESULT failure = S_OK;
};

// Loading is tried once: the DLL does not appear while the program runs, and a loaded DLL is
// never unloaded, so the address stays good for every later call.
const ResolvedEntry& CreateDxgiFactory1Entry() {
  static const ResolvedEntry entry = [] {
    ResolvedEntry resolved;
    const FARPROC address = FindSystemFunction(L"dxgi.dll", "CreateDXGIFactory1", &resolved.failure);
    // A FARPROC is a generic function address; the exported function has this signature.
    resolved.function =
        reinterpret_cast<CreateDxgiFactory1Function>(reinterpret_cast<void*>(address));
    return resolved;
  }();
  return entry;
}

HRESULT WINAPI CreateDxgiFactory1FromSystem(REFIID iid, void** factory) {
  if (factory == nullptr) return E_POINTER;
  *factory = nullptr;
  const ResolvedEntry& entry = CreateDxgiFactory1Entry();
  if (entry.function == nullptr) return entry.failure;
  return entry.function(iid, factory);
}

}  // namespace

const DxgiEntryPoints& RealDxgiApi() {
  static const DxgiEntryPoints real{&CreateDxgiFactory1FromSystem};
  return real;
}

DxgiEntryPoints& DxgiApi() {
  static DxgiEntryPoints live = RealDxgiApi();
  return live;
}

}  // namespace vantrel
