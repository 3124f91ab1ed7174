// Walks the SMBIOS table that Windows copies out of the firmware, trusting none of its lengths:
// every offset is checked against the bytes that came before it is read.
#include "probes/smbios.h"

#include <algorithm>

#include "probes/device_entry_points.h"

namespace vantrel {

namespace {

constexpr DWORD kRawSmbiosProvider = 0x52534D42;  // 'RSMB'
constexpr std::size_t kRawHeader = 8;  // Used20CallingMethod, the version bytes, DmiRevision, Length
constexpr std::size_t kRecordHeader = 4;  // type, formatted length, handle
constexpr std::uint8_t kEndOfTable = 127, kBaseBoard = 2, kMemoryDevice = 17;
// SMBIOS 3 tables may pass 64 KiB; anything near this is no firmware's.
constexpr UINT kLargestTable = 16 * 1024 * 1024;

std::uint32_t LittleEndian(const std::uint8_t* bytes, std::size_t count) {
  std::uint32_t value = 0;
  for (std::size_t i = count; i-- > 0;) value = value << 8 | bytes[i];
  return value;
}

// A field of `width` bytes at `offset` of the formatted area; none where the record ends before it.
std::optional<std::uint32_t> Field(const SmbiosRecord& record, std::size_t offset, std::size_t width) {
  if (offset + width > record.formatted.size()) return std::nullopt;
  return LittleEndian(record.formatted.data() + offset, width);
}

// The string whose number is the byte at `offset`: empty for 0, a number past the set, or a
// field past the record.
std::wstring String(const SmbiosRecord& record, std::size_t offset) {
  const std::optional<std::uint32_t> number = Field(record, offset, 1);
  if (!number || *number == 0 || *number > record.strings.size()) return std::wstring();
  return record.strings[*number - 1];
}

// The module's size from Size (0x0C) and, where Size says so, Extended Size (0x1C).
std::optional<std::uint64_t> ModuleBytes(std::uint32_t size, const SmbiosRecord& record) {
  std::uint64_t bytes = 0;
  if (size == 0xFFFF) return std::nullopt;  // unknown
  if (size == 0x7FFF) {
    const std::optional<std::uint32_t> extended = Field(record, 0x1C, 4);
    if (!extended) return std::nullopt;
    bytes = std::uint64_t{*extended & 0x7FFFFFFF} << 20;
  } else {
    bytes = std::uint64_t{size & 0x7FFF} << (size & 0x8000 ? 10 : 20);
  }
  if (bytes == 0) return std::nullopt;  // a module of no bytes is no answer
  return bytes;
}

// Speed (0x15) in MHz; 0xFFFF defers to Extended Speed (0x54) since SMBIOS 3.3. Empty where unknown.
std::wstring ModuleSpeed(const SmbiosRecord& record) {
  std::optional<std::uint32_t> speed = Field(record, 0x15, 2);
  if (speed == 0xFFFFu) speed = Field(record, 0x54, 4);
  if (!speed || (*speed & 0x7FFFFFFF) == 0) return std::wstring();
  return std::to_wstring(*speed & 0x7FFFFFFF);
}

// The whole records of a RawSMBIOSData blob (its 8-byte header, then its table), in order, up to
// the end-of-table record, the end of the blob or of the table's stated length, whichever comes
// first, or the first record whose formatted area or string set does not end inside them.
std::vector<SmbiosRecord> ParseSmbios(const std::uint8_t* blob, std::size_t size) {
  std::vector<SmbiosRecord> records;
  if (size < kRawHeader) return records;
  const std::uint8_t* const table = blob + kRawHeader;
  const std::size_t end = std::min<std::size_t>(LittleEndian(blob + 4, 4), size - kRawHeader);
  std::size_t at = 0;
  while (at + kRecordHeader <= end && table[at] != kEndOfTable) {
    const std::size_t length = table[at + 1];
    if (length < kRecordHeader || length > end - at) break;
    // The string set runs to the first double NUL after the formatted area.
    std::size_t last = at + length;
    while (last + 1 < end && (table[last] != 0 || table[last + 1] != 0)) ++last;
    if (last + 1 >= end) break;
    SmbiosRecord record;
    record.type = table[at];
    record.formatted.assign(table + at, table + at + length);
    // A set that begins with its double NUL holds no string; NULs separate the strings in it.
    for (std::size_t text = at + length; text < last && table[text] != 0;) {
      const std::uint8_t* const stop = std::find(table + text, table + last, std::uint8_t{0});
      record.strings.emplace_back(table + text, stop);
      text = static_cast<std::size_t>(stop - table) + 1;
    }
    records.push_back(std::move(record));
    at = last + 2;
  }
  return records;
}

}  // namespace

SmbiosTable ReadSmbiosTable() {
  const DeviceEntryPoints& api = DeviceApi();
  SmbiosTable read;
  // Asked first for its size, then for the table in a buffer of that size.
  const UINT size = api.getSystemFirmwareTable(kRawSmbiosProvider, 0, nullptr, 0);
  if (size == 0) {
    read.failure = FailureOfLastCall();
    return read;
  }
  if (size < kRawHeader || size > kLargestTable) {
    read.failure = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    return read;
  }
  std::vector<std::uint8_t> blob(size);
  const UINT copied = api.getSystemFirmwareTable(kRawSmbiosProvider, 0, blob.data(), size);
  if (copied == 0) {
    read.failure = FailureOfLastCall();
  } else if (copied < kRawHeader || copied > size) {  // too short, or a table that grew since
    read.failure = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
  } else {
    read.records = ParseSmbios(blob.data(), copied);
  }
  return read;
}

std::optional<BaseBoard> FindBaseBoard(const std::vector<SmbiosRecord>& records) {
  for (const SmbiosRecord& record : records) {
    if (record.type == kBaseBoard) return BaseBoard{String(record, 0x04), String(record, 0x05)};
  }
  return std::nullopt;
}

std::vector<MemoryModule> MemoryModules(const std::vector<SmbiosRecord>& records) {
  std::vector<MemoryModule> modules;
  for (const SmbiosRecord& record : records) {
    const std::optional<std::uint32_t> size = Field(record, 0x0C, 2);
    // A record too short to say its size cannot say that it holds a module.
    if (record.type != kMemoryDevice || !size || *size == 0) continue;
    modules.push_back({String(record, 0x10), String(record, 0x11), String(record, 0x17), String(record, 0x1A),
                       ModuleBytes(*size, record), ModuleSpeed(record),
                       static_cast<std::uint8_t>(Field(record, 0x12, 1).value_or(0x02))});
  }
  return modules;
}

std::wstring MemoryGeneration(std::uint8_t memoryType) {
  static const struct {
    std::uint8_t type;
    const wchar_t* generation;
  } kGenerations[] = {{0x12, L"DDR"},    {0x13, L"DDR2"},   {0x18, L"DDR3"},   {0x1A, L"DDR4"}, {0x1B, L"LPDDR"},
                      {0x1C, L"LPDDR2"}, {0x1D, L"LPDDR3"}, {0x1E, L"LPDDR4"}, {0x22, L"DDR5"}, {0x23, L"LPDDR5"}};
  for (const auto& known : kGenerations) {
    if (known.type == memoryType) return known.generation;
  }
  return std::wstring();
}

}  // namespace vantrel
