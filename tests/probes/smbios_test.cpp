// The SMBIOS walk and its readers against a desktop's table, every truncation of it and broken
// tables, read through the scripted firmware call.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "fakes/fake_devices.h"
#include "probes/smbios.h"

namespace vantrel {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A structure: its header, its fields of 1, 2 or 4 bytes ({value, width}) cut to `length`
// bytes in all, then its string set.
Bytes Structure(std::uint8_t type, std::vector<std::pair<std::uint32_t, int>> fields, std::vector<std::string> strings,
                std::size_t length = 0xFF) {
  Bytes out{type, 0, 0x34, 0x12};
  for (const auto& [value, width] : fields) {
    for (int i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(value >> 8 * i));
  }
  out.resize(std::min(out.size(), length));
  out[1] = static_cast<std::uint8_t>(out.size());
  for (const std::string& text : strings) out.insert(out.end(), text.c_str(), text.c_str() + text.size() + 1);
  out.resize(out.size() + (strings.empty() ? 2 : 1));
  return out;
}

// A memory device of SMBIOS 3.0; its six strings are the locators, maker, serial number, asset
// tag and part number.
Bytes Module(std::uint16_t size, std::uint16_t speed, std::vector<std::string> strings, std::uint8_t type = 0x1A,
             std::uint32_t extendedSize = 0, std::size_t length = 0x28) {
  return Structure(17, {{0x1000, 2}, {0xFFFE, 2}, {64, 2}, {64, 2}, {size, 2}, {9, 1}, {0, 1}, {1, 1}, {2, 1},
                        {type, 1}, {0x80, 2}, {speed, 2}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {1, 1}, {extendedSize, 4},
                        {speed, 2}, {1200, 2}, {1200, 2}, {1200, 2}},
                   strings, length);
}

const Bytes kBoard = Structure(2, {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {9, 1}, {6, 1}, {3, 2}, {0x0A, 1}, {0, 1}},
                               {"ASUSTeK COMPUTER INC.", "PRIME B450M-A", "Rev X.0x", "190436651200017",
                                "Default string", "Default string"});
const Bytes kEnd = Structure(127, {}, {});
const std::vector<Bytes> kDesktop = {
    Structure(0, {{1, 1}, {2, 1}, {0xF000, 2}, {3, 1}, {0xFF, 1}, {0x0B, 4}, {0, 4}, {0x0F03, 2}, {0x0503, 2},
                  {0xFFFF, 2}, {0, 2}},
              {"American Megatrends Inc.", "3211", "08/10/2021"}),
    Structure(1, {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {0, 4}, {0, 4}, {0, 4}, {0, 4}, {6, 1}, {5, 1}, {6, 1}},
              {"System manufacturer", "System Product Name", "System Version", "System Serial Number", "SKU",
               "To be filled by O.E.M."}),
    kBoard,
    Structure(16, {{3, 1}, {3, 1}, {3, 1}, {0x04000000, 4}, {0xFFFE, 2}, {4, 2}, {0, 4}, {0, 4}}, {}),
    Module(8192, 2400, {"DIMM 0", "P0 CHANNEL A", "Samsung", "0x1234", "Not Specified", "M378A1K43CB2-CRC    "}),
    Module(0, 0, {"DIMM 1", "P0 CHANNEL A", "Unknown", "Unknown", "Not Specified", "Unknown"}, 2),
    Module(8192, 2400, {"DIMM 1", "P0 CHANNEL B", "Team Group Inc.", "0x0", "Not Specified", "TEAMGROUP-UD4-3200"}),
    kEnd};

// The RawSMBIOSData blob of SMBIOS 3.3 holding `structures`, its Length `extra` bytes past them.
Bytes Blob(const std::vector<Bytes>& structures, std::size_t extra = 0) {
  Bytes blob(8);
  for (const Bytes& structure : structures) blob.insert(blob.end(), structure.begin(), structure.end());
  const std::size_t length = blob.size() - 8 + extra;
  blob[1] = blob[2] = 3, blob[4] = static_cast<std::uint8_t>(length), blob[5] = static_cast<std::uint8_t>(length >> 8);
  return blob;
}

SmbiosTable Read(const Bytes& blob, DWORD error = 0) {
  testing::FakeDevices devices;
  devices.firmwareTable = blob;
  devices.firmwareError = error;
  return ReadSmbiosTable();
}

// The record types, the board and the modules as the readers give them.
std::wstring Describe(const SmbiosTable& table) {
  std::wostringstream out;
  out << L"types";
  if (table.failure != S_OK) out << L" failure " << std::hex << std::uppercase << table.failure << std::dec;
  for (const SmbiosRecord& record : table.records) out << L" " << int{record.type};
  if (const auto board = FindBaseBoard(table.records)) out << L" | " << board->manufacturer << L"/" << board->product;
  for (const MemoryModule& m : MemoryModules(table.records)) {
    out << L" | " << m.deviceLocator << L"/" << m.bankLocator << L" ";
    m.sizeBytes ? out << (*m.sizeBytes >> 10) << L" kB" : out << L"?";
    out << L" " << m.speed << L" " << m.manufacturer << L"/" << m.partNumber << L" " << MemoryGeneration(m.memoryType);
  }
  return out.str();
}

TEST(SmbiosTest, EveryTruncationOfADesktopsTableGivesItsWholeRecordsOnly) {
  const Bytes whole = Blob(kDesktop);
  const SmbiosTable full = Read(whole);
  ASSERT_EQ(Describe(full),
            L"types 0 1 2 16 17 17 17 | ASUSTeK COMPUTER INC./PRIME B450M-A"
            L" | DIMM 0/P0 CHANNEL A 8388608 kB 2400 Samsung/M378A1K43CB2-CRC     DDR4"
            L" | DIMM 1/P0 CHANNEL B 8388608 kB 2400 Team Group Inc./TEAMGROUP-UD4-3200 DDR4");
  const auto same = [](const SmbiosRecord& a, const SmbiosRecord& b) {
    return std::tie(a.type, a.formatted, a.strings) == std::tie(b.type, b.formatted, b.strings);
  };
  for (std::size_t size = 0; size <= whole.size(); ++size) {
    std::size_t kept = 0;  // the records whole within `size` bytes
    for (std::size_t end = 8; kept < full.records.size() && (end += kDesktop[kept].size()) <= size;) ++kept;
    // The table's length as the whole's, longer than the bytes given; then as `size`, shorter.
    Bytes stated = whole;
    stated[4] = static_cast<std::uint8_t>(size - 8), stated[5] = static_cast<std::uint8_t>((size - 8) >> 8);
    for (const Bytes& blob : {Bytes(whole.begin(), whole.begin() + size), stated}) {
      const SmbiosTable table = Read(blob);
      EXPECT_EQ(table.failure == S_OK, blob.size() >= 8) << size;  // a blob of no header is no table
      ASSERT_EQ(table.records.size(), size < 8 ? 0 : kept) << size << " bytes, of " << blob.size();
      for (std::size_t i = 0; i < kept; ++i) EXPECT_TRUE(same(table.records[i], full.records[i])) << size;
      if (size < 8) break;
    }
  }
}

TEST(SmbiosTest, BrokenRecordsEndTheWalkAndAbsentFieldsAreEmpty) {
  Bytes longBoard = kBoard, shortHeader = kBoard, unclosed = kBoard, pastSet = kBoard;
  longBoard[1] = 0xFF, shortHeader[1] = 3, pastSet[5] = 7;  // the product: string 7 of 6
  unclosed.pop_back();
  const std::vector<std::string> names{"DIMM 2", "BANK 2", "Maker", "1", "2", "Part"};
  const struct { Bytes blob; DWORD error; std::wstring read; } cases[] = {
      {Blob({kBoard, longBoard}), 0, L"types 2 | ASUSTeK COMPUTER INC./PRIME B450M-A"},
      {Blob({shortHeader, kBoard}), 0, L"types"},
      {Blob({kBoard, unclosed}), 0, L"types 2 | ASUSTeK COMPUTER INC./PRIME B450M-A"},
      {Blob({pastSet, kBoard}), 0, L"types 2 2 | ASUSTeK COMPUTER INC./"},
      {Blob({kEnd, kBoard}), 0, L"types"},
      {Blob({Module(0x7FFF, 0, names, 0x22, 0x80008000), Module(0xFFFF, 3200, names, 0x13),
             Module(0x8200, 0xFFFF, names, 0x99), Module(0x7FFF, 2133, names, 0x18, 0, 0x1C)}),
       0,
       L"types 17 17 17 17 | DIMM 2/BANK 2 33554432 kB  Maker/Part DDR5 | DIMM 2/BANK 2 ? 3200 Maker/Part DDR2"
       L" | DIMM 2/BANK 2 512 kB  Maker/Part  | DIMM 2/BANK 2 ? 2133 Maker/Part DDR3"},
      {Blob({Module(2048, 800, names, 0x13, 0, 0x15), Module(2048, 800, names, 0x13, 0, 0x0D)}), 0,
       L"types 17 17 | DIMM 2/BANK 2 2097152 kB  / DDR2"},
      {Blob({kBoard}), ERROR_INVALID_FUNCTION, L"types failure 80070001"},
  };
  for (const auto& row : cases) EXPECT_EQ(Describe(Read(row.blob, row.error)), row.read) << "case " << &row - cases;
}

TEST(SmbiosTest, MemoryGenerationsByTypeByte) {
  const std::pair<int, const wchar_t*> kKnown[] = {{0x12, L"DDR"},    {0x13, L"DDR2"},   {0x18, L"DDR3"},
                                                   {0x1A, L"DDR4"},   {0x1B, L"LPDDR"},  {0x1C, L"LPDDR2"},
                                                   {0x1D, L"LPDDR3"}, {0x1E, L"LPDDR4"}, {0x22, L"DDR5"},
                                                   {0x23, L"LPDDR5"}};
  for (int type = 0; type < 256; ++type) {
    std::wstring generation;
    for (const auto& [byte, name] : kKnown) generation = byte == type ? name : generation;
    EXPECT_EQ(MemoryGeneration(static_cast<std::uint8_t>(type)), generation) << type;
  }
}

}  // namespace
}  // namespace vantrel
