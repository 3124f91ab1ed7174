// Functions looked up at run time in DLLs of the system folder, for entry points that not every
// Windows has.
#pragma once

#include <windows.h>

namespace vantrel {

// The address of `functionName` in the DLL `dllName` of the system folder; a DLL that has it
// stays loaded for the life of the process. Null where the DLL or the function is missing;
// *failure then holds the reason (a Win32 error as an HRESULT, or E_NOINTERFACE if none).
FARPROC FindSystemFunction(const wchar_t* dllName, const char* functionName, HRESULT* failure);

}  // namespace vantrel
