#include "collect/collection_pass.h"

#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "collect/echo.h"
#include "collect/line_format.h"
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

// The notice after the lines; in the report it stands behind the category's name.
void AddNotice(CategoryOutcome& outcome, Category category, const std::wstring& notice) {
  outcome.lines.push_back(notice);
  outcome.report.append(CategoryOf(category).reportName).append(L": ").append(notice).append(L"\r\n");
}

// Builds one category at a time, handing the observer each line and each trouble as it comes and
// the category once it is finished.
class PassWriter {
 public:
  PassWriter(PassObserver& observer, WmiConnection& wmi) : observer_(observer), wmi_(wmi) {}

  void Begin(Category category) {
    category_ = category;
    outcome_ = CategoryOutcome();
    diagnosticsHandedOver_ = 0;
    noticeHandedOver_ = false;
    troublesBefore_ = troublesNoted_ = wmi_.Troubles().size();
  }

  std::wstring SingleValue(const WmiStatement& statement) {
    const std::wstring text = StatementText(statement);
    observer_.Asking(category_, text);
    std::wstring value = QuerySingleValue(wmi_, text, statement.properties[0]);
    NoteTroubles();
    return value;
  }
  // Each row, or each name as a row of one "Name", handed to `take` as it arrives.
  template <class Take>
  void EachRow(const WmiStatement& statement, Take take) {
    const std::wstring text = StatementText(statement);
    observer_.Asking(category_, text);
    if (statement.shape == WmiStatement::kNames) {
      ForEachName(wmi_, text, [&](std::wstring name) { take(PropertyRow{{L"Name", std::move(name)}}); });
    } else {
      ForEachRow(wmi_, text, PropertyNames(statement), take);
    }
    NoteTroubles();
  }
  void Add(const std::wstring& line) {
    outcome_.lines.push_back(line);
    outcome_.report.append(line).append(L"\r\n");
    HandOver({line}, line + L"\r\n");
  }

  // "없음" in the list, and what the category says of it in the report and the echo.
  void AddNothingFound() {
    const CategoryInfo& info = CategoryOf(category_);
    outcome_.lines.push_back(kNothingFound);
    if (info.whenEmpty == WhenEmpty::kListOnly) return;
    const std::wstring line = FormatLine(L"%s: %s", {info.reportName, kNothingFound});
    if (info.whenEmpty == WhenEmpty::kReportAndEcho) Echo(line + L"\n");
    outcome_.report.append(line).append(L"\r\n");
  }

  void Echo(std::wstring_view format, std::initializer_list<std::wstring_view> arguments = {}) {
    outcome_.diagnostics.append(FormatLine(format, arguments));
  }

  std::size_t Count() const { return outcome_.lines.size(); }

  // True while every statement of the category so far ended well.
  bool Answered() const { return wmi_.Troubles().size() == troublesBefore_; }

  // A trouble is said the moment it is known, so that a cut that follows loses neither its line
  // nor its notice: the first trouble of a category decides the notice.
  void Trouble(HRESULT code) {
    if (outcome_.notice.empty()) {
      outcome_.notice = NoticeFor(code);
      outcome_.trouble = code;
    }
    HandOver({}, std::wstring());
  }

  // Ends a category, with the notice of its first trouble if it had one (or `failure`), or "없음"
  // where it was read to its end and found nothing. Then hands it over.
  void Finish(HRESULT failure = S_OK) {
    if (FAILED(failure)) Trouble(failure);
    if (outcome_.notice.empty() && Count() == 0 && CategoryOf(category_).whenEmpty != WhenEmpty::kNeverEmpty) {
      AddNothingFound();
    }
    observer_.Finished(category_, std::move(outcome_));
  }

 private:
  // Only what is new crosses, so that a category of many lines costs no more than their length:
  // the lines, their report text, the diagnostics since the last hand-over and a first notice.
  void HandOver(std::vector<std::wstring> lines, std::wstring report) {
    CategoryOutcome added{std::move(lines), std::move(report), outcome_.diagnostics.substr(diagnosticsHandedOver_), {}};
    diagnosticsHandedOver_ = outcome_.diagnostics.size();
    if (!noticeHandedOver_) {
      added.notice = outcome_.notice;
      added.trouble = outcome_.trouble;
    }
    noticeHandedOver_ = !outcome_.notice.empty();
    observer_.Read(category_, std::move(added));
  }

  // A diagnostic line for each statement that has not ended well since the last look.
  void NoteTroubles() {
    const std::vector<WmiTrouble>& troubles = wmi_.Troubles();
    if (troublesNoted_ == troubles.size()) return;
    const std::size_t first = troublesNoted_;
    for (; troublesNoted_ < troubles.size(); ++troublesNoted_) {
      const WmiTrouble& trouble = troubles[troublesNoted_];
      if (trouble.code == WBEM_S_TIMEDOUT) {
        Echo(L"WMI Timeout: %s\n", {ClassOf(trouble.statement)});
      } else {
        Echo(L"WMI Error: %s %s\n", {ClassOf(trouble.statement), HexCode(trouble.code)});
      }
    }
    Trouble(troubles[first].code);
  }

