#include "collect/collection_pass.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "collect/byte_count.h"
#include "collect/echo.h"
#include "collect/line_format.h"
#include "collect/size_text.h"
#include "probes/adapters.h"
#include "probes/batteries.h"
#include "probes/drive_kind.h"
#include "probes/wmi_connection.h"
#include "probes/wmi_query.h"

namespace vantrel {
namespace {

const wchar_t kNothingFound[] = L"없음";
// What a category says when WMI did not answer one of its statements in time (a failure gets its
// code instead): that the lines are not all there, never that the hardware is missing.
const wchar_t kNotAnswered[] = L"확인 못 함 (Windows 응답 시간 초과)";
// What a category says when the user chose to see the window before it was read.
const wchar_t kSkipped[] = L"확인 못 함 (기다리지 않고 봄)";
// What stands before a notice in the report, where no label is beside it.
const wchar_t* const kReportNames[kCategoryCount] = {L"OS",   L"CPU",   L"RAM", L"Main Board", L"VGA",
                                                     L"Disk", L"Sound", L"ODD", L"Battery"};

// "0x80041010": a code as Windows' own messages show it.
std::wstring HexCode(HRESULT code) {
  wchar_t text[11];
  std::swprintf(text, 11, L"0x%08X", static_cast<unsigned>(code));
  return text;
}

std::wstring NoticeFor(HRESULT code) {
  if (code == WBEM_S_TIMEDOUT) return kNotAnswered;
  return FormatLine(L"확인 못 함 (Windows 오류 %s)", {HexCode(code)});
}

void AddNotice(CategoryOutcome& outcome, Category category, const std::wstring& notice) {
  outcome.lines.push_back(notice);
  outcome.report.append(kReportNames[category]).append(L": ").append(notice).append(L"\r\n");
}

// Builds one category at a time, handing the observer each line as it comes and the category once
// it is finished.
class PassWriter {
 public:
  PassWriter(PassObserver& observer, WmiConnection& wmi) : observer_(observer), wmi_(wmi) {}

  void Begin(Category category) {
    category_ = category;
    outcome_ = CategoryOutcome();
    diagnosticsHandedOver_ = 0;
    troublesBefore_ = wmi_.Troubles().size();
  }

  std::wstring SingleValue(const wchar_t* statement, const wchar_t* property) {
    observer_.Asking(category_, statement);
    return QuerySingleValue(wmi_, statement, property);
  }
  template <class Take>
  void EachRow(const wchar_t* statement, const std::vector<std::wstring>& names, Take take) {
    observer_.Asking(category_, statement);
    ForEachRow(wmi_, statement, names, take);
  }
  template <class Take>
  void EachName(const wchar_t* statement, Take take) {
    observer_.Asking(category_, statement);
    ForEachName(wmi_, statement, take);
  }
  // A question that is not WMI's.
  template <class Ask>
  auto Device(Ask ask) {
    observer_.Asking(category_, std::wstring());
    return ask();
  }

  void Add(const std::wstring& line) {
    outcome_.lines.push_back(line);
    outcome_.report.append(line).append(L"\r\n");
    // Only what is new crosses, so that a category of many lines costs no more than their length:
    // the line, its report text (notices and fallbacks come only as the category ends) and the
    // diagnostics echoed since the last line.
    CategoryOutcome added{{line}, line + L"\r\n", outcome_.diagnostics.substr(diagnosticsHandedOver_)};
    diagnosticsHandedOver_ = outcome_.diagnostics.size();
    observer_.Read(category_, std::move(added));
  }

  // "없음" in the list; the report gets reportLine (with CR LF) unless it is empty.
  void AddFallback(const wchar_t* reportLine) {
    outcome_.lines.push_back(kNothingFound);
    if (*reportLine != L'\0') outcome_.report.append(reportLine).append(L"\r\n");
  }

  void AddNotice(const std::wstring& notice) { vantrel::AddNotice(outcome_, category_, notice); }

  void Echo(std::wstring_view format, std::initializer_list<std::wstring_view> arguments = {}) {
    outcome_.diagnostics.append(FormatLine(format, arguments));
  }

  std::size_t Count() const { return outcome_.lines.size(); }

  // True while every statement of the category so far ended well.
  bool Answered() const { return wmi_.Troubles().size() == troublesBefore_; }

  // Ends a category read from a device list: "없음" only where the list was read to its end; a
  // failure is said after what did come. False for a failure.
  bool FinishList(HRESULT failure) {
    if (FAILED(failure)) {
      AddNotice(NoticeFor(failure));
    } else if (Count() == 0) {
      AddFallback(L"");
    }
    Finish();
    return SUCCEEDED(failure);
  }

  // Ends the category. A diagnostic line for each of its statements that did not end well, and
  // after whatever lines did come, one notice for the first of them. Then hands it over.
  void Finish() {
    const std::vector<WmiTrouble>& troubles = wmi_.Troubles();
    for (std::size_t i = troublesBefore_; i < troubles.size(); ++i) {
      const std::wstring className = ClassOf(troubles[i].statement);
      if (troubles[i].code == WBEM_S_TIMEDOUT) {
        Echo(L"WMI Timeout: %s\n", {className});
      } else {
        Echo(L"WMI Error: %s %s\n", {className, HexCode(troubles[i].code)});
      }
    }
    if (!Answered()) AddNotice(NoticeFor(troubles[troublesBefore_].code));
    observer_.Finished(category_, std::move(outcome_));
  }

