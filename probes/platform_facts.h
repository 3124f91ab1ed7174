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

// The OS line from CurrentVersion's ProductName and CurrentBuildNumber in the 64-bit view, and the
// native architecture.
TextFact ReadOsLine();

// CentralProcessor\0's ProcessorNameString, as given.
TextFact ReadProcessorName();

// The physical memory that Windows counts, in bytes.
ByteCountFact ReadTotalMemory();

}  // namespace vantrel
