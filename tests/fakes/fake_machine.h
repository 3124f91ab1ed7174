// A whole scripted machine: WMI, DXGI and the devices behind the pass, so that a test of the pass
// or of a window never asks the real platform by accident. Its disks say no kind and it has no
// battery, as under Wine, until a test scripts them.
#pragma once

#include "fakes/fake_devices.h"
#include "fakes/fake_dxgi.h"
#include "fakes/fake_wmi.h"

namespace vantrel::testing {

struct FakeMachine {
  FakeMachine() { devices.disk.seekPenalty = -1; }

  FakeWmi wmi;
  FakeDxgi dxgi;
  FakeDevices devices;
};

}  // namespace vantrel::testing
