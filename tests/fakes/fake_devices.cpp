// Handles are tokens: the disk 0x100, battery i 0x200 + i, the list 0x300.
#include "fakes/fake_devices.h"

#include <winioctl.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vantrel::testing {
namespace {

FakeDevices* g_devices = nullptr;
const std::wstring kBatteryPath = L"\\\\?\\acpi#battery#";
constexpr std::uintptr_t kDisk = 0x100, kFirstBattery = 0x200, kList = 0x300;
constexpr GUID kBatteryClass = {0x72631E54, 0x78A4, 0x11D0, {0xBC, 0xF7, 0x00, 0xAA, 0x00, 0xB7, 0xB3, 0x2A}};

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

// Copies what fits and claims `returned` bytes of it.
BOOL Answer(const void* bytes, DWORD size, DWORD returned, void* out, DWORD outSize, DWORD* claimed) {
  std::memcpy(out, bytes, std::min(size, outSize));
  *claimed = std::min(returned, outSize);
  return TRUE;
}

HANDLE WINAPI CreateFileFake(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD how, DWORD, HANDLE) {
  g_devices->opened.push_back(path);
  const bool disk = g_devices->opened.back().rfind(L"\\\\.\\PhysicalDrive", 0) == 0;
  const std::size_t battery = disk ? 0 : std::wcstoul(path + kBatteryPath.size(), nullptr, 10);
  DWORD error = disk ? g_devices->disk.openError : g_devices->batteries.at(battery).openError;
  if (access != (disk ? 0u : GENERIC_READ) || share != (FILE_SHARE_READ | FILE_SHARE_WRITE) || how != OPEN_EXISTING) {
    error = ERROR_ACCESS_DENIED;
  }
  SetLastError(error);
  g_devices->openNow += error == 0;
  return error != 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(disk ? kDisk : kFirstBattery + battery);
}

BOOL DiskAnswer(const FakeDisk& disk, const STORAGE_PROPERTY_QUERY& query, void* out, DWORD outSize, DWORD* returned) {
  if (query.QueryType != PropertyStandardQuery) return Fail(ERROR_INVALID_PARAMETER);
  if (query.PropertyId == StorageDeviceProperty) {
    STORAGE_DEVICE_DESCRIPTOR device{};
    device.Version = device.Size = sizeof device;
    device.BusType = static_cast<STORAGE_BUS_TYPE>(disk.busType);
    return Answer(&device, sizeof device, disk.deviceBytes, out, outSize, returned);
  }
  if (disk.seekPenalty < 0) return Fail(ERROR_NOT_SUPPORTED);
  const DEVICE_SEEK_PENALTY_DESCRIPTOR seek{sizeof seek, disk.seekSize, static_cast<BOOLEAN>(disk.seekPenalty)};
  return Answer(&seek, sizeof seek, sizeof seek, out, outSize, returned);
}

BOOL WINAPI DeviceIoControlFake(HANDLE device, DWORD code, LPVOID question, DWORD questionSize, LPVOID out,
                                DWORD outSize, LPDWORD returned, LPOVERLAPPED) {
  *returned = 0;
  const std::uintptr_t token = reinterpret_cast<std::uintptr_t>(device);
  if (token == kDisk && code == IOCTL_STORAGE_QUERY_PROPERTY && questionSize == sizeof(STORAGE_PROPERTY_QUERY)) {
    return DiskAnswer(g_devices->disk, *static_cast<const STORAGE_PROPERTY_QUERY*>(question), out, outSize, returned);
  }
  const FakeBattery& battery = g_devices->batteries.at(token - kFirstBattery);
  ULONG asked[3] = {};
  std::memcpy(asked, question, std::min<std::size_t>(questionSize, sizeof asked));
  if (code == 0x294040 && questionSize == 4 && asked[0] == 0) {  // the tag, without waiting
    return battery.tag != 0 ? Answer(&battery.tag, 4, 4, out, outSize, returned) : Fail(ERROR_FILE_NOT_FOUND);
  }
  if (code != 0x294044 || questionSize != 12 || asked[0] != battery.tag || asked[1] != 0) return Fail(ERROR_INVALID_PARAMETER);
  // BATTERY_INFORMATION: capabilities, technology, chemistry "LION", capacities, three alerts, cycles.
  const ULONG information[9] = {battery.capabilities, 1, 0x4E4F494C, battery.designed, battery.full, 1, 2, 3, battery.cycles};
  return Answer(information, sizeof information, battery.infoBytes, out, outSize, returned);
}

// Closes a handle or destroys the list: both are void pointers.
BOOL WINAPI GiveBackFake(void*) {
  --g_devices->openNow;
  return TRUE;
}

HDEVINFO WINAPI GetClassDevsFake(const GUID* classGuid, PCWSTR, HWND, DWORD flags) {
  const bool asked = IsEqualGUID(*classGuid, kBatteryClass) && flags == (DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  SetLastError(asked ? g_devices->listError : ERROR_INVALID_PARAMETER);
  g_devices->openNow += GetLastError() == 0;
  return GetLastError() != 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HDEVINFO>(kList);
}

BOOL WINAPI EnumInterfacesFake(HDEVINFO, PSP_DEVINFO_DATA, const GUID*, DWORD index, PSP_DEVICE_INTERFACE_DATA data) {
  if (data->cbSize != sizeof *data) return Fail(ERROR_INVALID_USER_BUFFER);
  if (index >= g_devices->batteries.size()) return Fail(g_devices->endError);
  data->Reserved = index;
  return TRUE;
}

BOOL WINAPI GetDetailFake(HDEVINFO, PSP_DEVICE_INTERFACE_DATA data, PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail,
                          DWORD detailSize, PDWORD required, PSP_DEVINFO_DATA) {
  const std::wstring path = kBatteryPath + std::to_wstring(data->Reserved);
  const DWORD pathBytes = static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t));
  const DWORD needed = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) + pathBytes;
  if (required != nullptr) *required = needed;
  if (detail == nullptr || detailSize < needed) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (detail->cbSize != sizeof *detail) return Fail(ERROR_INVALID_USER_BUFFER);
  std::memcpy(detail->DevicePath, path.c_str(), pathBytes);
  return TRUE;
}

}  // namespace

FakeDevices::FakeDevices()
    : table(DeviceApi(), {&CreateFileFake, &DeviceIoControlFake, &GiveBackFake, &GetClassDevsFake,
                          &EnumInterfacesFake, &GetDetailFake, &GiveBackFake}) {
  g_devices = this;
}

FakeDevices::~FakeDevices() { g_devices = nullptr; }

}  // namespace vantrel::testing
