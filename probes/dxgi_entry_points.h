// The DXGI entry point, in a table that tests can fill with a fake. By default it loads
// dxgi.dll from the system folder at run time, so the program starts where DXGI is missing.
#pragma once

#include <windows.h>

namespace vantrel {

struct DxgiEntryPoints {
  HRESULT(WINAPI* createDxgiFactory1)(REFIID iid, void** factory);
};

DxgiEntryPoints& DxgiApi();
const DxgiEntryPoints& RealDxgiApi();

// The address of `functionName` in the DLL `dllName` of the system folder; a DLL that has it
// stays loaded for the life of the process. Null where the DLL or the function is missing;
// *failure then holds the reason (a Win32 error as an HRESULT, or E_NOINTERFACE if none).
FARPROC FindSystemFunction(const wchar_t* dllName, const char* functionName, HRESULT* failure);

}  // namespace vantrel
