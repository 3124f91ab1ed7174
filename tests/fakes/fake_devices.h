// Scripted devices behind DeviceApi() while a FakeDevices lives: one disk for every
// \\.\PhysicalDrive<n> or one for each number listed, battery interfaces in enumeration order, the
// paths opened, and the handles and lists not given back. What Windows refuses (a drive opened with
// more than access 0, a battery not opened for reading, a waiting tag query, an unsized detail
// buffer, a cbSize other than the documented one, another interface class) is refused.
#pragma once

#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "fakes/scoped_table.h"
#include "probes/device_entry_points.h"

namespace vantrel::testing {

// A device as SetupAPI lists it; an empty name is one it does not have.
struct FakeNamedDevice {
  std::wstring friendlyName, description;
};

struct FakeDisk {
  DWORD openError = 0, busType = 11;      // SATA
  int seekPenalty = 0;                    // 1 or 0; -1: not supported, as under Wine
  DWORD deviceBytes = 40, seekSize = 12;  // the device answer's returned count; the seek descriptor's Size
  // As SetupAPI lists it: its names, and its geometry (500,105,249,280 bytes; an error: no answer).
  FakeNamedDevice names{L"Fake Disk", L"Disk drive"};
  LONGLONG cylinders = 60801;
  DWORD geometryError = 0;
  // Its health: the log's or SMART data's nonzero bytes, PredictFailure, the error, the count returned (0: all).
  struct Health { std::map<int, int> bytes; DWORD predictFailure = 0, error = 0, answerBytes = 0, logOffset = 40; } health{};
};

struct FakeBattery {
  ULONG designed = 50000, full = 40000, cycles = 0, capabilities = 0x80000000;  // BATTERY_SYSTEM_BATTERY
  ULONG tag = 7, openError = 0, infoBytes = 36;                                 // tag 0: an empty bay
  DWORD emptyError = ERROR_FILE_NOT_FOUND;  // how an empty bay answers; 0: with tag 0 itself
};

// Handles are tokens: the disk kDisk, battery i kFirstBattery + i, the list kList.
struct FakeDevices {
  FakeDevices() { active = this; }
  ~FakeDevices() { active = nullptr; }

  FakeDisk disk;                    // behind every drive number while `disks` is empty
  std::map<DWORD, FakeDisk> disks;  // else the drives there are: another number is not found
  const FakeDisk* drive = nullptr;  // the one opened last
  std::vector<FakeBattery> batteries;
  DWORD listError = 0, endError = ERROR_NO_MORE_ITEMS;  // of SetupDiGetClassDevsW; past the last battery
  std::vector<std::wstring> opened;
  int openNow = 0;

  inline static FakeDevices* active = nullptr;
  inline static const std::wstring kBatteryPath = L"\\\\?\\acpi#battery#", kDrivePath = L"\\\\.\\PhysicalDrive",
                                   kDiskPath = L"\\\\?\\scsi#disk#", kCdromPath = L"\\\\?\\scsi#cdrom#";
  // cbSize as documented, not as this build's headers give it: SetupAPI packs them in a 32-bit build.
  // An interface's data and a device's have the same size.
  static constexpr DWORD kInterfaceDataSize = sizeof(void*) == 8 ? 32 : 28, kDevInfoSize = kInterfaceDataSize,
                         kDetailSize = sizeof(void*) == 8 ? 8 : 6;
  static constexpr std::uintptr_t kDisk = 0x100, kFirstBattery = 0x200, kList = 0x300;
  ScopedTable<DeviceEntryPoints> table{DeviceApi(),
                                       {&Open, &Ask, &GiveBack, &List, &Enumerate, &Detail, &GiveBack, &Firmware, &OpenKey,
                                        &QueryValue, &CloseKey, &System, &Memory, &EnumerateDevices, &Property}};

  static BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
  }

