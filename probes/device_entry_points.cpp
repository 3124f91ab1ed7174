// The device entry point table. setupapi.dll is loaded at run time from the system folder, so
// that it never becomes an import of the program and a planted copy is never loaded.
#include "probes/device_entry_points.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "probes/system_function.h"

namespace vantrel {

namespace {

// SetupAPI's functions, looked up together once: the DLL stays loaded, and a function
// missing now is missing for good. Where any is missing, none is used and `error` says why.
struct SetupApi {
  decltype(DeviceEntryPoints::setupDiGetClassDevsW) getClassDevs = nullptr;
  decltype(DeviceEntryPoints::setupDiEnumDeviceInterfaces) enumInterfaces = nullptr;
  decltype(DeviceEntryPoints::setupDiGetDeviceInterfaceDetailW) getDetail = nullptr;
  decltype(DeviceEntryPoints::setupDiDestroyDeviceInfoList) destroyList = nullptr;
  decltype(DeviceEntryPoints::setupDiEnumDeviceInfo) enumDevices = nullptr;
  decltype(DeviceEntryPoints::setupDiGetDeviceRegistryPropertyW) getProperty = nullptr;
  DWORD error = ERROR_SUCCESS;
};

template <class Function>
bool FindSetupFunction(const char* name, Function* function, DWORD* error) {
  HRESULT failure = S_OK;
  // A FARPROC is a generic function address; each exported function has the signature of its entry.
  *function = reinterpret_cast<Function>(
      reinterpret_cast<void*>(FindSystemFunction(L"setupapi.dll", name, &failure)));
  if (*function == nullptr && *error == ERROR_SUCCESS) {
    *error = HRESULT_FACILITY(failure) == FACILITY_WIN32 ? HRESULT_CODE(failure) : ERROR_PROC_NOT_FOUND;
  }
  return *function != nullptr;
}

const SetupApi& LoadedSetupApi() {
  static const SetupApi api = [] {
    SetupApi loaded;
    // Each is looked up even after a miss, so the error names the first function missing.
    bool all = FindSetupFunction("SetupDiGetClassDevsW", &loaded.getClassDevs, &loaded.error);
    all &= FindSetupFunction("SetupDiEnumDeviceInterfaces", &loaded.enumInterfaces, &loaded.error);
    all &= FindSetupFunction("SetupDiGetDeviceInterfaceDetailW", &loaded.getDetail, &loaded.error);
    all &= FindSetupFunction("SetupDiDestroyDeviceInfoList", &loaded.destroyList, &loaded.error);
    all &= FindSetupFunction("SetupDiEnumDeviceInfo", &loaded.enumDevices, &loaded.error);
    all &= FindSetupFunction("SetupDiGetDeviceRegistryPropertyW", &loaded.getProperty, &loaded.error);
    if (!all) loaded = SetupApi{nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, loaded.error};
    return loaded;
  }();
  return api;
}

// The loaded functions, or null with the reason in GetLastError. Without SetupAPI no list is ever
// made, so the calls after the first are never reached through the table; they still fail cleanly.
const SetupApi* Loaded() {
  const SetupApi& api = LoadedSetupApi();
  if (api.getClassDevs != nullptr) return &api;
  SetLastError(api.error);
  return nullptr;
}

HDEVINFO WINAPI GetClassDevsFromSystem(const GUID* classGuid, PCWSTR enumerator, HWND parent, DWORD flags) {
  const SetupApi* api = Loaded();
  return api != nullptr ? api->getClassDevs(classGuid, enumerator, parent, flags) : INVALID_HANDLE_VALUE;
}

BOOL WINAPI EnumInterfacesFromSystem(HDEVINFO list, PSP_DEVINFO_DATA device, const GUID* interfaceClass,
                                     DWORD index, PSP_DEVICE_INTERFACE_DATA interfaceData) {
  const SetupApi* api = Loaded();
  return api != nullptr && api->enumInterfaces(list, device, interfaceClass, index, interfaceData);
}

BOOL WINAPI GetDetailFromSystem(HDEVINFO list, PSP_DEVICE_INTERFACE_DATA interfaceData,
                                PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD detailSize, PDWORD requiredSize,
                                PSP_DEVINFO_DATA device) {
  const SetupApi* api = Loaded();
  return api != nullptr && api->getDetail(list, interfaceData, detail, detailSize, requiredSize, device);
}

BOOL WINAPI DestroyListFromSystem(HDEVINFO list) {
  const SetupApi* api = Loaded();
  return api != nullptr && api->destroyList(list);
}

BOOL WINAPI EnumDevicesFromSystem(HDEVINFO list, DWORD index, PSP_DEVINFO_DATA device) {
  const SetupApi* api = Loaded();
  return api != nullptr && api->enumDevices(list, index, device);
}

BOOL WINAPI GetPropertyFromSystem(HDEVINFO list, PSP_DEVINFO_DATA device, DWORD property, PDWORD type, PBYTE value,
                                  DWORD size, PDWORD required) {
  const SetupApi* api = Loaded();
  return api != nullptr && api->getProperty(list, device, property, type, value, size, required);
}

}  // namespace

const DeviceEntryPoints& RealDeviceApi() {
  static const DeviceEntryPoints real{&CreateFileW,           &DeviceIoControl,          &CloseHandle,
                                      &GetClassDevsFromSystem, &EnumInterfacesFromSystem, &GetDetailFromSystem,
                                      &DestroyListFromSystem,  &GetSystemFirmwareTable,   &RegOpenKeyExW,
                                      &RegQueryValueExW,       &RegCloseKey,              &GetNativeSystemInfo,
                                      &GlobalMemoryStatusEx,   &EnumDevicesFromSystem,    &GetPropertyFromSystem};
  return real;
}

DeviceEntryPoints& DeviceApi() {
  static DeviceEntryPoints live = RealDeviceApi();
  return live;
}

UniqueDeviceHandle OpenDevice(const std::wstring& path, DWORD access) {
  const HANDLE device = DeviceApi().createFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                OPEN_EXISTING, 0, nullptr);
  return UniqueDeviceHandle(device != INVALID_HANDLE_VALUE ? device : nullptr);
}

