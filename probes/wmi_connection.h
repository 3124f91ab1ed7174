// The process-wide connection to WMI's ROOT\CIMV2 namespace on the local computer.
#pragma once

#include <wbemcli.h>

#include <string>
#include <vector>

namespace vantrel {

// Prepares COM on this thread, sets process security, connects (Windows gives up after two
// minutes at most) and sets the proxy blanket. False when a step failed; what the earlier steps
// obtained stays held until the close. The open also starts the clock of WmiNextWait.
bool OpenWmiConnection();

// Releases the services, then the locator, and gives back this thread's share of COM.
void CloseWmiConnection();

// The connection's services (null when not connected) and locator; the connection keeps
// the references.
IWbemServices* WmiServices();
IWbemLocator* WmiLocator();

// How long, in milliseconds, the next wait for a WMI object may last: a stuck provider must not
// hold the window back for ever, and a slow machine must still get every line. At most 20 s each,
// and no more than is left of 45 s counted from the open; once those are spent, 1 s each, so a
// WMI that recovers still answers.
LONG WmiNextWait();

// The statements that got no answer in time since the open, in the order they were noted.
void NoteWmiTimeOut(const std::wstring& statement);
const std::vector<std::wstring>& WmiTimedOutStatements();

}  // namespace vantrel
