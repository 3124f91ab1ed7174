// The process-wide connection to WMI's ROOT\CIMV2 namespace on the local computer.
#pragma once

#include <wbemcli.h>

#include <string>
#include <vector>

namespace vantrel {

// Prepares COM on this thread, sets process security, connects (Windows gives up after two
// minutes at most) and sets the proxy blanket. False when a step failed, with that step's code in
// WmiOpenFailure(); what the earlier steps obtained stays held until the close.
bool OpenWmiConnection();

// The code of the step that made the last open fail (a step that succeeded without handing over
// its object counts as E_POINTER); S_OK after an open that succeeded.
HRESULT WmiOpenFailure();

// Releases the services, then the locator, and gives back this thread's share of COM.
void CloseWmiConnection();

// The connection's services (null when not connected) and locator; the connection keeps
// the references.
IWbemServices* WmiServices();
IWbemLocator* WmiLocator();

// Called as each statement starts: how long, in milliseconds, it may go without a new object
// before it is given up. A cold WMI loads its providers for the first statement after the open,
// which may take 60 s; every later one gets 30 s.
ULONGLONG StartWmiStatement();

// A statement that did not end well: WBEM_S_TIMEDOUT when WMI gave it no answer in time, else the
// failure code WMI answered with.
struct WmiTrouble {
  std::wstring statement;
  HRESULT code;
};
void NoteWmiTrouble(const std::wstring& statement, HRESULT code);
// Since the open, in the order they were noted.
const std::vector<WmiTrouble>& WmiTroubles();

}  // namespace vantrel
