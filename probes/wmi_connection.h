// The process-wide connection to WMI's ROOT\CIMV2 namespace on the local computer.
#pragma once

#include <wbemcli.h>

namespace vantrel {

// Prepares COM on this thread, sets process security, connects and sets the proxy blanket.
// False when a step failed; what the earlier steps obtained stays held until the close.
bool OpenWmiConnection();

// Releases the services, then the locator, and gives back this thread's share of COM.
void CloseWmiConnection();

// The connection's services (null when not connected) and locator; the connection keeps
// the references.
IWbemServices* WmiServices();
IWbemLocator* WmiLocator();

}  // namespace vantrel
