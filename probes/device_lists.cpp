// Lists devices through SetupAPI and asks each disk's driver three questions that need no rights
// on the disk, so it is opened with access 0: its device number, its geometry and its bus type
// (with the seek penalty for its kind).
#include "probes/device_lists.h"

#include <setupapi.h>
#include <winioctl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>

#include "probes/device_entry_points.h"

namespace vantrel {

namespace {

constexpr GUID kDiskInterface = {0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
constexpr GUID kCdromInterface = {0x53F56308, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
constexpr GUID kMediaClass = {0x4D36E96C, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

// The interface texts of Win32_DiskDrive, by bus type (STORAGE_BUS_TYPE values: older headers
// lack the later names); every other bus gets an empty text.
struct BusText {
  DWORD busType;
  const wchar_t* text;
};
constexpr BusText kBusTexts[] = {
    {0x03, L"IDE"},  {0x0B, L"IDE"},  // ATA, SATA
    {0x01, L"SCSI"}, {0x0A, L"SCSI"}, {0x08, L"SCSI"}, {0x11, L"SCSI"},  // SCSI, SAS, RAID, NVMe
    {0x07, L"USB"},  {0x04, L"1394"},
};

const wchar_t* InterfaceTextOf(DWORD busType) {
  for (const BusText& bus : kBusTexts) {
    if (bus.busType == busType) return bus.text;
  }
  return L"";
}

// The device's friendly name, else its description: text up to its NUL, never past what the call
// said it wrote; none where it has neither. An empty text is no name: the description follows.
std::optional<std::wstring> NameOf(HDEVINFO list, SP_DEVINFO_DATA* device) {
  for (const DWORD property : {static_cast<DWORD>(SPDRP_FRIENDLYNAME), static_cast<DWORD>(SPDRP_DEVICEDESC)}) {
    wchar_t text[512];
    DWORD type = 0, required = 0;
    if (!DeviceApi().setupDiGetDeviceRegistryPropertyW(list, device, property, &type, reinterpret_cast<BYTE*>(text),
                                                       sizeof text, &required) ||
        type != REG_SZ || required > sizeof text) {
      continue;
    }
    const std::size_t units = required / sizeof(wchar_t);
    std::wstring name(text, std::find(text, text + units, L'\0'));
    if (!name.empty()) return name;
  }
  return std::nullopt;
}

HRESULT Named(HDEVINFO list, SP_DEVINFO_DATA* device, std::vector<std::wstring>* names) {
  std::optional<std::wstring> name = NameOf(list, device);
  if (!name) return FailureOfLastCall();
  names->push_back(std::move(*name));
  return S_OK;
}

// The size as WMI computes it, saturating rather than wrapping on absurd figures.
std::uint64_t GeometryBytes(const DISK_GEOMETRY& geometry) {
  std::uint64_t bytes = geometry.Cylinders.QuadPart > 0 ? static_cast<std::uint64_t>(geometry.Cylinders.QuadPart) : 0;
  for (const std::uint64_t factor : {std::uint64_t{geometry.TracksPerCylinder}, std::uint64_t{geometry.SectorsPerTrack},
                                     std::uint64_t{geometry.BytesPerSector}}) {
    bytes = factor != 0 && bytes > UINT64_MAX / factor ? UINT64_MAX : bytes * factor;
  }
  return bytes;
}

// Marks a disk whose device number could not be read.
constexpr std::uint32_t kNoNumber = 0xFFFFFFFF;

// One disk: its number, then its bus and geometry. A drive without media (a card reader) answers
// the geometry with "not ready", and counts as 0 bytes, as WMI shows it.
HRESULT AskDisk(const std::wstring& path, PlatformDisk* disk) {
  const UniqueDeviceHandle drive = OpenDevice(path, 0);
  if (!drive) return FailureOfLastCall();
  STORAGE_DEVICE_NUMBER number{};
  if (!AskDevice(drive.get(), IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number, sizeof number, sizeof number)) {
    return FailureOfLastCall();
  }
  disk->number = number.DeviceNumber;
  // The bus first, so that a disk whose size cannot be read still says its kind.
  if (const std::optional<DWORD> busType = BusTypeOf(drive.get())) {
    disk->interfaceText = InterfaceTextOf(*busType);
    disk->kind = KindOf(drive.get(), *busType);
    // A bus that hides the drive's kind (USB, RAID) hides its health too.
    if (disk->kind != DriveKind::kUnknown) disk->health = QueryDiskHealth(drive.get(), *busType);
  }
  // DISK_GEOMETRY_EX: the geometry, the disk size, then data of the driver's; only the first is read.
  alignas(8) BYTE answer[256] = {};
  if (AskDevice(drive.get(), IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, nullptr, 0, answer, sizeof answer,
                sizeof(DISK_GEOMETRY))) {
    DISK_GEOMETRY geometry;
    std::memcpy(&geometry, answer, sizeof geometry);
    disk->bytes = GeometryBytes(geometry);
  } else if (GetLastError() != ERROR_NOT_READY && GetLastError() != ERROR_NO_MEDIA_IN_DRIVE) {
    return FailureOfLastCall();
  }
  return S_OK;
}

}  // namespace

PlatformDiskList ReadPlatformDisks() {
  PlatformDiskList read;
  read.failure = EachInterface(kDiskInterface, [&read](HDEVINFO list, SP_DEVINFO_DATA* device, const std::wstring& path) {
    PlatformDisk disk;
    const std::optional<std::wstring> model = NameOf(list, device);
    HRESULT asked = model ? S_OK : FailureOfLastCall();
    disk.number = kNoNumber;
    const HRESULT answered = AskDisk(path, &disk);
    if (SUCCEEDED(asked)) asked = answered;
    if (SUCCEEDED(asked)) {
      disk.model = *model;
      read.disks.push_back(std::move(disk));
    } else if (disk.number != kNoNumber) {
      read.partial.push_back(std::move(disk));
    }
    return asked;
  });
  std::stable_sort(read.disks.begin(), read.disks.end(),
                   [](const PlatformDisk& a, const PlatformDisk& b) { return a.number < b.number; });
  return read;
}

DeviceNames ReadOpticalDriveNames() {
  DeviceNames read;
  read.failure = EachInterface(kCdromInterface, [&read](HDEVINFO list, SP_DEVINFO_DATA* device, const std::wstring&) {
    return Named(list, device, &read.names);
  });
  return read;
}

DeviceNames ReadSoundDeviceNames() {
  DeviceNames read;
  const UniqueDeviceInfoList list = PresentDevices(kMediaClass, false, &read.failure);
  if (!list) return read;
  for (DWORD index = 0;; ++index) {
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    if (!DeviceApi().setupDiEnumDeviceInfo(list.get(), index, &device)) {
      if (GetLastError() != ERROR_NO_MORE_ITEMS && read.failure == S_OK) read.failure = FailureOfLastCall();
      return read;
    }
    const HRESULT named = Named(list.get(), &device, &read.names);
    if (FAILED(named) && read.failure == S_OK) read.failure = named;
  }
}

}  // namespace vantrel
