// The disks, sound devices and optical drives that SetupAPI lists as present, and what each disk's
// driver tells a standard user of it: no WMI involved.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "probes/disk_health.h"
#include "probes/drive_kind.h"

namespace vantrel {

struct PlatformDisk {
  std::uint32_t number = 0;  // \\.\PhysicalDrive<number>
  std::wstring model;        // the friendly name, else the device description
  std::uint64_t bytes = 0;   // cylinders × tracks × sectors × bytes per sector; 0 without media
  std::wstring interfaceText;  // "IDE", "SCSI", "USB", "1394" or empty, from the bus type
  DriveKind kind = DriveKind::kUnknown;
  DiskHealth health;  // asked only of a drive whose kind is known
};

struct PlatformDiskList {
  std::vector<PlatformDisk> disks;  // in device-number order
  // Disks whose number was read but not their name or size: no line, but their kind and health.
  std::vector<PlatformDisk> partial;
  // S_OK, or the first failure: of the list (nothing after it was read), or of one disk (the
  // others were still read).
  HRESULT failure = S_OK;
};

// Every present disk interface, each opened with access 0.
PlatformDiskList ReadPlatformDisks();

struct DeviceNames {
  std::vector<std::wstring> names;  // in enumeration order
  HRESULT failure = S_OK;           // as for the disks
};

// The present devices of the MEDIA setup class, and the present CD-ROM interfaces: the friendly
// name of each, else its device description.
DeviceNames ReadSoundDeviceNames();
DeviceNames ReadOpticalDriveNames();

}  // namespace vantrel
