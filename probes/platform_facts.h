// The operating system, the processor's name and the memory total as Windows itself keeps them:
// in the registry and from kernel32, which a standard user reads without WMI.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace vantrel {

struct TextFact {
  std::wstring text;  // meaningful only where failure is S_OK
  HRESULT failure = S_OK;
};

struct ByteCountFact {
  std::uint64_t bytes = 0;  // meaningful only where failure is S_OK
  HRESULT failure = S_OK;
};

// "Microsoft " + the product name (unless it begins so) + " (64비트)" or " (32비트)", with
// "Windows 10" read as "Windows 11" from build 22000 on. None for an architecture of neither width.
std::optional<std::wstring> OsLine(const std::wstring& productName, const std::wstring& buildNumber,
                                   WORD nativeArchitecture);

// The OS line from CurrentVersion's ProductName and CurrentBuildNumber in the 64-bit view, and the
// native architecture.
TextFact ReadOsLine();

// CentralProcessor\0's ProcessorNameString, as given.
TextFact ReadProcessorName();

// The physical memory that Windows counts, in bytes.
ByteCountFact ReadTotalMemory();

}  // namespace vantrel
