// The health of the system's batteries, as their class driver tells a standard user.
#pragma once

#include <windows.h>

#include <vector>

namespace vantrel {

struct BatteryHealth {
  unsigned long designedCapacity = 0;     // mWh
  unsigned long fullChargedCapacity = 0;  // mWh
  unsigned long cycleCount = 0;           // 0 where the battery does not count them
};

struct BatteryReading {
  std::vector<BatteryHealth> batteries;  // in enumeration order
  // S_OK, or the first failure: of the enumeration (nothing after it was read), or of one battery
  // device (the others were still read). Either way the batteries listed are true.
  HRESULT failure = S_OK;
};

// Every system battery that gives both capacities in mWh. A UPS (a system battery that is also
// short-term), a battery whose capacities are relative or unknown, and an empty battery bay are
// left out without a failure.
BatteryReading ReadBatteries();

}  // namespace vantrel
