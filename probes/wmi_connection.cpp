// The process-wide WMI connection: COM on this thread, process security, the locator, the
// services of ROOT\CIMV2 and their proxy blanket.
#include "probes/wmi_connection.h"

#include <windows.h>
#include <objbase.h>

#include "probes/com_entry_points.h"
#include "probes/com_ptr.h"

namespace vantrel {
namespace {

struct Connection {
  ComPtr<IWbemLocator> locator;
  ComPtr<IWbemServices> services;
  // Whether an open's CoInitializeEx took a share of COM that the close must give back.
  bool holdsComShare = false;
  HRESULT openFailure = S_OK;
  int statementsStarted = 0;
  std::vector<WmiTrouble> troubles;
};

constexpr ULONGLONG kFirstStatementPatience = 60000;
constexpr ULONGLONG kStatementPatience = 30000;

Connection& TheConnection() {
  // Never destroyed: a connection left half-open lives until the process ends, and releasing
  // its proxies from a static destructor would call into COM after the runtime began unloading.
  static Connection* connection = new Connection();
  return *connection;
}

// Notes why the open failed; always false.
bool OpenFailed(HRESULT code) {
  TheConnection().openFailure = SUCCEEDED(code) ? E_POINTER : code;
  return false;
}

}  // namespace

bool OpenWmiConnection() {
  Connection& connection = TheConnection();
  const ComEntryPoints& com = ComApi();
  connection.openFailure = S_OK;
  connection.statementsStarted = 0;
  connection.troubles.clear();

  const HRESULT initialised = com.coInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (SUCCEEDED(initialised)) {
    // S_FALSE (already initialised) also counts a share that needs its CoUninitialize.
    connection.holdsComShare = true;
  } else if (initialised != RPC_E_CHANGED_MODE) {
    return OpenFailed(initialised);
  }

  const HRESULT security = com.coInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                                    RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
  if (FAILED(security) && security != RPC_E_TOO_LATE) return OpenFailed(security);

  const HRESULT created = com.coCreateInstance(__uuidof(WbemLocator), nullptr, CLSCTX_INPROC_SERVER,
                                               __uuidof(IWbemLocator), connection.locator.PutVoid());
  if (!connection.locator.Receive(created)) return OpenFailed(created);

  HRESULT connected;
  {
    const Bstr resource(L"ROOT\\CIMV2");
    // Without the flag a wedged WMI service holds this call for ever.
    connected = connection.locator->ConnectServer(resource.Get(), nullptr, nullptr, nullptr,
                                                  WBEM_FLAG_CONNECT_USE_MAX_WAIT, nullptr, nullptr,
                                                  connection.services.Put());
  }
  if (!connection.services.Receive(connected)) return OpenFailed(connected);
  const HRESULT blanket =
      com.coSetProxyBlanket(connection.services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                            RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
  return SUCCEEDED(blanket) || OpenFailed(blanket);
}

HRESULT WmiOpenFailure() { return TheConnection().openFailure; }

void CloseWmiConnection() {
  Connection& connection = TheConnection();
  connection.services.Reset();
  connection.locator.Reset();
  // Only a share this connection took is given back: an extra CoUninitialize would tear down
  // COM under whoever initialised the thread before us (RPC_E_CHANGED_MODE, or no open at all).
  if (connection.holdsComShare) {
    connection.holdsComShare = false;
    ComApi().coUninitialize();
  }
}

IWbemServices* WmiServices() { return TheConnection().services.Get(); }

IWbemLocator* WmiLocator() { return TheConnection().locator.Get(); }

ULONGLONG StartWmiStatement() {
  return TheConnection().statementsStarted++ == 0 ? kFirstStatementPatience : kStatementPatience;
}

void NoteWmiTrouble(const std::wstring& statement, HRESULT code) {
  TheConnection().troubles.push_back(WmiTrouble{statement, code});
}

const std::vector<WmiTrouble>& WmiTroubles() { return TheConnection().troubles; }

}  // namespace vantrel
