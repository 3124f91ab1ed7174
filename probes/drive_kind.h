// Whether a physical drive is a hard disk, an SSD or an NVMe SSD, as its driver tells a
// standard user.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace vantrel {

enum class DriveKind { kUnknown, kHdd, kSsd, kNvmeSsd };

// The kind of the drive whose device number is `wmiIndex`, the text of Win32_DiskDrive.Index.
// kUnknown without a call where the text is no device number (empty, not plain decimal digits, or
// 4294967295: no physical drive); kUnknown too where the drive cannot be opened, a query fails or
// answers short, or the bus (USB, RAID, virtual, Spaces) describes an adapter or a volume rather
// than the drive behind it.
DriveKind QueryDriveKind(const std::wstring& wmiIndex);

// The device number that a text of Win32_DiskDrive.Index names: plain decimal digits below
// 0xFFFFFFFF, which marks a row without a physical drive.
std::optional<DWORD> DriveNumberOf(const std::wstring& wmiIndex);
// The bus type (a STORAGE_BUS_TYPE) that the driver of an open drive gives; none where it does not.
std::optional<DWORD> BusTypeOf(HANDLE drive);
// The kind of an open drive on that bus.
DriveKind KindOf(HANDLE drive, DWORD busType);

}  // namespace vantrel
