#include "collect/collection_pass.h"

#include <iostream>
#include <vector>

#include "collect/byte_count.h"
#include "collect/echo.h"
#include "collect/line_format.h"
#include "collect/size_text.h"
#include "probes/adapters.h"
#include "probes/wmi_connection.h"
#include "probes/wmi_query.h"

namespace vantrel {
namespace {

const wchar_t kNothingFound[] = L"없음";
// What a category says when WMI did not answer one of its statements in time: that the lines are
// not all there, never that the hardware is missing.
const wchar_t kNotAnswered[] = L"확인 못 함 (Windows 응답 시간 초과)";
// What stands before kNotAnswered in the report, where no label is beside it.
const wchar_t* const kReportNames[kCategoryCount] = {L"OS",   L"CPU",  L"RAM",   L"Main Board",
                                                     L"VGA",  L"Disk", L"Sound", L"ODD"};

// The class a statement of the pass reads: the word after FROM.
std::wstring ClassOf(const std::wstring& statement) {
  const std::size_t from = statement.rfind(L" FROM ");
  if (from == std::wstring::npos) return statement;
  const std::size_t start = from + 6;
  return statement.substr(start, statement.find(L' ', start) - start);
}

// Appends to one category's list and to the report; the fallbacks write them apart.
class PassWriter {
 public:
  PassWriter(const CategoryLists& categories, std::wstring& report) : categories_(categories), report_(report) {}

  CategoryList& List(Category category) const { return *categories_[category]; }

  void Add(Category category, const std::wstring& line) {
    List(category).Append(line);
    report_.append(line);
    report_.append(L"\r\n");
  }

  // "없음" in the list; the report gets reportLine (with CR LF) unless it is empty.
  void AddFallback(Category category, const wchar_t* reportLine) {
    List(category).Append(kNothingFound);
    if (*reportLine != L'\0') {
      report_.append(reportLine);
      report_.append(L"\r\n");
    }
  }

  void Reset() {
    for (CategoryList* list : categories_) list->RemoveAll();
    report_.clear();
  }

  // True while every statement since the last Finish got its answer in time.
  bool Answered() const { return WmiTimedOutStatements().size() == timeOutsSeen_; }

  // Ends a category. Where WMI left a statement of it unanswered: a diagnostic line naming each
  // such class, then the line that says so, after whatever lines did come. Then the first line is
  // selected.
  void Finish(Category category) {
    const std::vector<std::wstring>& timedOut = WmiTimedOutStatements();
    if (!Answered()) {
      for (std::size_t i = timeOutsSeen_; i < timedOut.size(); ++i) {
        EchoToStdout(L"WMI Timeout: %s\n", {ClassOf(timedOut[i])});
      }
      timeOutsSeen_ = timedOut.size();
      List(category).Append(kNotAnswered);
      report_.append(kReportNames[category]).append(L": ").append(kNotAnswered).append(L"\r\n");
    }
    List(category).SelectFirst();
  }