 private:
  PassObserver& observer_;
  WmiConnection& wmi_;
  Category category_ = kOs;
  CategoryOutcome outcome_;
  std::size_t diagnosticsHandedOver_ = 0;  // how much of them Read has passed on
  std::size_t troublesBefore_ = 0;  // noted on the connection before the category began
};

// " (64비트)" and " (32비트)" when the text names the width, in that order of precedence.
std::wstring ArchitectureSuffix(const std::wstring& architecture) {
  if (architecture.find(L"64") != std::wstring::npos) return L" (64비트)";
  if (architecture.find(L"32") != std::wstring::npos) return L" (32비트)";
  if (!architecture.empty()) return L" (" + architecture + L")";
  return std::wstring();
}

void CollectOs(PassWriter& out) {
  out.Begin(kOs);
  const std::wstring caption = out.SingleValue(L"SELECT Caption FROM Win32_OperatingSystem", L"Caption");
  const std::wstring architecture =
      out.SingleValue(L"SELECT OSArchitecture FROM Win32_OperatingSystem", L"OSArchitecture");
  // A line is built only from answers that all came, so that no part of one passes for the whole.
  if (out.Answered()) out.Add(caption + ArchitectureSuffix(architecture));
  out.Finish();
}

void CollectCpu(PassWriter& out) {
  out.Begin(kCpu);
  const std::wstring name = out.SingleValue(L"SELECT Name FROM Win32_Processor", L"Name");
  if (out.Answered()) out.Add(name);
  out.Finish();
}

void CollectRam(PassWriter& out) {
  out.Begin(kRam);
  const std::wstring total = FormatGB(ReadByteCount(
      out.SingleValue(L"SELECT TotalPhysicalMemory FROM Win32_ComputerSystem", L"TotalPhysicalMemory")));
  if (out.Answered()) out.Add(FormatLine(L"총 RAM: %s", {total}));
  out.EachRow(
      L"SELECT DeviceLocator, BankLabel, Capacity, Speed, Manufacturer, PartNumber FROM Win32_PhysicalMemory",
      {L"DeviceLocator", L"BankLabel", L"Capacity", L"Speed", L"Manufacturer", L"PartNumber"},
      [&](const PropertyRow& module) {
        const std::wstring capacity = FormatGB(ReadByteCount(module.at(L"Capacity")));
        out.Add(FormatLine(L"%s / %s : %s / %s MHz / %s / %s",
                           {module.at(L"DeviceLocator"), module.at(L"BankLabel"), capacity, module.at(L"Speed"),
                            module.at(L"Manufacturer"), module.at(L"PartNumber")}));
      });
  out.Finish();
}

void CollectMainBoard(PassWriter& out) {
  out.Begin(kMainBoard);
  const std::wstring manufacturer = out.SingleValue(L"SELECT Manufacturer FROM Win32_BaseBoard", L"Manufacturer");
  const std::wstring product = out.SingleValue(L"SELECT Product FROM Win32_BaseBoard", L"Product");
  if (out.Answered()) out.Add(FormatLine(L"%s (%s)", {product, manufacturer}));
  out.Finish();
}

// False when the adapters could not all be read.
bool CollectVga(PassWriter& out) {
  out.Begin(kVga);
  const AdapterList found = out.Device(EnumerateAdapters);
  for (const AdapterInfo& adapter : found.adapters) {
    out.Add(FormatLine(L"%s ( %s )", {adapter.Description, FormatGB(adapter.DedicatedVideoMemory)}));
  }
  return out.FinishList(found.failure);
}

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

void CollectHdd(PassWriter& out) {
  out.Begin(kHdd);
  out.EachRow(L"SELECT Index, Model, Size, InterfaceType, PNPDeviceID FROM Win32_DiskDrive",
              {L"Index", L"Model", L"Size", L"InterfaceType", L"PNPDeviceID"}, [&](const PropertyRow& disk) {
                const std::wstring& model = disk.at(L"Model");
                const std::wstring size = FormatDiskSize(ReadByteCount(disk.at(L"Size")));
                out.Echo(L"Disk: %s\n", {model});
                out.Add(FormatLine(L"Disk %s : %s (%s) / %s%s", {disk.at(L"Index"), model, size, disk.at(L"InterfaceType"),
                                                               KindSuffix(QueryDriveKind(disk.at(L"Index")))}));
              });
  if (out.Count() == 0 && out.Answered()) out.AddFallback(L"Disk: 없음");
  out.Finish();
}

void CollectSound(PassWriter& out) {
  out.Begin(kSound);
  out.EachName(L"SELECT Name FROM Win32_SoundDevice", [&](const std::wstring& name) {
    out.Echo(L"Sound: %s\n", {name});
    out.Add(name);
  });
  if (out.Count() == 0 && out.Answered()) out.AddFallback(L"Sound: 없음");
  out.Finish();
}

void CollectOdd(PassWriter& out) {
  out.Begin(kOdd);
  out.EachName(L"SELECT Name FROM Win32_CDROMDrive", [&](const std::wstring& name) {
    out.Echo(L"ODD: %s\n", {name});
    out.Add(name);
  });
  if (out.Count() == 0 && out.Answered()) {
    out.Echo(L"ODD: 없음\n");
    out.AddFallback(L"ODD: 없음");
  }
  out.Finish();
}

// One line a system battery, as the driver gave it; a desktop gets "없음" and no report line.
// False when the batteries could not all be read.
bool CollectBattery(PassWriter& out) {
  out.Begin(kBattery);
  const BatteryReading reading = out.Device(ReadBatteries);
  for (std::size_t n = 0; n < reading.batteries.size(); ++n) {
    const BatteryHealth& battery = reading.batteries[n];
    // 64 bits: full × 100 cannot overflow whatever the driver says.
    const unsigned long long percent = 100ull * battery.fullChargedCapacity / battery.designedCapacity;
    std::wstring line = FormatLine(L"배터리 %s : %s%% (%s / %s mWh)",
                                   {std::to_wstring(n), std::to_wstring(percent), std::to_wstring(battery.fullChargedCapacity),
                                    std::to_wstring(battery.designedCapacity)});
    if (battery.cycleCount != 0) line += FormatLine(L" / 충전 %s회", {std::to_wstring(battery.cycleCount)});
    out.Add(line);
  }
  return out.FinishList(reading.failure);
}

constexpr Category kWmiCategories[] = {kOs, kCpu, kRam, kMainBoard, kHdd, kSound, kOdd};

}  // namespace

PassResult RunCollectionPass(PassObserver& observer) {
  WmiConnection wmi;
  PassWriter out(observer, wmi);
  const bool adaptersRead = CollectVga(out);
  observer.Asking(kOs, kConnecting);
  if (!wmi.Open()) {
    const std::wstring notice = NoticeFor(wmi.OpenFailure());
    for (Category category : kWmiCategories) {
      out.Begin(category);
      // The first category said leads the diagnostics.
      if (category == kWmiCategories[0]) out.Echo(L"WMI Init Failed\n");
      out.AddNotice(notice);
      out.Finish();
    }
    CollectBattery(out);
    observer.Ended(PassResult::kWmiUnavailable);
    return PassResult::kWmiUnavailable;
  }
  CollectOs(out);
  CollectCpu(out);
  CollectRam(out);
  CollectMainBoard(out);
  CollectHdd(out);
  CollectSound(out);
  CollectOdd(out);
  const bool batteriesRead = CollectBattery(out);
  // The open began the list afresh.
  const bool complete = wmi.Troubles().empty() && adaptersRead && batteriesRead;
  const PassResult result = complete ? PassResult::kComplete : PassResult::kIncomplete;
  observer.Ended(result);
  wmi.Close();
  return result;
}

std::wstring ClassOf(const std::wstring& statement) {
  const std::size_t from = statement.rfind(L" FROM ");
  if (from == std::wstring::npos) return statement;
  const std::size_t start = from + 6;
  return statement.substr(start, statement.find(L' ', start) - start);
}

CategoryOutcome CutShortOutcome(Category category, CategoryOutcome soFar, CutShort why) {
  AddNotice(soFar, category, why == CutShort::kSkipped ? kSkipped : kNotAnswered);
  return soFar;
}

void Append(CategoryOutcome& outcome, CategoryOutcome added) {
  for (std::wstring& line : added.lines) outcome.lines.push_back(std::move(line));
  outcome.report.append(added.report);
  outcome.diagnostics.append(added.diagnostics);
}

void SayDiagnostics(const CategoryOutcomes& outcomes) {
  std::wstring text;
  for (const std::optional<CategoryOutcome>& outcome : outcomes) {
    if (outcome) text.append(outcome->diagnostics);
  }
  if (!text.empty()) WriteWideText(EchoStream(), text);
}

void ShowOutcomes(const CategoryOutcomes& outcomes, const CategoryLists& categories, std::wstring& specReport) {
  for (CategoryList* list : categories) list->RemoveAll();
  specReport.clear();
  for (std::size_t i = 0; i < kCategoryCount; ++i) {
    const Category category = static_cast<Category>(i);
    const CategoryOutcome outcome =
        outcomes[i] ? *outcomes[i] : CutShortOutcome(category, CategoryOutcome(), CutShort::kNotAnswered);
    for (const std::wstring& line : outcome.lines) categories[i]->Append(line);
    specReport.append(outcome.report);
    categories[i]->SelectFirst();
  }
}

PassResult RunCollectionPass(const CategoryLists& categories, std::wstring& specReport) {
  KeptOutcomes kept;
  const PassResult result = RunCollectionPass(kept);
  ShowOutcomes(kept.outcomes, categories, specReport);
  SayDiagnostics(kept.outcomes);
  return result;
}

}  // namespace vantrel