  // Copies what fits and claims `returned` bytes of it.
  static BOOL Answer(const void* bytes, DWORD size, DWORD returned, void* out, DWORD outSize, DWORD* claimed) {
    std::memcpy(out, bytes, std::min(size, outSize));
    *claimed = std::min(returned, outSize);
    return TRUE;
  }

  // A disk is opened by its drive number or by its interface path.
  static HANDLE WINAPI Open(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD how, DWORD, HANDLE) {
    active->opened.push_back(path);
    const std::wstring* prefix = &kBatteryPath;
    for (const std::wstring* diskPath : {&kDrivePath, &kDiskPath}) {
      if (active->opened.back().rfind(*diskPath, 0) == 0) prefix = diskPath;
    }
    const bool disk = prefix != &kBatteryPath;
    const std::size_t number = std::wcstoul(path + prefix->size(), nullptr, 10);
    if (disk) active->drive = active->DiskAt(static_cast<DWORD>(number)), active->driveNumber = static_cast<DWORD>(number);
    DWORD error = !disk ? active->batteries.at(number).openError
                        : active->drive != nullptr ? active->drive->openError : ERROR_FILE_NOT_FOUND;
    if (access != (disk ? 0u : GENERIC_READ) || share != (FILE_SHARE_READ | FILE_SHARE_WRITE) || how != OPEN_EXISTING) {
      error = ERROR_ACCESS_DENIED;
    }
    SetLastError(error);
    active->openNow += error == 0;
    return error != 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(disk ? kDisk : kFirstBattery + number);
  }

  const FakeDisk* DiskAt(DWORD number) const {
    if (disks.empty()) return &disk;
    const auto found = disks.find(number);
    return found != disks.end() ? &found->second : nullptr;
  }

  static BOOL AskDisk(const ULONG* asked, void* out, DWORD outSize, DWORD* returned) {
    const FakeDisk& disk = *active->drive;
    if (asked[1] != PropertyStandardQuery) return Fail(ERROR_INVALID_PARAMETER);
    STORAGE_DEVICE_DESCRIPTOR device{};
    device.Version = device.Size = sizeof device;
    device.BusType = static_cast<STORAGE_BUS_TYPE>(disk.busType);
    const DEVICE_SEEK_PENALTY_DESCRIPTOR seek{sizeof seek, disk.seekSize, static_cast<BOOLEAN>(disk.seekPenalty)};
    if (asked[0] == StorageDeviceProperty) return Answer(&device, sizeof device, disk.deviceBytes, out, outSize, returned);
    return disk.seekPenalty < 0 ? Fail(ERROR_NOT_SUPPORTED) : Answer(&seek, sizeof seek, sizeof seek, out, outSize, returned);
  }