bool AskDevice(HANDLE device, DWORD code, const void* question, DWORD questionSize, void* answer,
               DWORD answerSize, DWORD needed) {
  DWORD returned = 0;
  // The question is only read; the platform's signature does not say so.
  if (!DeviceApi().deviceIoControl(device, code, const_cast<void*>(question), questionSize, answer, answerSize,
                                   &returned, nullptr)) {
    return false;
  }
  if (returned < needed || returned > answerSize) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  return true;
}

HRESULT FailureOfLastCall() {
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

UniqueDeviceInfoList PresentDevices(const GUID& guid, bool interfaces, HRESULT* failure) {
  const DWORD flags = DIGCF_PRESENT | (interfaces ? DIGCF_DEVICEINTERFACE : 0);
  const HDEVINFO made = DeviceApi().setupDiGetClassDevsW(&guid, nullptr, nullptr, flags);
  if (made == INVALID_HANDLE_VALUE || made == nullptr) {
    *failure = FailureOfLastCall();
    return UniqueDeviceInfoList();
  }
  return UniqueDeviceInfoList(made);
}

HRESULT InterfacePath(HDEVINFO list, SP_DEVICE_INTERFACE_DATA* interfaceData, std::wstring* path,
                      SP_DEVINFO_DATA* device) {
  const DeviceEntryPoints& api = DeviceApi();
  constexpr DWORD kHeader = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);
  constexpr DWORD kLongest = 64 * 1024;
  DWORD required = 0;
  // Asked first for its size only, which fails with ERROR_INSUFFICIENT_BUFFER.
  if (!api.setupDiGetDeviceInterfaceDetailW(list, interfaceData, nullptr, 0, &required, nullptr) &&
      GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
    return FailureOfLastCall();
  }
  if (required <= kHeader || required > kLongest) return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
  // Held in DWORDs for the structure's alignment. cbSize is the fixed part only: 8 bytes in a
  // 64-bit build, 6 in a 32-bit one, where SetupAPI's structures are packed.
  std::vector<DWORD> buffer((required + sizeof(DWORD) - 1) / sizeof(DWORD));
  auto* const detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
  detail->cbSize = sizeof *detail;
  if (!api.setupDiGetDeviceInterfaceDetailW(list, interfaceData, detail, required, nullptr, device)) {
    return FailureOfLastCall();
  }
  // Up to its NUL, and never past what SetupAPI was given.
  const wchar_t* const begin = detail->DevicePath;
  path->assign(begin, std::find(begin, begin + (required - kHeader) / sizeof(wchar_t), L'\0'));
  return S_OK;
}

}  // namespace vantrel
