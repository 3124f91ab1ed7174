// Ten thousand seeded random machines through the whole collection pass, with failures at every
// platform seam and odd values everywhere. After each pass the lists, the report, the echo,
// std::cout, the statements and every COM reference are checked against what the rules of the
// pass predict from the machine's script. A failing machine prints its seed; set
// VANTREL_FAULT_SEED to that number to run that machine alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "collect/collection_pass.h"
#include "collect/echo.h"
#include "fakes/fake_machine.h"
#include "fakes/random_machine.h"
#include "probes/wmi_connection.h"
#include "support/captured_output.h"
#include "support/utf8_text.h"

namespace vantrel {
namespace {

using testing::FakeAdapter;
using testing::RandomMachine;
using testing::ScriptedObject;
using testing::ScriptedQuery;
using testing::ScriptedValue;
using Lines = std::vector<std::wstring>;

constexpr std::uint32_t kBaseSeed = 20240917;
constexpr int kMachines = 10000;
constexpr int kDetailedFailures = 5;  // machines whose differences are printed in full
const wchar_t kNothing[] = L"없음";
const wchar_t kUntouched[] = L"before the pass";

// ---- What the rules predict ---------------------------------------------------------------

// bytes / 2^shift, rounded to the nearest whole number with halves to the even one. Integer
// arithmetic is exact; the machines hold only counts that a double carries exactly (and
// 2^64 - 1, which gives the same whole number either way), so it agrees with scaling a double.
std::uint64_t RoundedUnits(std::uint64_t bytes, unsigned shift) {
  const std::uint64_t whole = bytes >> shift;
  const std::uint64_t rest = bytes & ((std::uint64_t{1} << shift) - 1);
  const std::uint64_t half = std::uint64_t{1} << (shift - 1);
  return whole + ((rest > half || (rest == half && (whole & 1) != 0)) ? 1 : 0);
}

std::wstring GigabyteText(std::uint64_t bytes) {
  return bytes == 0 ? L"0 GB" : std::to_wstring(RoundedUnits(bytes, 30)) + L" GB";
}

std::wstring DiskSizeText(std::uint64_t bytes) {
  if (bytes == 0) return L"0";
  if (bytes >= (std::uint64_t{1} << 40)) return std::to_wstring(RoundedUnits(bytes, 40)) + L" TB";
  return GigabyteText(bytes);
}

// The result objects the pass gets: Next after Next until the end, a failure or a null object.
std::vector<const ScriptedObject*> Delivered(const ScriptedQuery& query) {
  std::vector<const ScriptedObject*> delivered;
  if (FAILED(query.execQueryResult) || query.noEnumerator) return delivered;
  for (int call = 0; call != query.failNextAt && call != query.nullObjectAt; ++call) {
    if (delivered.size() == query.objects.size()) break;
    delivered.push_back(&query.objects[delivered.size()]);
  }
  return delivered;
}

const ScriptedValue* Find(const ScriptedObject& object, const std::wstring& name) {
  for (const auto& property : object) {
    if (property.first == name) return &property.second;
  }
  return nullptr;
}

std::wstring TextOf(const ScriptedObject& object, const wchar_t* name) {
  const ScriptedValue* value = Find(object, name);
  return value != nullptr ? value->text : std::wstring();
}

std::uint64_t CountOf(const ScriptedObject& object, const wchar_t* name) {
  const ScriptedValue* value = Find(object, name);
  return value != nullptr ? value->count : 0;
}

std::wstring SingleText(const RandomMachine& machine, testing::MachineStatement statement, const wchar_t* name) {
  const auto delivered = Delivered(machine.queries[statement]);
  return delivered.empty() ? std::wstring() : TextOf(*delivered.front(), name);
}

std::uint64_t SingleCount(const RandomMachine& machine, testing::MachineStatement statement, const wchar_t* name) {
  const auto delivered = Delivered(machine.queries[statement]);
  return delivered.empty() ? 0 : CountOf(*delivered.front(), name);
}

Lines NameList(const RandomMachine& machine, testing::MachineStatement statement) {
  Lines names;
  for (const ScriptedObject* object : Delivered(machine.queries[statement])) {
    std::wstring name = TextOf(*object, L"Name");
    if (!name.empty()) names.push_back(std::move(name));
  }
  return names;
}

// The 128 description units as the fake adapter fills them, up to the first NUL.
std::wstring DescriptionOf(const FakeAdapter& adapter) {
  const std::wstring& text = adapter.description;
  std::wstring units;
  if (adapter.fillWholeDescription) {
    for (std::size_t i = 0; i < 128; ++i) units += text.empty() ? L'#' : text[i % text.size()];
  } else {
    units = text.substr(0, 127);
  }
  return units.substr(0, units.find(L'\0'));
}

// The adapters that read, and the first failure that left the list short (S_OK for none).
std::vector<std::pair<std::wstring, std::uint64_t>> AdapterList(const RandomMachine& machine, HRESULT* failure) {
  std::vector<std::pair<std::wstring, std::uint64_t>> adapters;
  *failure = FAILED(machine.createResult) ? machine.createResult : machine.giveFactory ? S_OK : E_POINTER;
  if (FAILED(*failure)) return adapters;
  for (std::size_t index = 0;; ++index) {
    // Any answer at the scripted index ends the list: the end signal, another failure, or a
    // success that brings no adapter, which no enumeration can use.
    if (machine.failEnumAt >= 0 && index == static_cast<std::size_t>(machine.failEnumAt)) {
      if (machine.enumFailure != DXGI_ERROR_NOT_FOUND && SUCCEEDED(*failure)) {
        *failure = FAILED(machine.enumFailure) ? machine.enumFailure : E_POINTER;
      }
      break;
    }
    if (index >= machine.adapters.size()) break;
    const FakeAdapter& adapter = machine.adapters[index];
    if (SUCCEEDED(adapter.getDescResult)) {
      adapters.emplace_back(DescriptionOf(adapter), static_cast<std::uint64_t>(adapter.dedicatedVideoMemory));
    } else if (SUCCEEDED(*failure)) {
      *failure = adapter.getDescResult;  // the first failure is the one said
    }
  }
  return adapters;
}

// The code of the open's failing step (S_OK when it succeeds); *held counts the references a
// failed open leaves. A step that succeeds without its object fails with E_POINTER.
HRESULT OpenFailure(const RandomMachine& machine, int* held) {
  *held = 0;
  if (FAILED(machine.coInitializeResult) && machine.coInitializeResult != RPC_E_CHANGED_MODE) {
    return machine.coInitializeResult;
  }
  if (FAILED(machine.coInitializeSecurityResult) && machine.coInitializeSecurityResult != RPC_E_TOO_LATE) {
    return machine.coInitializeSecurityResult;
  }
  if (FAILED(machine.coCreateInstanceResult)) return machine.coCreateInstanceResult;
  if (!machine.giveLocator) return E_POINTER;
  *held = 1;
  if (FAILED(machine.connectServerResult)) return machine.connectServerResult;
  if (!machine.giveServices) return E_POINTER;
  *held = 2;
  return FAILED(machine.proxyBlanketResult) ? machine.proxyBlanketResult : S_OK;
}

// The failure code a statement ends with (S_OK when it ends well): ExecQuery's (E_POINTER when it
// gives no enumerator), or that of a Next the pass reaches before the objects end. A single value
// is read from the first Next alone.
HRESULT StatementFailure(const RandomMachine& machine, testing::MachineStatement statement, bool single) {
  const ScriptedQuery& query = machine.queries[statement];
  if (FAILED(query.execQueryResult)) return query.execQueryResult;
  if (query.noEnumerator) return E_POINTER;
  if (query.failNextAt < 0) return S_OK;
  const int lastNext = single ? 0 : static_cast<int>(query.objects.size());
  const bool endsAtNull = query.nullObjectAt >= 0 && query.nullObjectAt < query.failNextAt;
  return query.failNextAt <= lastNext && !endsAtNull ? query.nextFailure : S_OK;
}

// Every failure code the random machines use, as Windows' own messages show it: written out, so
// that a wrong formatting of codes in the pass cannot agree with the oracle.
std::wstring Hex(HRESULT code) {
  static const std::pair<HRESULT, const wchar_t*> kShown[] = {
      {static_cast<HRESULT>(WBEM_E_FAILED), L"0x80041001"}, {static_cast<HRESULT>(WBEM_E_NOT_FOUND), L"0x80041002"},
      {static_cast<HRESULT>(WBEM_E_ACCESS_DENIED), L"0x80041003"},
      {static_cast<HRESULT>(WBEM_E_INVALID_PARAMETER), L"0x80041008"},
      {static_cast<HRESULT>(WBEM_E_INVALID_NAMESPACE), L"0x8004100E"},
      {static_cast<HRESULT>(WBEM_E_INVALID_CLASS), L"0x80041010"},
      {static_cast<HRESULT>(WBEM_E_TRANSPORT_FAILURE), L"0x80041015"},
      {static_cast<HRESULT>(WBEM_E_INVALID_QUERY), L"0x80041017"}, {E_OUTOFMEMORY, L"0x8007000E"},
      {E_INVALIDARG, L"0x80070057"}, {E_ACCESSDENIED, L"0x80070005"}, {E_FAIL, L"0x80004005"},
      {E_POINTER, L"0x80004003"}, {E_NOINTERFACE, L"0x80004002"}, {E_UNEXPECTED, L"0x8000FFFF"},
      {RPC_E_DISCONNECTED, L"0x80010108"}, {REGDB_E_CLASSNOTREG, L"0x80040154"}, {CO_E_NOTINITIALIZED, L"0x800401F0"},
      {DXGI_ERROR_INVALID_CALL, L"0x887A0001"}, {DXGI_ERROR_UNSUPPORTED, L"0x887A0004"},
      {DXGI_ERROR_DEVICE_REMOVED, L"0x887A0005"}};
  for (const auto& [known, shown] : kShown) {
    if (known == code) return shown;
  }
  ADD_FAILURE() << "no written-out text for the code " << static_cast<unsigned long>(code);
  return L"?";
}

std::wstring FailedNotice(HRESULT code) { return L"확인 못 함 (Windows 오류 " + Hex(code) + L")"; }

struct Prediction {
  HRESULT openFailure = S_OK;
  bool complete = true;
  int heldAfterFailedOpen = 0;
  std::array<Lines, kCategoryCount> lists;
  std::wstring report;
  std::wstring echo;
};

Prediction Predict(const RandomMachine& machine) {
  using namespace testing;
  Prediction p;
  std::array<std::wstring, kCategoryCount> reports;
  auto add = [&](Category category, const std::wstring& line) {
    p.lists[category].push_back(line);
    reports[category] += line + L"\r\n";
  };
  auto notice = [&](Category category, HRESULT code) {
    p.lists[category].push_back(FailedNotice(code));
    reports[category] += std::wstring(CategoryOf(category).reportName) + L": " + FailedNotice(code) + L"\r\n";
  };
  auto fallback = [&](Category category, const wchar_t* reportLine) {
    if (!p.lists[category].empty()) return;
    p.lists[category].push_back(kNothing);
    if (reportLine != nullptr) reports[category] += std::wstring(reportLine) + L"\r\n";
  };
  auto fine = [&machine](MachineStatement statement, bool single) {
    return SUCCEEDED(StatementFailure(machine, statement, single));
  };
  // The failures of a category's statements: each echoed, the first said in the category.
  auto say = [&](Category category, std::initializer_list<std::pair<MachineStatement, bool>> statements) {
    HRESULT first = S_OK;
    for (const auto& [statement, single] : statements) {
      const HRESULT code = StatementFailure(machine, statement, single);
      if (SUCCEEDED(code)) continue;
      const std::wstring text = StatementText(statement);
      p.echo += L"WMI Error: " + text.substr(text.rfind(L' ') + 1) + L" " + Hex(code) + L"\n";
      if (SUCCEEDED(first)) first = code;
    }
    if (SUCCEEDED(first)) return false;
    notice(category, first);
    p.complete = false;
    return true;
  };
  // The machines script no device but the adapters: every other device category finds nothing.
  auto finish = [&] {
    for (const CategoryInfo& info : Categories()) {
      if (!info.FromWmi()) fallback(info.category, nullptr);
    }
    for (const std::wstring& report : reports) p.report += report;
  };

  HRESULT adapterFailure = S_OK;
  for (const auto& adapter : AdapterList(machine, &adapterFailure)) {
    add(kVga, adapter.first + L" ( " + GigabyteText(adapter.second) + L" )");
  }
  if (FAILED(adapterFailure)) {
    notice(kVga, adapterFailure);
    p.complete = false;
  }

  p.openFailure = OpenFailure(machine, &p.heldAfterFailedOpen);
  if (FAILED(p.openFailure)) {
    p.complete = false;
    for (const CategoryInfo& info : Categories()) {
      if (info.FromWmi()) notice(info.category, p.openFailure);
    }
    finish();
    return p;
  }

  const std::wstring architecture = SingleText(machine, kArchitectureStatement, L"OSArchitecture");
  std::wstring suffix;
  if (architecture.find(L"64") != std::wstring::npos) {
    suffix = L" (64비트)";
  } else if (architecture.find(L"32") != std::wstring::npos) {
    suffix = L" (32비트)";
  } else if (!architecture.empty()) {
    suffix = L" (" + architecture + L")";
  }
  // A line built from answers of which one failed is left out.
  if (fine(kCaptionStatement, true) && fine(kArchitectureStatement, true)) {
    add(kOs, SingleText(machine, kCaptionStatement, L"Caption") + suffix);
  }
  say(kOs, {{kCaptionStatement, true}, {kArchitectureStatement, true}});

  if (fine(kProcessorStatement, true)) add(kCpu, SingleText(machine, kProcessorStatement, L"Name"));
  say(kCpu, {{kProcessorStatement, true}});

  if (fine(kTotalMemoryStatement, true)) {
    add(kRam, L"총 RAM: " + GigabyteText(SingleCount(machine, kTotalMemoryStatement, L"TotalPhysicalMemory")));
  }
  for (const ScriptedObject* module : Delivered(machine.queries[kModulesStatement])) {
    add(kRam, TextOf(*module, L"DeviceLocator") + L" / " + TextOf(*module, L"BankLabel") + L" : " +
                  GigabyteText(CountOf(*module, L"Capacity")) + L" / " + TextOf(*module, L"Speed") + L" MHz / " +
                  TextOf(*module, L"Manufacturer") + L" / " + TextOf(*module, L"PartNumber"));
  }
  say(kRam, {{kTotalMemoryStatement, true}, {kModulesStatement, false}});

  if (fine(kBoardMakerStatement, true) && fine(kBoardProductStatement, true)) {
    add(kMainBoard, SingleText(machine, kBoardProductStatement, L"Product") + L" (" +
                        SingleText(machine, kBoardMakerStatement, L"Manufacturer") + L")");
  }
  say(kMainBoard, {{kBoardMakerStatement, true}, {kBoardProductStatement, true}});

  for (const ScriptedObject* disk : Delivered(machine.queries[kDisksStatement])) {
    p.echo += L"Disk: " + TextOf(*disk, L"Model") + L"\n";
    add(kHdd, L"Disk " + TextOf(*disk, L"Index") + L" : " + TextOf(*disk, L"Model") + L" (" +
                  DiskSizeText(CountOf(*disk, L"Size")) + L") / " + TextOf(*disk, L"InterfaceType"));
  }
  if (!say(kHdd, {{kDisksStatement, false}})) fallback(kHdd, L"Disk: 없음");

  for (const std::wstring& name : NameList(machine, kSoundStatement)) {
    p.echo += L"Sound: " + name + L"\n";
    add(kSound, name);
  }
  if (!say(kSound, {{kSoundStatement, false}})) fallback(kSound, L"Sound: 없음");

  const Lines drives = NameList(machine, kOpticalStatement);
  if (drives.empty() && fine(kOpticalStatement, false)) p.echo += L"ODD: 없음\n";
  for (const std::wstring& name : drives) {
    p.echo += L"ODD: " + name + L"\n";
    add(kOdd, name);
  }
  if (!say(kOdd, {{kOpticalStatement, false}})) fallback(kOdd, L"ODD: 없음");
  finish();
  return p;
}

// ---- Which seams and values a run reached -------------------------------------------------

using Tally = std::map<std::string, int>;

void CountReachedSeams(const RandomMachine& machine, bool opened, Tally& tally) {
  const HRESULT init = machine.coInitializeResult;
  if (init == RPC_E_CHANGED_MODE) ++tally["CoInitializeEx RPC_E_CHANGED_MODE"];
  if (FAILED(init) && init != RPC_E_CHANGED_MODE) {
    ++tally["CoInitializeEx fails"];
    return;
  }
  const HRESULT security = machine.coInitializeSecurityResult;
  if (security == RPC_E_TOO_LATE) ++tally["CoInitializeSecurity RPC_E_TOO_LATE"];
  if (FAILED(security) && security != RPC_E_TOO_LATE) {
    ++tally["CoInitializeSecurity fails"];
    return;
  }
  if (FAILED(machine.coCreateInstanceResult)) {
    ++tally["CoCreateInstance fails"];
    return;
  }
  if (!machine.giveLocator) {
    ++tally["no locator"];
    return;
  }
  if (FAILED(machine.connectServerResult)) {
    ++tally["ConnectServer fails"];
    return;
  }
  if (!machine.giveServices) {
    ++tally["no services"];
    return;
  }
  if (FAILED(machine.proxyBlanketResult)) {
    ++tally["CoSetProxyBlanket fails"];
    return;
  }
  if (!opened) return;
  ++tally["complete pass"];

  for (std::size_t s = 0; s < testing::kMachineStatementCount; ++s) {
    const ScriptedQuery& query = machine.queries[s];
    if (FAILED(query.execQueryResult)) {
      ++tally["ExecQuery fails"];
      continue;
    }
    if (query.noEnumerator) {
      ++tally["ExecQuery gives no enumerator"];
      continue;
    }
    const int objects = static_cast<int>(query.objects.size());
    const int nullAt = query.nullObjectAt >= 0 ? query.nullObjectAt : objects + 1;
    if (query.failNextAt >= 0 && query.failNextAt <= objects && query.failNextAt < nullAt) {
      ++tally[query.failNextAt == 0 ? "first Next fails" : "a later Next fails"];
    } else if (query.nullObjectAt >= 0 && query.nullObjectAt <= objects) {
      ++tally["Next reports an object but gives null"];
    }
    for (const ScriptedObject* object : Delivered(query)) {
      for (const std::wstring& name : testing::StatementProperties(static_cast<testing::MachineStatement>(s))) {
        if (Find(*object, name) == nullptr) ++tally[testing::ValueKindName(testing::kMissing)];
      }
      for (const auto& property : *object) {
        for (unsigned bit = 0; bit < testing::kValueKindCount; ++bit) {
          if ((property.second.kinds & (1u << bit)) != 0) ++tally[testing::ValueKindName(1u << bit)];
        }
      }
    }
  }

  if (FAILED(machine.createResult)) {
    ++tally["DXGI factory fails"];
    return;
  }
  if (!machine.giveFactory) {
    ++tally["DXGI gives no factory"];
    return;
  }
  const std::size_t end = machine.failEnumAt >= 0 ? static_cast<std::size_t>(machine.failEnumAt) : SIZE_MAX;
  if (end <= machine.adapters.size()) {
    if (machine.enumFailure == DXGI_ERROR_NOT_FOUND) {
      ++tally["EnumAdapters1 NOT_FOUND before the last adapter"];
    } else if (FAILED(machine.enumFailure)) {
      ++tally["EnumAdapters1 fails"];
    } else {
      ++tally["EnumAdapters1 succeeds without an adapter"];
    }
  }
  for (std::size_t i = 0; i < machine.adapters.size() && i < end; ++i) {
    if (FAILED(machine.adapters[i].getDescResult)) ++tally["GetDesc1 fails"];
  }
}

// ---- Running one machine ------------------------------------------------------------------

// Wide text for a failure message: control characters escaped, long texts cut.
std::string Printable(const std::wstring& text) {
  std::wstring shown;
  for (std::size_t i = 0; i < text.size() && i < 160; ++i) {
    const wchar_t c = text[i];
    if (c == L'\r') {
      shown += L"\\r";
    } else if (c == L'\n') {
      shown += L"\\n";
    } else if (c == L'\0') {
      shown += L"\\0";
    } else if (c < L' ') {
      shown += L"\\x" + std::to_wstring(static_cast<unsigned>(c));
    } else {
      shown += c;
    }
  }
  if (text.size() > 160) shown += L"... (" + std::to_wstring(text.size()) + L" units)";
  return "\"" + testing::Utf8Of(shown) + "\"";
}

void CompareLines(const char* what, const Lines& expected, const Lines& actual, std::ostringstream& problems) {
  if (expected == actual) return;
  problems << "  " << what << ": " << actual.size() << " lines, expected " << expected.size() << "\n";
  for (std::size_t i = 0; i < expected.size() || i < actual.size(); ++i) {
    const bool haveExpected = i < expected.size(), haveActual = i < actual.size();
    if (haveExpected && haveActual && expected[i] == actual[i]) continue;
    problems << "    line " << i << ": " << (haveActual ? Printable(actual[i]) : "(none)") << ", expected "
             << (haveExpected ? Printable(expected[i]) : "(none)") << "\n";
    break;
  }
}

// A report or echo as lines, each with its ending kept, so the first difference is easy to see.
Lines SplitAfter(const std::wstring& text, const std::wstring& ending) {
  Lines lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find(ending, start);
    const std::size_t next = end == std::wstring::npos ? text.size() : end + ending.size();
    lines.push_back(text.substr(start, next - start));
    start = next;
  }
  return lines;
}

class FaultInjection : public ::testing::Test {
 protected:
  // Runs the pass over one machine; the differences from the prediction, or nothing.
  std::string RunMachine(const RandomMachine& machine) {
    const Prediction expected = Predict(machine);
    std::ostringstream problems;

    output_.Clear();

    testing::FakeMachine platform;  // its disks say no kind, and it has no battery
    testing::FakeWmi& wmi = platform.wmi;
    testing::FakeDxgi& dxgi = platform.dxgi;
    testing::ScriptMachine(machine, wmi, dxgi);

    std::array<MemoryCategoryList, kCategoryCount> lists;
    for (MemoryCategoryList& list : lists) list.Append(kUntouched);
    std::wstring report = std::wstring(kUntouched) + L"\r\n";

    const PassResult result = RunCollectionPass(lists, report);

    const std::wstring echoed = testing::WideOfUtf8(output_.Echoed());
    const std::string printed = output_.Cout();
    const bool opened = SUCCEEDED(expected.openFailure);
    const PassResult predicted =
        !opened ? PassResult::kWmiUnavailable : expected.complete ? PassResult::kComplete : PassResult::kIncomplete;
    if (result != predicted) {
      problems << "  returned " << static_cast<int>(result) << ", expected " << static_cast<int>(predicted) << "\n";
    }

    std::vector<std::wstring> statements;
    if (opened) {
      for (std::size_t s = 0; s < testing::kMachineStatementCount; ++s) {
        statements.push_back(testing::StatementText(static_cast<testing::MachineStatement>(s)));
      }
    }
    CompareLines("statements", statements, wmi.statements, problems);
    if (dxgi.createCalls != 1) problems << "  CreateDXGIFactory1 called " << dxgi.createCalls << " times\n";
    if (!printed.empty()) problems << "  std::cout got \"" << printed << "\"\n";
    const std::wstring expectedEcho = (opened ? L"" : L"WMI Init Failed\n") + expected.echo;
    CompareLines("echo", SplitAfter(expectedEcho, L"\n"), SplitAfter(echoed, L"\n"), problems);
    CompareLines("report", SplitAfter(expected.report, L"\r\n"), SplitAfter(report, L"\r\n"), problems);
    for (std::size_t c = 0; c < kCategoryCount; ++c) {
      const std::string name = "list " + std::to_string(c);
      CompareLines(name.c_str(), expected.lists[c], lists[c].Lines(), problems);
      if (lists[c].Selected() != 0) problems << "  " << name << " selects " << lists[c].Selected() << "\n";
    }

    // Opened or not, the pass gives back everything it took.
    if (wmi.OutstandingReferences() != 0) {
      problems << "  " << wmi.OutstandingReferences() << " WMI references kept after the pass\n";
    }
    const int shares = SUCCEEDED(machine.coInitializeResult) ? 1 : 0;
    if (wmi.uninitializeCount != shares) {
      problems << "  CoUninitialize called " << wmi.uninitializeCount << " times for " << shares
               << " successful CoInitializeEx\n";
    }
    if (wmi.ExcessReleases() != 0) problems << "  " << wmi.ExcessReleases() << " WMI releases too many\n";
    if (dxgi.OutstandingReferences() != 0) {
      problems << "  " << dxgi.OutstandingReferences() << " DXGI references kept\n";
    }
    return problems.str();
  }