  static BOOL WINAPI Ask(HANDLE device, DWORD code, LPVOID question, DWORD questionSize, LPVOID out, DWORD outSize,
                         LPDWORD returned, LPOVERLAPPED) {
    *returned = 0;
    ULONG asked[3] = {};  // a property and query type; a tag query's wait; a tag and information level
    std::memcpy(asked, question, std::min<std::size_t>(questionSize, sizeof asked));
    const std::uintptr_t token = reinterpret_cast<std::uintptr_t>(device);
    if (token == kDisk && code == IOCTL_STORAGE_QUERY_PROPERTY && questionSize == sizeof(STORAGE_PROPERTY_QUERY)) {
      return AskDisk(asked, out, outSize, returned);
    }
    if (token == kDisk && code == IOCTL_STORAGE_GET_DEVICE_NUMBER) {
      const STORAGE_DEVICE_NUMBER number{FILE_DEVICE_DISK, active->driveNumber, 0};
      return Answer(&number, sizeof number, sizeof number, out, outSize, returned);
    }
    if (token == kDisk && code == IOCTL_DISK_GET_DRIVE_GEOMETRY_EX) {
      if (active->drive->geometryError != 0) return Fail(active->drive->geometryError);
      DISK_GEOMETRY_EX geometry{};
      geometry.Geometry = {{}, FixedMedia, 255, 63, 512};
      geometry.Geometry.Cylinders.QuadPart = active->drive->cylinders;
      return Answer(&geometry, sizeof geometry, sizeof geometry, out, outSize, returned);
    }
    // The failure prediction, or exactly the NVMe health log query: property 50, a standard query, NVMe, log
    // page 2, the data right after the 40-byte protocol header, 512 bytes.
    if (token == kDisk && (code == IOCTL_STORAGE_PREDICT_FAILURE || code == IOCTL_STORAGE_QUERY_PROPERTY)) {
      const FakeDisk::Health& health = active->drive->health;
      const bool nvme = code == IOCTL_STORAGE_QUERY_PROPERTY;
      const ULONG expected[8] = {50, 0, 3, 2, 2, 0, 40, 512}, header[8] = {48, 48, 3, 2, 2, 0, health.logOffset, 512};
      const bool wrong = nvme ? questionSize != 560 || std::memcmp(question, expected, sizeof expected) : questionSize;
      if (wrong || health.error != 0) return Fail(wrong ? ERROR_INVALID_PARAMETER : health.error);
      const DWORD size = nvme ? 560 : 516;
      std::vector<std::uint8_t> answer(size);  // the descriptor or PredictFailure, then the log or SMART data
      std::memcpy(answer.data(), nvme ? static_cast<const void*>(header) : &health.predictFailure, nvme ? 32 : 4);
      for (const auto& [at, value] : health.bytes) answer.at(size - 512 + at) = static_cast<std::uint8_t>(value);
      return Answer(answer.data(), size, health.answerBytes != 0 ? health.answerBytes : size, out, outSize, returned);
    }
    const FakeBattery& battery = active->batteries.at(token - kFirstBattery);
    if (code == 0x294040 && questionSize == 4 && asked[0] == 0) {  // the tag, without waiting
      if (battery.tag == 0 && battery.emptyError != 0) return Fail(battery.emptyError);
      return Answer(&battery.tag, 4, 4, out, outSize, returned);
    }
    if (code != 0x294044 || questionSize != 12 || asked[0] != battery.tag || asked[1] != 0) {
      return Fail(ERROR_INVALID_PARAMETER);
    }
    // BATTERY_INFORMATION: capabilities, technology, chemistry "LION", capacities, three alerts, cycles.
    const ULONG information[9] = {battery.capabilities, 1, 0x4E4F494C, battery.designed, battery.full, 1, 2, 3,
                                  battery.cycles};
    return Answer(information, sizeof information, battery.infoBytes, out, outSize, returned);
  }

  // Closes a handle or destroys the list: both are void pointers.
  static BOOL WINAPI GiveBack(void*) {
    --active->openNow;
    return TRUE;
  }

