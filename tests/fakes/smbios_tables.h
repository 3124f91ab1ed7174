// Firmware tables for the tests, built as real firmware lays them out: a desktop's SMBIOS table
// and the pieces to make others from.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::testing::smbios {

using Bytes = std::vector<std::uint8_t>;

inline std::uint8_t Byte(std::uint32_t value, int i) { return static_cast<std::uint8_t>(value >> 8 * i); }

// A structure: its header, its fields after it, then its string set.
inline Bytes Structure(std::uint8_t type, Bytes fields, std::vector<std::string> strings) {
  Bytes out{type, Byte(fields.size() + 4, 0), 0x34, 0x12};
  out.insert(out.end(), fields.begin(), fields.end());
  for (const std::string& text : strings) out.insert(out.end(), text.c_str(), text.c_str() + text.size() + 1);
  return out.resize(out.size() + (strings.empty() ? 2 : 1)), out;
}

// A memory device of SMBIOS 3.0 cut to `length` formatted bytes. Its strings: the locators,
// maker, serial number, asset tag and part number.
inline Bytes Module(std::uint16_t size, std::uint16_t speed, std::uint8_t type, std::vector<std::string> strings,
             std::uint32_t extendedSize = 0, std::size_t length = 0x28) {
  Bytes fields{0, 0x10, 0xFE, 0xFF, 64, 0, 64, 0, Byte(size, 0), Byte(size, 1), 9, 0, 1, 2, type, 0x80, 0,
               Byte(speed, 0), Byte(speed, 1), 3, 4, 5, 6, 1, Byte(extendedSize, 0), Byte(extendedSize, 1),
               Byte(extendedSize, 2), Byte(extendedSize, 3), Byte(speed, 0), Byte(speed, 1), 0xB0, 4, 0xB0, 4, 0xB0, 4};
  return fields.resize(length - 4), Structure(17, fields, strings);
}

inline const Bytes kBoard = Structure(
    2, {1, 2, 3, 4, 5, 9, 6, 3, 0, 0x0A, 0},
    {"ASUSTeK COMPUTER INC.", "PRIME B450M-A", "Rev X.0x", "190436651200017", "Default string", "Default string"});
inline const Bytes kEnd = Structure(127, {}, {});
inline const std::vector<Bytes> kDesktop = {
    Structure(0, {1, 2, 0, 0xF0, 3, 0xFF, 0x80, 0x98, 0x8B, 0x3F, 1, 0, 0, 0, 0x33, 0x0F, 5, 17, 0xFF, 0xFF, 0, 0},
              {"American Megatrends Inc.", "3211", "08/10/2021"}),
    Structure(1, {1, 2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 5, 6},
              {"System manufacturer", "System Product Name", "System Version", "System Serial Number", "SKU",
               "To be filled by O.E.M."}),
    kBoard,
    Structure(16, {3, 3, 3, 0, 0, 0, 4, 0xFE, 0xFF, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {}),
    Module(8192, 2400, 0x1A, {"DIMM 0", "P0 CHANNEL A", "Samsung", "0x1234", "Not Specified", "M378A1K43CB2-CRC   "}),
    Module(0, 0, 2, {"DIMM 1", "P0 CHANNEL A", "Unknown", "Unknown", "Not Specified", "Unknown"}),
    Module(8192, 2400, 0x1A,
           {"DIMM 1", "P0 CHANNEL B", "Team Group Inc.", "0x0", "Not Specified", "TEAMGROUP-UD4-3200"}),
    kEnd};

// The RawSMBIOSData blob (SMBIOS 3.3) of `structures`, its Length as the bytes after the header.
inline Bytes Blob(const std::vector<Bytes>& structures) {
  Bytes blob{0, 3, 3, 0, 0, 0, 0, 0};
  for (const Bytes& structure : structures) blob.insert(blob.end(), structure.begin(), structure.end());
  return blob[4] = Byte(blob.size() - 8, 0), blob[5] = Byte(blob.size() - 8, 1), blob;
}

}  // namespace vantrel::testing::smbios