  testing::CapturedOutput output_;
};

// The machine seed to replay alone, from VANTREL_FAULT_SEED; false when it is not set.
bool ReplaySeed(std::uint32_t* seed) {
  char value[32] = {};
  const DWORD length = GetEnvironmentVariableA("VANTREL_FAULT_SEED", value, sizeof value);
  if (length == 0 || length >= sizeof value) return false;
  *seed = static_cast<std::uint32_t>(std::strtoul(value, nullptr, 10));
  return true;
}

TEST_F(FaultInjection, TenThousandSeededMachinesKeepTheRulesOfThePass) {
  std::uint32_t replay = 0;
  const bool replaying = ReplaySeed(&replay);
  std::mt19937 seeds(kBaseSeed);
  Tally tally;
  int failed = 0;
  for (int i = 0; i < (replaying ? 1 : kMachines); ++i) {
    const std::uint32_t seed = replaying ? replay : seeds();
    const RandomMachine machine = testing::MakeRandomMachine(seed);
    const std::string replayHint = "VANTREL_FAULT_SEED=" + std::to_string(seed) + " replays it alone";
    SCOPED_TRACE("machine seed " + std::to_string(seed) + "; " + replayHint);
    const std::string problems = RunMachine(machine);
    int held = 0;
    CountReachedSeams(machine, SUCCEEDED(OpenFailure(machine, &held)), tally);
    if (problems.empty()) continue;
    if (++failed <= kDetailedFailures) {
      ADD_FAILURE() << "machine seed " << seed << " (" << replayHint << "):\n" << problems;
    }
  }
  EXPECT_EQ(failed, 0) << "machines that broke a rule (the first " << kDetailedFailures << " are shown above)";
  if (replaying) return;

  // The run is only as good as its reach: every seam failed, and every odd kind of value was
  // delivered, many times over.
  const char* const reached[] = {
      "complete pass", "CoInitializeEx fails", "CoInitializeEx RPC_E_CHANGED_MODE", "CoInitializeSecurity fails",
      "CoInitializeSecurity RPC_E_TOO_LATE", "CoCreateInstance fails", "no locator", "ConnectServer fails",
      "no services", "CoSetProxyBlanket fails", "ExecQuery fails", "ExecQuery gives no enumerator",
      "first Next fails", "a later Next fails", "Next reports an object but gives null", "DXGI factory fails",
      "DXGI gives no factory", "EnumAdapters1 NOT_FOUND before the last adapter", "EnumAdapters1 fails",
      "EnumAdapters1 succeeds without an adapter", "GetDesc1 fails"};
  for (const char* seam : reached) EXPECT_GE(tally[seam], 20) << seam;
  for (unsigned bit = 0; bit < testing::kValueKindCount; ++bit) {
    const char* kind = testing::ValueKindName(1u << bit);
    EXPECT_GE(tally[kind], 20) << kind;
  }
  std::ostringstream summary;
  for (const auto& entry : tally) summary << "  " << entry.first << ": " << entry.second << "\n";
  std::printf("reached over %d machines:\n%s", kMachines, summary.str().c_str());  // std::cout is captured
}

}  // namespace
}  // namespace vantrel