  PassObserver& observer_;
  WmiConnection& wmi_;
  Category category_ = kOs;
  CategoryOutcome outcome_;
  std::size_t diagnosticsHandedOver_ = 0;  // how much of them Read has passed on
  bool noticeHandedOver_ = false;
  std::size_t troublesBefore_ = 0;  // noted on the connection before the category began
  std::size_t troublesNoted_ = 0;   // said as diagnostics
};

void AddRowLine(PassWriter& out, const CategoryInfo& info, const PropertyRow& row, Findings& findings) {
  if (info.echoed != nullptr) out.Echo(L"%s: %s\n", {info.reportName, row.at(info.echoed)});
  out.Add(info.rowLine(row, findings));
}

// A category's statements in order: its single values give one line once they all answered, so
// that no part of one passes for the whole; each row gives a line as it arrives.
void ReadFromWmi(PassWriter& out, const CategoryInfo& info, Findings& findings) {
  out.Begin(info.category);
  std::vector<std::wstring> values;
  const auto addValuesLine = [&] {
    if (!values.empty() && out.Answered()) out.Add(info.valuesLine(values));
    values.clear();
  };
  for (const WmiStatement& statement : info.statements) {
    if (statement.className == nullptr) break;
    if (statement.shape == WmiStatement::kValue) {
      values.push_back(out.SingleValue(statement));
      continue;
    }
    addValuesLine();
    out.EachRow(statement, [&](const PropertyRow& row) { AddRowLine(out, info, row, findings); });
  }
  addValuesLine();
  out.Finish();
}

// A category read by one call; false when it could not all be read.
template <class Read>
bool ReadFromDevice(PassWriter& out, const CategoryInfo& info, Read read) {
  out.Begin(info.category);
  const DeviceLines found = read();
  for (const std::wstring& line : found.lines) out.Add(line);
  out.Finish(found.failure);
  return SUCCEEDED(found.failure);
}

// WMI's reading: its categories in read order over a connection of its own.
PassResult ReadWmi(PassObserver& observer, Findings& findings) {
  WmiConnection wmi;
  PassWriter out(observer, wmi);
  bool connecting = true, unavailable = false, first = true;
  for (const Category category : ReadOrder()) {
    const CategoryInfo& info = CategoryOf(category);
    if (!info.FromWmi()) continue;
    if (connecting) {
      connecting = false;
      observer.Asking(category, kConnecting);
      unavailable = !wmi.Open();
    }
    if (!unavailable) {
      ReadFromWmi(out, info, findings);
      continue;
    }
    out.Begin(category);
    // The first category said leads the diagnostics.
    if (first) out.Echo(L"WMI Init Failed\n");
    first = false;
    out.Finish(wmi.OpenFailure());
  }
  if (unavailable) {
    observer.Ended(PassResult::kWmiUnavailable);
    return PassResult::kWmiUnavailable;
  }
  // The open began the list afresh.
  const PassResult result = wmi.Troubles().empty() ? PassResult::kComplete : PassResult::kIncomplete;
  observer.Ended(result);
  wmi.Close();
  return result;
}

// The platform's reading: the device probes, then each WMI category it has a source for.
PassResult ReadPlatform(PassObserver& observer, Findings& findings) {
  WmiConnection none;  // never opened: the platform's readings have no statements
  PassWriter out(observer, none);
  // What no reading found, however this one ends: WMI's rows wait no longer.
  struct PublishRest {
    Findings& findings;
    ~PublishRest() { findings.PublishRest(); }
  } publishRest{findings};
  bool complete = true;
  for (const Category category : ReadOrder()) {
    const CategoryInfo& info = CategoryOf(category);
    if (!info.FromWmi()) {
      complete &= ReadFromDevice(out, info, info.readDevice);
    } else if (info.readPlatform != nullptr) {
      complete &= ReadFromDevice(out, info, [&] { return info.readPlatform(findings); });
    }
  }
  const PassResult result = complete ? PassResult::kComplete : PassResult::kIncomplete;
  observer.Ended(result);
  return result;
}

}  // namespace

std::wstring ClassOf(const std::wstring& statement) {
  const std::size_t from = statement.rfind(L" FROM ");
  if (from == std::wstring::npos) return statement;
  const std::size_t start = from + 6;
  return statement.substr(start, statement.find(L' ', start) - start);
}

PassReaders CollectionReaders() {
  // Each reading holds the findings, so an abandoned one still has them.
  const auto findings = std::make_shared<Findings>();
  return PassReaders{[findings](PassObserver& observer) { return ReadWmi(observer, *findings); },
                     [findings](PassObserver& observer) { return ReadPlatform(observer, *findings); }};
}

