// The firmware's SMBIOS table as plain records, and the main board and memory modules it names.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

struct SmbiosRecord {
  std::uint8_t type = 0;
  std::vector<std::uint8_t> formatted;  // the formatted area, its 4-byte header included
  std::vector<std::wstring> strings;    // string number n at [n - 1], each byte widened as it is
};

struct SmbiosTable {
  std::vector<SmbiosRecord> records;  // in table order
  HRESULT failure = S_OK;             // of the firmware call, or ERROR_INVALID_DATA for a short answer
};

// The table that GetSystemFirmwareTable('RSMB', 0) gives.
SmbiosTable ReadSmbiosTable();

struct BaseBoard {  // type 2
  std::wstring manufacturer, product;
};

// The first base board record's; none where the table has none.
std::optional<BaseBoard> FindBaseBoard(const std::vector<SmbiosRecord>& records);

struct MemoryModule {  // type 17
  std::wstring deviceLocator, bankLocator, manufacturer, partNumber;  // empty where the record has none
  std::optional<std::uint64_t> sizeBytes;  // none where the firmware does not know it
  std::wstring speed;                      // MHz in decimal digits; empty where unknown, as WMI's NULL
  std::uint8_t memoryType = 0;             // 0x02: unknown, as is a record too short to hold it
};

// A module for each memory device record that holds one (Size not 0), in table order.
std::vector<MemoryModule> MemoryModules(const std::vector<SmbiosRecord>& records);

// "DDR4" and the other generations for a memory type byte; empty for any other value.
std::wstring MemoryGeneration(std::uint8_t memoryType);

}  // namespace vantrel
