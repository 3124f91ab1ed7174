// The DXGI entry point table. dxgi.dll is not imported: a Windows without DXGI must still
// start the program and simply show no graphics adapters.
#include "probes/dxgi_entry_points.h"

#include <string>
#include <utility>

namespace vantrel {

namespace {

// The failure to report for a Win32 call that has just failed.
HRESULT LastErrorAsHresult() {
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_NOINTERFACE;
}

// The system folder, whatever its length.
bool SystemFolder(std::wstring* folder) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const UINT length = GetSystemDirectoryW(&buffer[0], static_cast<UINT>(buffer.size()));
    if (length == 0) return false;
    if (length < buffer.size()) {
      buffer.resize(length);
      *folder = std::move(buffer);
      return true;
    }
    // Too small: the answer is the size needed, terminating NUL included.
    buffer.resize(length);
  }
}

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

FARPROC FindSystemFunction(const wchar_t* dllName, const char* functionName, HRESULT* failure) {
  *failure = S_OK;
  std::wstring path;
  if (!SystemFolder(&path)) {
    *failure = LastErrorAsHresult();
    return nullptr;
  }
  // A full path: a dxgi.dll planted beside the program or in the current folder is never loaded.
  path += L'\\';
  path += dllName;
  const HMODULE module = LoadLibraryW(path.c_str());
  if (module == nullptr) {
    *failure = LastErrorAsHresult();
    return nullptr;
  }
  const FARPROC address = GetProcAddress(module, functionName);
  if (address == nullptr) {
    *failure = LastErrorAsHresult();
    // Of no use without the function; only a DLL that gave it stays loaded.
    FreeLibrary(module);
    return nullptr;
  }
  return address;
}

const DxgiEntryPoints& RealDxgiApi() {
  static const DxgiEntryPoints real{&CreateDxgiFactory1FromSystem};
  return real;
}

DxgiEntryPoints& DxgiApi() {
  static DxgiEntryPoints live = RealDxgiApi();
  return live;
}

}  // namespace vantrel
