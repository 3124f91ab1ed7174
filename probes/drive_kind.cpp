// Asks the driver of \\.\PhysicalDrive<n> for the bus type and then the seek penalty. Both are
// IOCTL_STORAGE_QUERY_PROPERTY questions, which need no rights on the drive, so it is opened with
// access 0 and a standard user gets an answer.
#include "probes/drive_kind.h"

#include <windows.h>
#include <winioctl.h>

#include <cstddef>
#include <optional>

#include "probes/device_entry_points.h"

namespace vantrel {

namespace {

// The bus types that settle the kind on their own (STORAGE_BUS_TYPE values: older headers lack
// the later names). Every other bus leaves it to the seek penalty.
struct BusRule {
  DWORD busType;
  DriveKind kind;
};
constexpr BusRule kBusRules[] = {
    {0x11, DriveKind::kNvmeSsd},  // NVMe
    // These describe an adapter, an enclosure or a volume, not the drive: no kind is said.
    {0x07, DriveKind::kUnknown},  // USB
    {0x08, DriveKind::kUnknown},  // RAID
    {0x0E, DriveKind::kUnknown},  // Virtual
    {0x0F, DriveKind::kUnknown},  // FileBackedVirtual
    {0x10, DriveKind::kUnknown},  // Spaces
};

static_assert(StorageDeviceSeekPenaltyProperty == 7, "the documented property id");

}  // namespace

std::optional<DWORD> DriveNumberOf(const std::wstring& text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  unsigned long long number = 0;
  for (const wchar_t digit : text) {
    if (digit < L'0' || digit > L'9') return std::nullopt;
    number = number * 10 + static_cast<unsigned>(digit - L'0');
  }
  if (number >= 0xFFFFFFFFull) return std::nullopt;
  return static_cast<DWORD>(number);
}

namespace {

// A standard query for one property. Trusted only where both the returned count and the
// descriptor's own Size reach the end of the field read, `fieldEnd` bytes from its start.
template <class Descriptor>
bool QueryProperty(HANDLE drive, STORAGE_PROPERTY_ID property, Descriptor* answer, std::size_t fieldEnd) {
  STORAGE_PROPERTY_QUERY query{};
  query.PropertyId = property;
  query.QueryType = PropertyStandardQuery;
  *answer = Descriptor{};
  const DWORD needed = static_cast<DWORD>(fieldEnd);
  return AskDevice(drive, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, answer, sizeof *answer, needed) &&
         answer->Size >= needed;
}

}  // namespace

std::optional<DWORD> BusTypeOf(HANDLE drive) {
  STORAGE_DEVICE_DESCRIPTOR device;
  if (!QueryProperty(drive, StorageDeviceProperty, &device,
                     offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) + sizeof device.BusType)) {
    return std::nullopt;
  }
  return static_cast<DWORD>(device.BusType);
}

DriveKind KindOf(HANDLE drive, DWORD busType) {
  for (const BusRule& rule : kBusRules) {
    if (rule.busType == busType) return rule.kind;
  }
  DEVICE_SEEK_PENALTY_DESCRIPTOR seek;
  if (!QueryProperty(drive, StorageDeviceSeekPenaltyProperty, &seek,
                     offsetof(DEVICE_SEEK_PENALTY_DESCRIPTOR, IncursSeekPenalty) + sizeof seek.IncursSeekPenalty)) {
    return DriveKind::kUnknown;
  }
  return seek.IncursSeekPenalty ? DriveKind::kHdd : DriveKind::kSsd;
}

DriveKind QueryDriveKind(const std::wstring& wmiIndex) {
  const std::optional<DWORD> number = DriveNumberOf(wmiIndex);
  if (!number) return DriveKind::kUnknown;
  const UniqueDeviceHandle drive = OpenDevice(L"\\\\.\\PhysicalDrive" + std::to_wstring(*number), 0);
  if (!drive) return DriveKind::kUnknown;
  const std::optional<DWORD> busType = BusTypeOf(drive.get());
  return busType ? KindOf(drive.get(), *busType) : DriveKind::kUnknown;
}

}  // namespace vantrel