  // The lists there are: battery, disk and CD-ROM interfaces, and the MEDIA setup class. Each list
  // token says its kind, and each interface or device its kind and place (`Reserved`, `DevInst`).
  enum ListKind : std::uintptr_t { kBatteries, kDisks, kCdroms, kMedia };
  static constexpr GUID kListClasses[] = {
      {0x72631E54, 0x78A4, 0x11D0, {0xBC, 0xF7, 0x00, 0xAA, 0x00, 0xB7, 0xB3, 0x2A}},  // battery interfaces
      {0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}},  // disk interfaces
      {0x53F56308, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}},  // CD-ROM interfaces
      {0x4D36E96C, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}}};  // MEDIA
  std::vector<FakeNamedDevice> sounds, cdroms;
  DWORD driveNumber = 0;
  DWORD deviceListError = 0;  // of the disk, CD-ROM and MEDIA lists

  static HDEVINFO WINAPI List(const GUID* classGuid, PCWSTR, HWND, DWORD flags) {
    DWORD error = ERROR_INVALID_PARAMETER;
    std::uintptr_t kind = 0;
    for (; kind < 4; ++kind) {
      if (!IsEqualGUID(*classGuid, kListClasses[kind])) continue;
      const DWORD expected = DIGCF_PRESENT | (kind == kMedia ? 0 : DIGCF_DEVICEINTERFACE);
      error = flags != expected ? ERROR_INVALID_PARAMETER : kind == kBatteries ? active->listError : active->deviceListError;
      break;
    }
    SetLastError(error);
    active->openNow += error == 0;
    return error != 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HDEVINFO>(kList + kind);
  }

  // Disks in falling number order, so that a reader must sort them.
  DWORD DiskNumberAt(std::size_t place) const { return std::next(disks.rbegin(), static_cast<std::ptrdiff_t>(place))->first; }
  std::size_t Count(std::uintptr_t kind) const {
    const std::size_t counts[] = {batteries.size(), disks.size(), cdroms.size(), sounds.size()};
    return counts[kind];
  }

  // A list holds the interfaces of its own class only: another class is refused rather than found empty.
  static BOOL WINAPI Enumerate(HDEVINFO list, PSP_DEVINFO_DATA, const GUID* interfaceClass, DWORD index,
                               PSP_DEVICE_INTERFACE_DATA data) {
    const std::uintptr_t kind = reinterpret_cast<std::uintptr_t>(list) - kList;
    if (kind == kMedia || interfaceClass == nullptr || !IsEqualGUID(*interfaceClass, kListClasses[kind])) {
      return Fail(ERROR_INVALID_PARAMETER);
    }
    if (data->cbSize != kInterfaceDataSize) return Fail(ERROR_INVALID_USER_BUFFER);
    if (index >= active->Count(kind)) return Fail(kind == kBatteries ? active->endError : ERROR_NO_MORE_ITEMS);
    data->Reserved = (kind << 16) | index;
    return TRUE;
  }

  static BOOL WINAPI EnumerateDevices(HDEVINFO list, DWORD index, PSP_DEVINFO_DATA device) {
    if (reinterpret_cast<std::uintptr_t>(list) - kList != kMedia) return Fail(ERROR_INVALID_PARAMETER);
    if (device->cbSize != kDevInfoSize) return Fail(ERROR_INVALID_USER_BUFFER);
    if (index >= active->sounds.size()) return Fail(ERROR_NO_MORE_ITEMS);
    device->DevInst = (kMedia << 16) | index;
    return TRUE;
  }

  static BOOL WINAPI Detail(HDEVINFO, PSP_DEVICE_INTERFACE_DATA data, PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail,
                            DWORD detailSize, PDWORD required, PSP_DEVINFO_DATA device) {
    const std::uintptr_t kind = data->Reserved >> 16, place = data->Reserved & 0xFFFF;
    const std::wstring path = kind == kBatteries ? kBatteryPath + std::to_wstring(place)
                              : kind == kDisks   ? kDiskPath + std::to_wstring(active->DiskNumberAt(place))
                                                 : kCdromPath + std::to_wstring(place);
    const DWORD pathBytes = static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t));
    const DWORD needed = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) + pathBytes;
    if (required != nullptr) *required = needed;
    if (detail == nullptr || detailSize < needed) return Fail(ERROR_INSUFFICIENT_BUFFER);
    if (detail->cbSize != kDetailSize || (device != nullptr && device->cbSize != kDevInfoSize)) {
      return Fail(ERROR_INVALID_USER_BUFFER);
    }
    std::memcpy(detail->DevicePath, path.c_str(), pathBytes);
    if (device != nullptr) device->DevInst = static_cast<DWORD>(data->Reserved);
    return TRUE;
  }

  // A device's friendly name or description, as REG_SZ with its NUL; one it lacks is not found.
  static BOOL WINAPI Property(HDEVINFO, PSP_DEVINFO_DATA device, DWORD property, PDWORD type, PBYTE value, DWORD size,
                              PDWORD required) {
    const std::uintptr_t kind = device->DevInst >> 16, place = device->DevInst & 0xFFFF;
    const FakeNamedDevice& named = kind == kDisks ? active->disks.at(active->DiskNumberAt(place)).names
                                   : (kind == kMedia ? active->sounds : active->cdroms).at(place);
    const std::wstring& text = property == SPDRP_FRIENDLYNAME ? named.friendlyName : named.description;
    if ((property != SPDRP_FRIENDLYNAME && property != SPDRP_DEVICEDESC) || text.empty()) return Fail(ERROR_INVALID_DATA);
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    *required = bytes;
    if (size < bytes) return Fail(ERROR_INSUFFICIENT_BUFFER);
    *type = REG_SZ;
    std::memcpy(value, text.c_str(), bytes);
    return TRUE;
  }

  // The platform's facts: the SMBIOS blob, registry values by "<key>\<value>" (the key open last
  // is the token kKey), the native processor and the memory total.
  struct RegistryValue {
    DWORD type;
    std::vector<BYTE> bytes;
  };
  static RegistryValue Text(const std::wstring& text, DWORD type = REG_SZ) {  // with its NUL
    const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return {type, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t))};
  }
  std::vector<std::uint8_t> firmwareTable;
  std::vector<std::pair<std::wstring, RegistryValue>> registry;
  std::wstring key;
  DWORD firmwareError = 0, memoryError = 0;
  WORD nativeArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
  DWORDLONG totalMemory = 16ull << 30;
  static constexpr std::uintptr_t kKey = 0x400;

  static UINT WINAPI Firmware(DWORD provider, DWORD id, PVOID out, DWORD size) {
    const std::vector<std::uint8_t>& table = active->firmwareTable;
    if (provider != 0x52534D42 || id != 0 || active->firmwareError != 0) return Fail(active->firmwareError);  // 'RSMB'
    if (out != nullptr && size >= table.size()) std::memcpy(out, table.data(), table.size());
    return static_cast<UINT>(table.size());  // copied, or needed where it does not fit
  }

  static LSTATUS WINAPI OpenKey(HKEY parent, LPCWSTR path, DWORD, REGSAM access, PHKEY key) {
    if (parent != HKEY_LOCAL_MACHINE || access != (KEY_QUERY_VALUE | KEY_WOW64_64KEY)) return ERROR_ACCESS_DENIED;
    active->key = path, ++active->openNow;
    *key = reinterpret_cast<HKEY>(kKey);
    return ERROR_SUCCESS;
  }

  static LSTATUS WINAPI QueryValue(HKEY, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
    const auto value = std::find_if(active->registry.begin(), active->registry.end(),
                                    [&](const auto& entry) { return entry.first == active->key + L"\\" + name; });
    if (value == active->registry.end()) return ERROR_FILE_NOT_FOUND;
    const std::vector<BYTE>& bytes = value->second.bytes;
    const DWORD room = *size;
    *type = value->second.type, *size = static_cast<DWORD>(bytes.size());
    if (data != nullptr && room < bytes.size()) return ERROR_MORE_DATA;
    if (data != nullptr) std::copy(bytes.begin(), bytes.end(), data);
    return ERROR_SUCCESS;
  }

  static LSTATUS WINAPI CloseKey(HKEY) { return --active->openNow, ERROR_SUCCESS; }

  static void WINAPI System(LPSYSTEM_INFO info) {
    *info = SYSTEM_INFO{}, info->wProcessorArchitecture = active->nativeArchitecture;
  }

  static BOOL WINAPI Memory(LPMEMORYSTATUSEX status) {
    if (status->dwLength != sizeof *status || active->memoryError != 0) return Fail(active->memoryError);
    return status->ullTotalPhys = active->totalMemory, TRUE;
  }
};

}  // namespace vantrel::testing
