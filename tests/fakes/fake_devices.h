// Scripted devices behind DeviceApi() while a FakeDevices lives: one disk answering for every
// \\.\PhysicalDrive<n>, battery interfaces in enumeration order, the paths opened, and the handles
// and lists not given back. A drive opened with more than access 0, a battery not opened for
// reading, a waiting tag query or an unsized detail buffer is refused, as Windows would.
#pragma once

#include <string>
#include <vector>

#include "fakes/scoped_table.h"
#include "probes/device_entry_points.h"

namespace vantrel::testing {

struct FakeDisk {
  DWORD openError = 0, busType = 11;  // SATA
  int seekPenalty = 0;  // 1 or 0; -1: not supported, as under Wine
  DWORD deviceBytes = 40, seekSize = 12;  // the device answer's returned count; the seek descriptor's Size
};

struct FakeBattery {
  ULONG designed = 50000, full = 40000, cycles = 0, capabilities = 0x80000000;  // BATTERY_SYSTEM_BATTERY
  ULONG tag = 7, openError = 0, infoBytes = 36;  // tag 0: an empty bay
};

struct FakeDevices {
  FakeDevices();
  ~FakeDevices();
  FakeDisk disk;
  std::vector<FakeBattery> batteries;
  DWORD listError = 0, endError = ERROR_NO_MORE_ITEMS;  // of SetupDiGetClassDevsW; past the last battery
  std::vector<std::wstring> opened;
  int openNow = 0;
  ScopedTable<DeviceEntryPoints> table;
};

}  // namespace vantrel::testing
