#include "app/program_start.h"

#include "probes/system_function.h"

namespace vantrel {

const DllSearchEntryPoints& RealDllSearchApi() {
  static const DllSearchEntryPoints real = [] {
    HRESULT failure = S_OK;  // a missing function is the Windows 7 case the caller handles
    const FARPROC setDefaults = FindSystemFunction(L"kernel32.dll", "SetDefaultDllDirectories", &failure);
    return DllSearchEntryPoints{reinterpret_cast<BOOL(WINAPI*)(DWORD)>(reinterpret_cast<void*>(setDefaults)),
                                &::SetDllDirectoryW};
  }();
  return real;
}

DllSearchEntryPoints& DllSearchApi() {
  static DllSearchEntryPoints live = RealDllSearchApi();
  return live;
}

void LoadDllsFromSystemFolderOnly() {
  const DllSearchEntryPoints& api = DllSearchApi();
  constexpr DWORD kSystemFolderOnly = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  if (api.setDefaultDllDirectories != nullptr && api.setDefaultDllDirectories(kSystemFolderOnly)) return;
  api.setDllDirectory(L"");
}

void SayWhyStopped(std::FILE* reasons, const char* program, const char* why) {
  if (reasons == nullptr) return;
  std::fprintf(reasons, "%s: stopped: %s\n", program, why);
  std::fflush(reasons);
}

}  // namespace vantrel
