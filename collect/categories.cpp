// The table of categories and the lines each builds from what its reading gave.
#include "collect/categories.h"

#include <algorithm>

#include "collect/byte_count.h"
#include "collect/line_format.h"
#include "collect/size_text.h"
#include "probes/adapters.h"
#include "probes/batteries.h"
#include "probes/device_lists.h"
#include "probes/drive_kind.h"
#include "probes/platform_facts.h"
#include "probes/smbios.h"

namespace vantrel {
namespace {

// " (64비트)" and " (32비트)" when the text names the width, in that order of precedence.
std::wstring ArchitectureSuffix(const std::wstring& architecture) {
  if (architecture.find(L"64") != std::wstring::npos) return L" (64비트)";
  if (architecture.find(L"32") != std::wstring::npos) return L" (32비트)";
  if (!architecture.empty()) return L" (" + architecture + L")";
  return std::wstring();
}

std::wstring OsLine(const std::vector<std::wstring>& values) { return values[0] + ArchitectureSuffix(values[1]); }

std::wstring FirstValue(const std::vector<std::wstring>& values) { return values[0]; }

std::wstring RamTotalLine(std::uint64_t bytes) { return FormatLine(L"총 RAM: %s", {FormatGB(bytes)}); }

std::wstring RamTotalLine(const std::vector<std::wstring>& values) { return RamTotalLine(ReadByteCount(values[0])); }

// How long a WMI row waits for what the platform's reading found of it (a disk's kind, a module's
// generation), which it normally has long before WMI answers.
constexpr DWORD kFindingWait = 5000;

// A module's line, ended by its generation where the firmware names one.
std::wstring ModuleLine(const std::wstring& locator, const std::wstring& bank, std::uint64_t bytes,
                       const std::wstring& speed, const std::wstring& maker, const std::wstring& part,
                       const std::wstring& generation) {
  std::wstring line = FormatLine(L"%s / %s : %s / %s MHz / %s / %s", {locator, bank, FormatGB(bytes), speed, maker, part});
  if (!generation.empty()) line.append(L" / ").append(generation);
  return line;
}

std::wstring ModuleLine(const PropertyRow& module, Findings& findings) {
  const std::wstring& locator = module.at(L"DeviceLocator");
  const std::wstring& bank = module.at(L"BankLabel");
  return ModuleLine(locator, bank, ReadByteCount(module.at(L"Capacity")), module.at(L"Speed"), module.at(L"Manufacturer"),
                    module.at(L"PartNumber"), findings.GenerationOf(locator, bank, kFindingWait));
}

// The product first, then its maker.
std::wstring BoardLine(const std::wstring& maker, const std::wstring& product) {
  return FormatLine(L"%s (%s)", {product, maker});
}

std::wstring BoardLine(const std::vector<std::wstring>& values) { return BoardLine(values[0], values[1]); }

// What ends a disk's line once Windows said what kind of drive it is.
const wchar_t* KindSuffix(DriveKind kind) {
  switch (kind) {
    case DriveKind::kHdd:
      return L" / HDD";
    case DriveKind::kSsd:
      return L" / SSD";
    case DriveKind::kNvmeSsd:
      return L" / NVMe SSD";
    case DriveKind::kUnknown:
      break;
  }
  return L"";
}

// What the drive said of its use and wear: hours for any, the life left for NVMe, and its warning.
std::wstring HealthSuffix(const DiskHealth& health) {
  std::wstring suffix;
  if (health.powerOnHours) suffix += FormatLine(L" / 사용시간 %s시간", {std::to_wstring(*health.powerOnHours)});
  if (health.percentUsed) {
    suffix += FormatLine(L" / 수명 %s%%", {std::to_wstring(100 - std::min(*health.percentUsed, 100u))});
  }
  if (health.predictsFailure) suffix += L" / 고장 예측";
  return suffix;
}

std::wstring DiskLine(const std::wstring& number, const std::wstring& model, std::uint64_t bytes,
                     const std::wstring& interfaceText, const DiskFinding& found) {
  return FormatLine(L"Disk %s : %s (%s) / %s%s%s", {number, model, FormatDiskSize(bytes), interfaceText,
                                                    KindSuffix(found.kind), HealthSuffix(found.health)});
}

// Where the platform's disk list has not come by then, the drive's kind is asked here.
std::wstring DiskLine(const PropertyRow& disk, Findings& findings) {
  const std::wstring& index = disk.at(L"Index");
  std::optional<DiskFinding> found = findings.DiskOf(index, kFindingWait);
  if (!found) found = DiskFinding{QueryDriveKind(index), DiskHealth()};
  return DiskLine(index, disk.at(L"Model"), ReadByteCount(disk.at(L"Size")), disk.at(L"InterfaceType"), *found);
}

std::wstring NameLine(const PropertyRow& device, Findings&) { return device.at(L"Name"); }

// ---- The same lines from the platform's own sources ----

DeviceLines OneLine(const TextFact& fact) {
  return SUCCEEDED(fact.failure) ? DeviceLines{{fact.text}, S_OK} : DeviceLines{{}, fact.failure};
}

DeviceLines OsFromRegistry(Findings&) { return OneLine(ReadOsLine()); }

DeviceLines ProcessorFromRegistry(Findings&) { return OneLine(ReadProcessorName()); }

// The total, then a line for each module the firmware names; a failure of either is said after
// what the other gave. The modules' records go to WMI's module rows too.
DeviceLines RamFromPlatform(Findings& findings) {
  DeviceLines read;
  const ByteCountFact total = ReadTotalMemory();
  if (SUCCEEDED(total.failure)) {
    read.lines.push_back(RamTotalLine(total.bytes));
  } else {
    read.failure = total.failure;
  }
  const SmbiosTable table = ReadSmbiosTable();
  std::vector<MemoryModule> modules = MemoryModules(table.records);
  for (const MemoryModule& module : modules) {
    read.lines.push_back(ModuleLine(module.deviceLocator, module.bankLocator, module.sizeBytes.value_or(0), module.speed,
                                    module.manufacturer, module.partNumber, MemoryGeneration(module.memoryType)));
  }
  if (FAILED(table.failure) && SUCCEEDED(read.failure)) read.failure = table.failure;
  findings.PublishModules(std::move(modules));
  return read;
}

DeviceLines BoardFromFirmware(Findings&) {
  const SmbiosTable table = ReadSmbiosTable();
  if (FAILED(table.failure)) return {{}, table.failure};
  const std::optional<BaseBoard> board = FindBaseBoard(table.records);
  if (!board) return {{}, HRESULT_FROM_WIN32(ERROR_NOT_FOUND)};
  return {{BoardLine(board->manufacturer, board->product)}, S_OK};
}

// The disks in device-number order; their kinds and health go to WMI's disk rows too.
DeviceLines DisksFromSetupApi(Findings& findings) {
  const PlatformDiskList found = ReadPlatformDisks();
  std::map<DWORD, DiskFinding> byNumber;
  DeviceLines read{{}, found.failure};
  for (const PlatformDisk& disk : found.disks) {
    const DiskFinding finding{disk.kind, disk.health};
    byNumber.emplace(disk.number, finding);
    read.lines.push_back(DiskLine(std::to_wstring(disk.number), disk.model, disk.bytes, disk.interfaceText, finding));
  }
  for (const PlatformDisk& disk : found.partial) byNumber.emplace(disk.number, DiskFinding{disk.kind, disk.health});
  findings.PublishDisks(std::move(byNumber));
  return read;
}

DeviceLines Names(const DeviceNames& found) { return {found.names, found.failure}; }

DeviceLines SoundFromSetupApi(Findings&) { return Names(ReadSoundDeviceNames()); }

DeviceLines OpticalFromSetupApi(Findings&) { return Names(ReadOpticalDriveNames()); }

DeviceLines AdapterLines() {
  const AdapterList found = EnumerateAdapters();
  DeviceLines read{{}, found.failure};
  for (const AdapterInfo& adapter : found.adapters) {
    read.lines.push_back(FormatLine(L"%s ( %s )", {adapter.Description, FormatGB(adapter.DedicatedVideoMemory)}));
  }
  return read;
}

// One line a system battery, as the driver gave it.
DeviceLines BatteryLines() {
  const BatteryReading found = ReadBatteries();
  DeviceLines read{{}, found.failure};
  for (std::size_t n = 0; n < found.batteries.size(); ++n) {
    const BatteryHealth& battery = found.batteries[n];
    // 64 bits: full × 100 cannot overflow whatever the driver says.
    const unsigned long long percent = 100ull * battery.fullChargedCapacity / battery.designedCapacity;
    std::wstring line = FormatLine(L"배터리 %s : %s%% (%s / %s mWh)",
                                   {std::to_wstring(n), std::to_wstring(percent), std::to_wstring(battery.fullChargedCapacity),
                                    std::to_wstring(battery.designedCapacity)});
    if (battery.cycleCount != 0) line += FormatLine(L" / 충전 %s회", {std::to_wstring(battery.cycleCount)});
    read.lines.push_back(std::move(line));
  }
  return read;
}

constexpr WmiStatement Value(const wchar_t* className, const wchar_t* property) {
  return {WmiStatement::kValue, className, {property}};
}
constexpr WmiStatement kNone{};

// The combos' ids are the dialog template's: the battery's came after the ids that follow ODD's
// were taken.
constexpr std::array<CategoryInfo, kCategoryCount> kTable = {{
    {kOs, L"OS", L"OS", 1007, WhenEmpty::kNeverEmpty, nullptr,
     {Value(L"Win32_OperatingSystem", L"Caption"), Value(L"Win32_OperatingSystem", L"OSArchitecture")},
     &OsLine, nullptr, nullptr, &OsFromRegistry, L"the registry"},
    {kCpu, L"CPU", L"CPU", 1008, WhenEmpty::kNeverEmpty, nullptr, {Value(L"Win32_Processor", L"Name"), kNone},
     &FirstValue, nullptr, nullptr, &ProcessorFromRegistry, L"the registry"},
    {kRam, L"RAM", L"RAM", 1009, WhenEmpty::kNeverEmpty, nullptr,
     {Value(L"Win32_ComputerSystem", L"TotalPhysicalMemory"),
      {WmiStatement::kRows,
       L"Win32_PhysicalMemory",
       {L"DeviceLocator", L"BankLabel", L"Capacity", L"Speed", L"Manufacturer", L"PartNumber"}}},
     &RamTotalLine, &ModuleLine, nullptr, &RamFromPlatform, L"kernel32 and SMBIOS"},
    {kMainBoard, L"Main Board", L"Main Board", 1010, WhenEmpty::kNeverEmpty, nullptr,
     {Value(L"Win32_BaseBoard", L"Manufacturer"), Value(L"Win32_BaseBoard", L"Product")}, &BoardLine, nullptr,
     nullptr, &BoardFromFirmware, L"SMBIOS"},
    {kVga, L"VGA", L"VGA", 1011, WhenEmpty::kListOnly, nullptr, {kNone, kNone}, nullptr, nullptr, &AdapterLines, nullptr, nullptr},
    {kHdd, L"HDD", L"Disk", 1012, WhenEmpty::kReportToo, L"Model",
     {WmiStatement{WmiStatement::kRows, L"Win32_DiskDrive", {L"Index", L"Model", L"Size", L"InterfaceType", L"PNPDeviceID"}},
      kNone},
     nullptr, &DiskLine, nullptr, &DisksFromSetupApi, L"SetupAPI"},
    {kSound, L"Sound", L"Sound", 1013, WhenEmpty::kReportToo, L"Name",
     {WmiStatement{WmiStatement::kNames, L"Win32_SoundDevice", {L"Name"}}, kNone}, nullptr, &NameLine, nullptr,
     &SoundFromSetupApi, L"SetupAPI"},
    {kOdd, L"ODD", L"ODD", 1014, WhenEmpty::kReportAndEcho, L"Name",
     {WmiStatement{WmiStatement::kNames, L"Win32_CDROMDrive", {L"Name"}}, kNone}, nullptr, &NameLine, nullptr,
     &OpticalFromSetupApi, L"SetupAPI"},
    {kBattery, L"Battery", L"Battery", 1020, WhenEmpty::kListOnly, nullptr, {kNone, kNone}, nullptr, nullptr,
     &BatteryLines, nullptr, nullptr},
}};

// A row left out of the table, or one out of place, would otherwise be zeros at run time.
constexpr bool EveryRowInPlace() {
  for (std::size_t i = 0; i < kTable.size(); ++i) {
    const CategoryInfo& row = kTable[i];
    if (row.category != i || row.label == nullptr || row.reportName == nullptr || row.comboId == 0) return false;
    const bool fromWmi = row.statements[0].className != nullptr;
    if (fromWmi == (row.readDevice != nullptr)) return false;  // exactly one reading
    if (fromWmi && row.valuesLine == nullptr && row.rowLine == nullptr) return false;
    if ((row.readPlatform == nullptr) != (row.platformSource == nullptr)) return false;
  }
  return true;
}
static_assert(EveryRowInPlace(), "one complete row per category, in report order");

constexpr std::array<Category, kCategoryCount> MakeReadOrder() {
  std::array<Category, kCategoryCount> order{};
  std::size_t next = 0;
  for (const bool devices : {true, false}) {
    for (const CategoryInfo& row : kTable) {
      if ((row.readDevice != nullptr) == devices) order[next++] = row.category;
    }
  }
  return order;
}
constexpr std::array<Category, kCategoryCount> kReadOrder = MakeReadOrder();

}  // namespace

std::wstring StatementText(const WmiStatement& statement) {
  std::wstring text = L"SELECT ";
  const std::vector<std::wstring> names = PropertyNames(statement);
  for (std::size_t i = 0; i < names.size(); ++i) text.append(i == 0 ? L"" : L", ").append(names[i]);
  return text.append(L" FROM ").append(statement.className);
}

std::vector<std::wstring> PropertyNames(const WmiStatement& statement) {
  std::vector<std::wstring> names;
  for (const wchar_t* name : statement.properties) {
    if (name != nullptr) names.emplace_back(name);
  }
  return names;
}

const CategoryInfo& CategoryOf(Category category) { return kTable[category]; }

const std::array<CategoryInfo, kCategoryCount>& Categories() { return kTable; }

const std::array<Category, kCategoryCount>& ReadOrder() { return kReadOrder; }

}  // namespace vantrel
