// The calls through which the platform's own readings reach devices, the firmware, the registry and
// kernel32, in one table that tests can fill with fakes. SetupAPI is not imported: the real table
// loads it from the system folder when a device list is first asked for.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <memory>
#include <string>

namespace vantrel {

struct DeviceEntryPoints {
  HANDLE(WINAPI* createFileW)(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                              DWORD disposition, DWORD flags, HANDLE templateFile);
  BOOL(WINAPI* deviceIoControl)(HANDLE device, DWORD code, LPVOID question, DWORD questionSize, LPVOID answer,
                                DWORD answerSize, LPDWORD returned, LPOVERLAPPED overlapped);
  BOOL(WINAPI* closeHandle)(HANDLE handle);
  HDEVINFO(WINAPI* setupDiGetClassDevsW)(const GUID* classGuid, PCWSTR enumerator, HWND parent, DWORD flags);
  BOOL(WINAPI* setupDiEnumDeviceInterfaces)(HDEVINFO list, PSP_DEVINFO_DATA device, const GUID* interfaceClass,
                                            DWORD index, PSP_DEVICE_INTERFACE_DATA interfaceData);
  BOOL(WINAPI* setupDiGetDeviceInterfaceDetailW)(HDEVINFO list, PSP_DEVICE_INTERFACE_DATA interfaceData,
                                                 PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD detailSize,
                                                 PDWORD requiredSize, PSP_DEVINFO_DATA device);
  BOOL(WINAPI* setupDiDestroyDeviceInfoList)(HDEVINFO list);
  // The platform's own facts: the firmware's SMBIOS table, the registry, the processor and memory.
  UINT(WINAPI* getSystemFirmwareTable)(DWORD provider, DWORD tableId, PVOID table, DWORD size);
  LSTATUS(WINAPI* regOpenKeyExW)(HKEY parent, LPCWSTR path, DWORD options, REGSAM access, PHKEY key);
  LSTATUS(WINAPI* regQueryValueExW)(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                    LPDWORD size);
  LSTATUS(WINAPI* regCloseKey)(HKEY key);
  void(WINAPI* getNativeSystemInfo)(LPSYSTEM_INFO info);
  BOOL(WINAPI* globalMemoryStatusEx)(LPMEMORYSTATUSEX status);
  // The devices of a setup class, and their names.
  BOOL(WINAPI* setupDiEnumDeviceInfo)(HDEVINFO list, DWORD index, PSP_DEVINFO_DATA device);
  BOOL(WINAPI* setupDiGetDeviceRegistryPropertyW)(HDEVINFO list, PSP_DEVINFO_DATA device, DWORD property, PDWORD type,
                                                  PBYTE value, DWORD size, PDWORD required);
};

// The table in use.
DeviceEntryPoints& DeviceApi();
// The table of the real functions.
const DeviceEntryPoints& RealDeviceApi();

// A device handle and a device information list, each given back through the table in use.
struct DeviceHandleCloser {
  void operator()(HANDLE handle) const { DeviceApi().closeHandle(handle); }
};
using UniqueDeviceHandle = std::unique_ptr<void, DeviceHandleCloser>;

struct DeviceInfoListDestroyer {
  void operator()(HDEVINFO list) const { DeviceApi().setupDiDestroyDeviceInfoList(list); }
};
using UniqueDeviceInfoList = std::unique_ptr<void, DeviceInfoListDestroyer>;

// An existing device opened with `access`, shared for reading and writing. Empty where it cannot
// be opened; GetLastError then says why.
UniqueDeviceHandle OpenDevice(const std::wstring& path, DWORD access);

// One question to a device whose answer is a fixed structure. False where the call fails (its
// reason stays in GetLastError) or the answer is shorter than `needed` bytes (ERROR_INVALID_DATA).
bool AskDevice(HANDLE device, DWORD code, const void* question, DWORD questionSize, void* answer,
               DWORD answerSize, DWORD needed);

// The failure of a call that has just failed, from GetLastError; never S_OK.
HRESULT FailureOfLastCall();

// The device path of one interface of a list, and its device (its cbSize set): S_OK, or why
// SetupAPI gave none.
HRESULT InterfacePath(HDEVINFO list, SP_DEVICE_INTERFACE_DATA* interfaceData, std::wstring* path,
                      SP_DEVINFO_DATA* device);

// A list of the present devices of a class, or of an interface class; empty with the failure.
UniqueDeviceInfoList PresentDevices(const GUID& guid, bool interfaces, HRESULT* failure);

// Each present interface of the class, with its device, handed to `take`, which answers S_OK or
// why that one could not be read. The first failure, of the list or of one interface.
template <class Take>
HRESULT EachInterface(const GUID& interfaceClass, Take take) {
  HRESULT failure = S_OK;
  const UniqueDeviceInfoList list = PresentDevices(interfaceClass, true, &failure);
  if (!list) return failure;
  for (DWORD index = 0;; ++index) {
    SP_DEVICE_INTERFACE_DATA interfaceData{};
    interfaceData.cbSize = sizeof interfaceData;
    if (!DeviceApi().setupDiEnumDeviceInterfaces(list.get(), nullptr, &interfaceClass, index, &interfaceData)) {
      if (GetLastError() != ERROR_NO_MORE_ITEMS && failure == S_OK) failure = FailureOfLastCall();
      return failure;
    }
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    std::wstring path;
    HRESULT answer = InterfacePath(list.get(), &interfaceData, &path, &device);
    if (SUCCEEDED(answer)) answer = take(list.get(), &device, path);
    if (FAILED(answer) && failure == S_OK) failure = answer;
  }
}

}  // namespace vantrel
