// A whole scripted machine: WMI, DXGI and the devices behind the pass, so that a test of the pass
// or of a window never asks the real platform by accident. Until a test scripts them, its disks
// say no kind, it has no battery, and of the platform's own sources none answers: what it shows
// is WMI's, as on a machine whose second reading finds nothing.
#pragma once

#include "fakes/fake_devices.h"
#include "fakes/fake_dxgi.h"
#include "fakes/fake_wmi.h"
#include "fakes/smbios_tables.h"

namespace vantrel::testing {

struct FakeMachine {
  FakeMachine() {
    devices.disk.seekPenalty = -1;
    devices.deviceListError = devices.firmwareError = devices.memoryError = ERROR_NOT_SUPPORTED;
  }

  // The platform's own sources answer as a desktop's: the worked example's machine where its
  // facts have a second source (its disk says no kind), with the desktop firmware table's board
  // and modules.
  void AnswerFromThePlatform() {
    devices.deviceListError = devices.firmwareError = devices.memoryError = 0;
    const std::wstring os = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\";
    devices.registry = {{os + L"ProductName", FakeDevices::Text(L"Windows 10 Pro")},
                        {os + L"CurrentBuildNumber", FakeDevices::Text(L"19045")},
                        {L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0\\ProcessorNameString",
                         FakeDevices::Text(L"Example 6-Core Processor")}};
    devices.totalMemory = 17113022464;
    devices.firmwareTable = smbios::Blob(smbios::kDesktop);
    FakeDisk disk;
    disk.seekPenalty = -1, disk.names.friendlyName = L"SSD Model 500";
    devices.disks = {{0, disk}};
    devices.sounds = {{L"Audio Device A", L"HD Audio"}};
    devices.cdroms = {{L"", L"DVD-RW Drive"}};
  }

  FakeWmi wmi;
  FakeDxgi dxgi;
  FakeDevices devices;
};

}  // namespace vantrel::testing