 private:
  const CategoryLists& categories_;
  std::wstring& report_;
  std::size_t timeOutsSeen_ = 0;
};

// " (64비트)" and " (32비트)" when the text names the width, in that order of precedence.
std::wstring ArchitectureSuffix(const std::wstring& architecture) {
  if (architecture.find(L"64") != std::wstring::npos) return L" (64비트)";
  if (architecture.find(L"32") != std::wstring::npos) return L" (32비트)";
  if (!architecture.empty()) return L" (" + architecture + L")";
  return std::wstring();
}

void CollectOs(PassWriter& out) {
  const std::wstring caption = QuerySingleValue(L"SELECT Caption FROM Win32_OperatingSystem", L"Caption");
  const std::wstring architecture =
      QuerySingleValue(L"SELECT OSArchitecture FROM Win32_OperatingSystem", L"OSArchitecture");
  // A line is built only from answers that all came, so that no part of one passes for the whole.
  if (out.Answered()) out.Add(kOs, caption + ArchitectureSuffix(architecture));
  out.Finish(kOs);
}

void CollectCpu(PassWriter& out) {
  const std::wstring name = QuerySingleValue(L"SELECT Name FROM Win32_Processor", L"Name");
  if (out.Answered()) out.Add(kCpu, name);
  out.Finish(kCpu);
}

void CollectRam(PassWriter& out) {
  const std::wstring total = FormatGB(ReadByteCount(
      QuerySingleValue(L"SELECT TotalPhysicalMemory FROM Win32_ComputerSystem", L"TotalPhysicalMemory")));
  const bool totalAnswered = out.Answered();
  const std::vector<PropertyRow> modules = QueryRows(
      L"SELECT DeviceLocator, BankLabel, Capacity, Speed, Manufacturer, PartNumber FROM Win32_PhysicalMemory",
      {L"DeviceLocator", L"BankLabel", L"Capacity", L"Speed", L"Manufacturer", L"PartNumber"});

  if (totalAnswered) out.Add(kRam, FormatLine(L"총 RAM: %s", {total}));
  for (const PropertyRow& module : modules) {
    const std::wstring capacity = FormatGB(ReadByteCount(module.at(L"Capacity")));
    out.Add(kRam, FormatLine(L"%s / %s : %s / %s MHz / %s / %s",
                             {module.at(L"DeviceLocator"), module.at(L"BankLabel"), capacity,
                              module.at(L"Speed"), module.at(L"Manufacturer"), module.at(L"PartNumber")}));
  }
  out.Finish(kRam);
}

void CollectMainBoard(PassWriter& out) {
  const std::wstring manufacturer = QuerySingleValue(L"SELECT Manufacturer FROM Win32_BaseBoard", L"Manufacturer");
  const std::wstring product = QuerySingleValue(L"SELECT Product FROM Win32_BaseBoard", L"Product");
  if (out.Answered()) out.Add(kMainBoard, FormatLine(L"%s (%s)", {product, manufacturer}));
  out.Finish(kMainBoard);
}

void CollectVga(PassWriter& out) {
  for (const AdapterInfo& adapter : EnumerateAdapters()) {
    out.Add(kVga, FormatLine(L"%s ( %s )", {adapter.Description, FormatGB(adapter.DedicatedVideoMemory)}));
  }
  if (out.List(kVga).Count() == 0) out.AddFallback(kVga, L"");
  out.Finish(kVga);
}

void CollectHdd(PassWriter& out) {
  const std::vector<PropertyRow> disks =
      QueryRows(L"SELECT Index, Model, Size, InterfaceType, PNPDeviceID FROM Win32_DiskDrive",
                {L"Index", L"Model", L"Size", L"InterfaceType", L"PNPDeviceID"});
  for (const PropertyRow& disk : disks) {
    const std::wstring& model = disk.at(L"Model");
    const std::wstring size = FormatDiskSize(ReadByteCount(disk.at(L"Size")));
    const std::wstring line = FormatLine(L"Disk %s : %s (%s) / %s", {disk.at(L"Index"), model, size, disk.at(L"InterfaceType")});
    EchoToStdout(L"Disk: %s\n", {model});
    out.Add(kHdd, line);
  }
  if (out.List(kHdd).Count() == 0 && out.Answered()) out.AddFallback(kHdd, L"Disk: 없음");
  out.Finish(kHdd);
}

void CollectSound(PassWriter& out) {
  for (const std::wstring& name : QueryNameList(L"SELECT Name FROM Win32_SoundDevice")) {
    EchoToStdout(L"Sound: %s\n", {name});
    out.Add(kSound, name);
  }
  if (out.List(kSound).Count() == 0 && out.Answered()) out.AddFallback(kSound, L"Sound: 없음");
  out.Finish(kSound);
}

void CollectOdd(PassWriter& out) {
  const std::vector<std::wstring> drives = QueryNameList(L"SELECT Name FROM Win32_CDROMDrive");
  if (drives.empty() && out.Answered()) {
    EchoToStdout(L"ODD: 없음\n");
    out.AddFallback(kOdd, L"ODD: 없음");
  }
  for (const std::wstring& name : drives) {
    EchoToStdout(L"ODD: %s\n", {name});
    out.Add(kOdd, name);
  }
  out.Finish(kOdd);
}

}  // namespace

PassResult RunCollectionPass(const CategoryLists& categories, std::wstring& specReport) {
  if (!OpenWmiConnection()) {
    std::cout << "WMI Init Failed\n";
    std::cout.flush();
    return PassResult::kWmiUnavailable;
  }
  PassWriter out(categories, specReport);
  out.Reset();
  CollectOs(out);
  CollectCpu(out);
  CollectRam(out);
  CollectMainBoard(out);
  CollectVga(out);
  CollectHdd(out);
  CollectSound(out);
  CollectOdd(out);
  const bool complete = WmiTimedOutStatements().empty();  // the open began the list afresh
  CloseWmiConnection();
  return complete ? PassResult::kComplete : PassResult::kIncomplete;
}

}  // namespace vantrel
