// The nine categories, each stated once: its label, its name in the report, its list's control
// id, what it says when it finds nothing, and how it is read. The pass, the windows and the tests
// read this table; nothing else lists the categories.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "collect/findings.h"
#include "probes/wmi_query.h"

namespace vantrel {

// In report order, which is also the order of the window's lists.
enum Category : std::size_t { kOs, kCpu, kRam, kMainBoard, kVga, kHdd, kSound, kOdd, kBattery, kCategoryCount };

// One WQL statement, as data: "SELECT <properties, comma-separated> FROM <className>".
struct WmiStatement {
  enum Shape {
    kValue,  // the first property of the first result object
    kRows,   // a row per result object, with every property
    kNames,  // the non-empty "Name" of every result object
  };
  Shape shape = kValue;
  const wchar_t* className = nullptr;  // null: no statement
  std::array<const wchar_t*, 6> properties{};  // the first ones; the rest null
};

std::wstring StatementText(const WmiStatement& statement);
std::vector<std::wstring> PropertyNames(const WmiStatement& statement);

// What a device probe gave: its lines, and S_OK or the failure that cut them short.
struct DeviceLines {
  std::vector<std::wstring> lines;
  HRESULT failure = S_OK;
};

// What a category shows when it finds nothing: "없음" in its list, and in the report nothing or
// "<report name>: 없음"; a category whose lines are always built never finds nothing.
enum class WhenEmpty { kNeverEmpty, kListOnly, kReportToo, kReportAndEcho };

struct CategoryInfo {
  Category category;
  const wchar_t* label;       // beside its list in the window and in the progress window
  const wchar_t* reportName;  // before a notice in the report, and before its echo lines
  int comboId;                // its list in the spec window
  WhenEmpty whenEmpty;
  // The property whose value each row echoes as "<report name>: <value>\n"; null: no echo.
  const wchar_t* echoed;
  // Read from WMI: its statements, in order. The single values give one line, once all answered
  // (valuesLine); each row or name gives one line (rowLine), with what the platform's reading
  // found of it (a disk's kind, a module's generation).
  std::array<WmiStatement, 2> statements;
  std::wstring (*valuesLine)(const std::vector<std::wstring>& values);
  std::wstring (*rowLine)(const PropertyRow& row, Findings& findings);
  // Or read from a device probe, which never waits on WMI.
  DeviceLines (*readDevice)();
  // For a WMI category, the same lines read a second way, from the platform's own sources, and
  // where they come from (for the diagnostics); null where there is none.
  DeviceLines (*readPlatform)(Findings& findings);
  const wchar_t* platformSource;

  bool FromWmi() const { return readDevice == nullptr; }
};

const CategoryInfo& CategoryOf(Category category);
// Every category, in report order.
const std::array<CategoryInfo, kCategoryCount>& Categories();
// The order the pass reads them in: the device probes first, since they never wait on WMI, then
// the WMI categories; each group in report order.
const std::array<Category, kCategoryCount>& ReadOrder();

}  // namespace vantrel
