// The COM entry points that the WMI connection calls, and the clock its waits are measured on,
// gathered in one table that tests can fill with fakes; by default it holds the real functions
// of ole32 and kernel32.
#pragma once

#include <windows.h>
#include <objbase.h>

namespace vantrel {

struct ComEntryPoints {
  HRESULT(WINAPI* coInitializeEx)(LPVOID reserved, DWORD coInit);
  HRESULT(WINAPI* coInitializeSecurity)(PSECURITY_DESCRIPTOR descriptor, LONG authServiceCount,
                                        SOLE_AUTHENTICATION_SERVICE* authServices, void* reserved1,
                                        DWORD authnLevel, DWORD impLevel, void* authList,
                                        DWORD capabilities, void* reserved3);
  HRESULT(WINAPI* coCreateInstance)(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid,
                                    LPVOID* object);
  HRESULT(WINAPI* coSetProxyBlanket)(IUnknown* proxy, DWORD authnService, DWORD authzService,
                                     OLECHAR* serverPrincipal, DWORD authnLevel, DWORD impLevel,
                                     RPC_AUTH_IDENTITY_HANDLE authInfo, DWORD capabilities);
  void(WINAPI* coUninitialize)();
  ULONGLONG(WINAPI* getTickCount64)();  // milliseconds; a test's fake WMI moves it as it waits
};

// The table in use.
ComEntryPoints& ComApi();
// The table of the real ole32 functions.
const ComEntryPoints& RealComApi();

}  // namespace vantrel