CategoryOutcome Choose(Category category, const Reading* wmi, const Reading* platform, CutShort why) {
  // What a reading shows: finished, or what it had read when the wait ended, with its trouble or
  // else the cut's.
  const auto shown = [why](const Reading* reading) {
    CategoryOutcome outcome = reading != nullptr ? reading->finished.value_or(reading->soFar) : CategoryOutcome();
    if ((reading == nullptr || !reading->finished) && outcome.notice.empty()) {
      outcome.notice = why == CutShort::kSkipped ? kSkipped : kNotAnswered;
      outcome.trouble = why == CutShort::kSkipped ? E_ABORT : static_cast<HRESULT>(WBEM_S_TIMEDOUT);
    }
    return outcome;
  };
  const CategoryOutcome first = shown(wmi != nullptr ? wmi : platform);
  CategoryOutcome chosen = first;
  if (first.notice.empty()) return chosen;
  if (wmi != nullptr && platform != nullptr) {
    CategoryOutcome second = shown(platform);
    if (second.notice.empty()) {
      // WMI's trouble stays said, with where the lines came from instead.
      const wchar_t* const trouble = first.trouble == WBEM_S_TIMEDOUT ? L"Timeout" : first.trouble == E_ABORT ? L"Skipped" : nullptr;
      second.diagnostics = first.diagnostics + second.diagnostics +
                           FormatLine(L"%s: read from %s (WMI %s)\n", {CategoryOf(category).reportName,
                                                                        CategoryOf(category).platformSource,
                                                                        trouble != nullptr ? trouble : HexCode(first.trouble)});
      return second;
    }
    if (second.lines.size() > first.lines.size()) {
      chosen.lines = std::move(second.lines);
      chosen.report = std::move(second.report);
    }
  }
  AddNotice(chosen, category, chosen.notice);
  return chosen;
}

PassResult ResultOf(const CategoryOutcomes& shown, bool wmiUnavailable) {
  for (const std::optional<CategoryOutcome>& outcome : shown) {
    if (!outcome || !outcome->notice.empty()) return wmiUnavailable ? PassResult::kWmiUnavailable : PassResult::kIncomplete;
  }
  return PassResult::kComplete;
}

CategoryOutcomes ChooseOutcomes(const std::array<Reading, kCategoryCount>& wmi,
                                const std::array<Reading, kCategoryCount>* platform, CutShort why) {
  CategoryOutcomes shown;
  for (const CategoryInfo& info : Categories()) {
    const std::size_t c = info.category;
    // Without a platform reading, WMI's is the only one asked about every category (a test's
    // reading may hand over any).
    const bool byWmi = !ReadFirstByPlatform(info, platform != nullptr);
    const bool byPlatform = platform != nullptr && (!info.FromWmi() || info.readPlatform != nullptr);
    shown[c] = Choose(info.category, byWmi ? &wmi[c] : nullptr, byPlatform ? &(*platform)[c] : nullptr, why);
  }
  return shown;
}

void Append(CategoryOutcome& outcome, CategoryOutcome added) {
  for (std::wstring& line : added.lines) outcome.lines.push_back(std::move(line));
  outcome.report.append(added.report);
  outcome.diagnostics.append(added.diagnostics);
  if (outcome.notice.empty()) {
    outcome.notice = std::move(added.notice);
    outcome.trouble = added.trouble;
  }
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
    const CategoryOutcome outcome = outcomes[i] ? *outcomes[i] : Choose(category, nullptr, nullptr, CutShort::kNotAnswered);
    for (const std::wstring& line : outcome.lines) categories[i]->Append(line);
    specReport.append(outcome.report);
    categories[i]->SelectFirst();
  }
}

CategoryOutcomes RunReadings(const PassReaders& readers, PassResult* result) {
  KeptOutcomes platform, wmi;
  if (readers.platform) readers.platform(platform);
  const bool wmiUnavailable = readers.wmi(wmi) == PassResult::kWmiUnavailable;
  const auto finished = [](const CategoryOutcomes& outcomes) {
    std::array<Reading, kCategoryCount> readings;
    for (std::size_t c = 0; c < kCategoryCount; ++c) readings[c].finished = outcomes[c];
    return readings;
  };
  const std::array<Reading, kCategoryCount> platformReadings = finished(platform.outcomes);
  CategoryOutcomes shown =
      ChooseOutcomes(finished(wmi.outcomes), readers.platform ? &platformReadings : nullptr, CutShort::kNotAnswered);
  *result = ResultOf(shown, wmiUnavailable);
  return shown;
}

PassResult RunCollectionPass(const CategoryLists& categories, std::wstring& specReport) {
  PassResult result = PassResult::kIncomplete;
  const CategoryOutcomes shown = RunReadings(CollectionReaders(), &result);
  ShowOutcomes(shown, categories, specReport);
  SayDiagnostics(shown);
  return result;
}

}  // namespace vantrel
