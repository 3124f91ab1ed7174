// Reads the OS, processor and memory facts through the device entry points. A registry value is
// trusted only as text (REG_SZ or REG_EXPAND_SZ, left unexpanded) and of a sane size.
#include "probes/platform_facts.h"

#include <algorithm>
#include <memory>
#include <type_traits>

#include "probes/device_entry_points.h"

namespace vantrel {

namespace {

constexpr DWORD kLongestValue = 64 * 1024;  // bytes; no name Windows keeps comes near it
const wchar_t kCurrentVersion[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
const wchar_t kFirstProcessor[] = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

struct RegistryKeyCloser {
  void operator()(HKEY key) const { DeviceApi().regCloseKey(key); }
};
using UniqueRegistryKey = std::unique_ptr<std::remove_pointer_t<HKEY>, RegistryKeyCloser>;

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

TextFact Failed(LSTATUS status) { return {std::wstring(), HRESULT_FROM_WIN32(static_cast<DWORD>(status))}; }

// A text value of a key under HKEY_LOCAL_MACHINE, up to its first NUL or its end.
TextFact RegistryText(const wchar_t* path, const wchar_t* name) {
  const DeviceEntryPoints& api = DeviceApi();
  HKEY opened = nullptr;
  // The 64-bit view, so that a 32-bit build on 64-bit Windows reads what Windows says of itself.
  LSTATUS status = api.regOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened);
  if (status != ERROR_SUCCESS) return Failed(status);
  const UniqueRegistryKey key(opened);
  DWORD type = REG_NONE, size = 0;
  status = api.regQueryValueExW(key.get(), name, nullptr, &type, nullptr, &size);
  if (status != ERROR_SUCCESS) return Failed(status);
  if (!IsText(type)) return Failed(ERROR_INVALID_DATATYPE);
  if (size > kLongestValue) return Failed(ERROR_INVALID_DATA);
  // The value may change between the calls, so its type and size are checked again.
  std::wstring text((size + 1) / sizeof(wchar_t), L'\0');
  DWORD copied = size;
  status = api.regQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&text[0]), &copied);
  if (status != ERROR_SUCCESS) return Failed(status);
  if (!IsText(type)) return Failed(ERROR_INVALID_DATATYPE);
  if (copied > size) return Failed(ERROR_INVALID_DATA);
  text.resize(copied / sizeof(wchar_t));  // an odd count's stray byte is no character
  text.resize(std::min(text.size(), text.find(L'\0')));
  return {text, S_OK};
}

// Plain decimal digits whose value is at least `least`.
bool BuildAtLeast(const std::wstring& build, unsigned long least) {
  if (build.empty()) return false;
  unsigned long number = 0;
  for (const wchar_t digit : build) {
    if (digit < L'0' || digit > L'9') return false;
    number = std::min(number * 10 + static_cast<unsigned long>(digit - L'0'), 1000000000ul);
  }
  return number >= least;
}

// "Microsoft " + the product name (unless it begins so) + " (64비트)" or " (32비트)", with
// "Windows 10" read as "Windows 11" from build 22000 on. None for an architecture of neither width.
std::optional<std::wstring> OsLine(const std::wstring& productName, const std::wstring& buildNumber,
                                   WORD nativeArchitecture) {
  const wchar_t* width = nullptr;
  switch (nativeArchitecture) {
    case PROCESSOR_ARCHITECTURE_AMD64:
    case PROCESSOR_ARCHITECTURE_ARM64:
    case PROCESSOR_ARCHITECTURE_IA64:
      width = L" (64비트)";
      break;
    case PROCESSOR_ARCHITECTURE_INTEL:
    case PROCESSOR_ARCHITECTURE_ARM:
      width = L" (32비트)";
      break;
    default:
      return std::nullopt;
  }
  const std::wstring kMicrosoft = L"Microsoft ", kTen = L"Microsoft Windows 10 ";
  std::wstring line = productName.rfind(kMicrosoft, 0) == 0 ? productName : kMicrosoft + productName;
  // Windows 11 kept Windows 10's product name, edition and all; only its build tells them apart.
  if (BuildAtLeast(buildNumber, 22000) && line.rfind(kTen, 0) == 0) line[kTen.size() - 2] = L'1';
  return line + width;
}

}  // namespace

TextFact ReadOsLine() {
  const TextFact product = RegistryText(kCurrentVersion, L"ProductName");
  if (product.failure != S_OK) return product;
  const TextFact build = RegistryText(kCurrentVersion, L"CurrentBuildNumber");
  if (build.failure != S_OK) return build;
  SYSTEM_INFO system{};
  DeviceApi().getNativeSystemInfo(&system);
  const std::optional<std::wstring> line = OsLine(product.text, build.text, system.wProcessorArchitecture);
  if (!line) return Failed(ERROR_NOT_SUPPORTED);
  return {*line, S_OK};
}

TextFact ReadProcessorName() { return RegistryText(kFirstProcessor, L"ProcessorNameString"); }

ByteCountFact ReadTotalMemory() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!DeviceApi().globalMemoryStatusEx(&status)) return {0, FailureOfLastCall()};
  if (status.ullTotalPhys == 0) return {0, HRESULT_FROM_WIN32(ERROR_INVALID_DATA)};
  return {status.ullTotalPhys, S_OK};
}

}  // namespace vantrel
