// A drive's own account of its use and wear, as its driver passes it to a standard user: the NVMe
// SMART / health log, or the SMART data and failure prediction of a SATA or ATA drive.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

namespace vantrel {

struct DiskHealth {
  std::optional<std::uint64_t> powerOnHours;
  std::optional<unsigned> percentUsed;  // NVMe only, as the drive reports it: it may pass 100
  bool predictsFailure = false;
};

// One question to an open drive (access 0 serves) on the bus that its driver gave, a STORAGE_BUS_TYPE
// value: NVMe (0x11) for its health log, SATA (0x0B) and ATA (0x03) for their failure prediction.
// Nothing is known where that question fails or answers short, and a drive on any other bus is not asked.
DiskHealth QueryDiskHealth(HANDLE drive, DWORD busType);

}  // namespace vantrel
