#include "probes/system_function.h"

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

}  // namespace

FARPROC FindSystemFunction(const wchar_t* dllName, const char* functionName, HRESULT* failure) {
  *failure = S_OK;
  std::wstring path;
  if (!SystemFolder(&path)) {
    *failure = LastErrorAsHresult();
    return nullptr;
  }
  // A full path: a DLL of that name planted beside the program or in the current folder is never loaded.
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

}  // namespace vantrel
