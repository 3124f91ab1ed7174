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

}  // namespace vantrel
