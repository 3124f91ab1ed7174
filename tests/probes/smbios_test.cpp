// The SMBIOS walk and its readers through the scripted firmware call: a desktop's table, every
// truncation of it, and broken tables.
#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "fakes/fake_devices.h"
#include "fakes/smbios_tables.h"
#include "probes/smbios.h"

namespace vantrel {
namespace {

using namespace testing::smbios;

SmbiosTable Read(const Bytes& blob, DWORD error = 0) {
  testing::FakeDevices devices;
  devices.firmwareTable = blob, devices.firmwareError = error;
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
    out << L" | " << m.deviceLocator << L"/" << m.bankLocator << L" " << (m.sizeBytes.value_or(0) >> 10) << L" "
        << m.speed << L" " << m.manufacturer << L"/" << m.partNumber << L" " << MemoryGeneration(m.memoryType);
  }
  return out.str();
}

TEST(SmbiosTest, WholeRecordsOnlyFromEveryTruncationOfADesktopsTableAndFromBrokenTables) {
  const Bytes whole = Blob(kDesktop);
  const SmbiosTable full = Read(whole);  // sizes in kB, 0 where unknown
  ASSERT_EQ(Describe(full), L"types 0 1 2 16 17 17 17 | ASUSTeK COMPUTER INC./PRIME B450M-A"
                            L" | DIMM 0/P0 CHANNEL A 8388608 2400 Samsung/M378A1K43CB2-CRC    DDR4"
                            L" | DIMM 1/P0 CHANNEL B 8388608 2400 Team Group Inc./TEAMGROUP-UD4-3200 DDR4");
  for (std::size_t size = 0; size <= whole.size(); ++size) {
    std::size_t kept = 0;  // the records whole within `size` bytes
    for (std::size_t end = 8; kept < full.records.size() && (end += kDesktop[kept].size()) <= size;) ++kept;
    Bytes stated = whole;  // `size` bytes, the table's Length saying all; then all, the Length saying `size`
    stated[4] = Byte(size - 8, 0), stated[5] = Byte(size - 8, 1);
    for (const Bytes& blob : {Bytes(whole.begin(), whole.begin() + size), stated}) {
      const SmbiosTable table = Read(blob);
      ASSERT_EQ(table.records.size(), size < 8 ? 0 : kept) << size << " bytes, of " << blob.size();
      EXPECT_EQ(table.failure == S_OK, blob.size() >= 8) << size;
      for (std::size_t i = 0; i < kept; ++i) {
        const SmbiosRecord &a = table.records[i], &b = full.records[i];
        EXPECT_EQ(std::tie(a.type, a.formatted, a.strings), std::tie(b.type, b.formatted, b.strings)) << size;
      }
      if (size < 8) break;  // no Length can say so
    }
  }
  Bytes longBoard = kBoard, shortHeader = kBoard, unclosed = kBoard, pastSet = kBoard;
  longBoard[1] = 0xFF, shortHeader[1] = 3, pastSet[5] = 7, unclosed.pop_back();  // the product: string 7 of 6
  const std::vector<std::string> names{"DIMM 2", "BANK 2", "Maker", "1", "2", "Part"};
  const struct { Bytes blob; DWORD error; std::wstring read; } cases[] = {
      {Blob({kBoard, longBoard}), 0, L"types 2 | ASUSTeK COMPUTER INC./PRIME B450M-A"},
      {Blob({shortHeader, kBoard}), 0, L"types"},
      {Blob({kBoard, unclosed}), 0, L"types 2 | ASUSTeK COMPUTER INC./PRIME B450M-A"},
      {Blob({pastSet, kBoard}), 0, L"types 2 2 | ASUSTeK COMPUTER INC./"},
      {Blob({kEnd, kBoard}), 0, L"types"},
      // Extended Size (bit 31 not part of it), unknown, in kB, an Extended Size past the record.
      {Blob({Module(0x7FFF, 0, 0x22, names, 0x80008000), Module(0xFFFF, 3200, 0x13, names),
             Module(0x8200, 0xFFFF, 0x99, names), Module(0x7FFF, 2133, 0x18, names, 0, 0x1C)}),
       0, L"types 17 17 17 17 | DIMM 2/BANK 2 33554432  Maker/Part DDR5 | DIMM 2/BANK 2 0 3200 Maker/Part DDR2"
          L" | DIMM 2/BANK 2 512  Maker/Part  | DIMM 2/BANK 2 0 2133 Maker/Part DDR3"},
      // SMBIOS 2.1's record, without speed, maker and part number; one too short to give its size.
      {Blob({Module(2048, 800, 0x13, names, 0, 0x15), Module(2048, 800, 0x13, names, 0, 0x0D)}), 0,
       L"types 17 17 | DIMM 2/BANK 2 2097152  / DDR2"},
      {whole, ERROR_INVALID_FUNCTION, L"types failure 80070001"},
  };
  for (const auto& row : cases) EXPECT_EQ(Describe(Read(row.blob, row.error)), row.read) << "case " << &row - cases;
}

TEST(SmbiosTest, MemoryGenerationsByTypeByte) {
  std::wostringstream known;
  for (int type = 0; type < 256; ++type) {
    const std::wstring generation = MemoryGeneration(static_cast<std::uint8_t>(type));
    if (!generation.empty()) known << std::hex << type << L" " << generation << L", ";
  }
  EXPECT_EQ(known.str(),
            L"12 DDR, 13 DDR2, 18 DDR3, 1a DDR4, 1b LPDDR, 1c LPDDR2, 1d LPDDR3, 1e LPDDR4, 22 DDR5, 23 LPDDR5, ");
}

}  // namespace
}  // namespace vantrel
