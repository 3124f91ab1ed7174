// The WMI connection: COM on this thread, process security, the locator, the services of
// ROOT\CIMV2 and their proxy blanket.
#include "probes/wmi_connection.h"

#include <windows.h>
#include <objbase.h>

#include "probes/com_entry_points.h"

namespace vantrel {
namespace {

constexpr ULONGLONG kFirstStatementPatience = 60000;
constexpr ULONGLONG kStatementPatience = 30000;

}  // namespace

// Notes why the open failed; always false.
bool WmiConnection::OpenFailed(HRESULT code) {
  openFailure_ = SUCCEEDED(code) ? E_POINTER : code;
  return false;
}

bool WmiConnection::Open() {
  const ComEntryPoints& com = ComApi();
  Close();
  openFailure_ = S_OK;
  statementsStarted_ = 0;
  troubles_.clear();

  const HRESULT initialised = com.coInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (SUCCEEDED(initialised)) {
    // S_FALSE (already initialised) also counts a share that needs its CoUninitialize.
    holdsComShare_ = true;
  } else if (initialised != RPC_E_CHANGED_MODE) {
    return OpenFailed(initialised);
  }

  const HRESULT security = com.coInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                                    RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
  if (FAILED(security) && security != RPC_E_TOO_LATE) return OpenFailed(security);

  const HRESULT created = com.coCreateInstance(__uuidof(WbemLocator), nullptr, CLSCTX_INPROC_SERVER,
                                               __uuidof(IWbemLocator), locator_.PutVoid());
  if (!locator_.Receive(created)) return OpenFailed(created);

  HRESULT connected;
  {
    const Bstr resource(L"ROOT\\CIMV2");
    // Without the flag a wedged WMI service holds this call for ever.
    connected = locator_->ConnectServer(resource.Get(), nullptr, nullptr, nullptr, WBEM_FLAG_CONNECT_USE_MAX_WAIT,
                                        nullptr, nullptr, services_.Put());
  }
  if (!services_.Receive(connected)) return OpenFailed(connected);
  const HRESULT blanket = com.coSetProxyBlanket(services_.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                                RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
  return SUCCEEDED(blanket) || OpenFailed(blanket);
}

void WmiConnection::Close() {
  services_.Reset();
  locator_.Reset();
  // Only a share this connection took is given back: an extra CoUninitialize would tear down
  // COM under whoever initialised the thread before us (RPC_E_CHANGED_MODE, or no open at all).
  if (holdsComShare_) {
    holdsComShare_ = false;
    ComApi().coUninitialize();
  }
}

ULONGLONG WmiConnection::StartStatement() {
  return statementsStarted_++ == 0 ? kFirstStatementPatience : kStatementPatience;
}

}  // namespace vantrel
