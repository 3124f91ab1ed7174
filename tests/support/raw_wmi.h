// WMI read straight through the open connection's services, without the probes, so tests can
// hold the probes' and the programs' answers against it.
#pragma once

#include <string>
#include <vector>

#include "probes/wmi_connection.h"

namespace vantrel::testing {

// A property's string value in every result object of a WQL statement, in delivery order
// ("<type N>" where it is not a string; "<ExecQuery failed>" alone when the statement fails).
std::vector<std::wstring> RawStrings(const WmiConnection& wmi, const std::wstring& statement, const wchar_t* property);
// The Name values that are non-empty text, as a list of device names keeps them.
std::vector<std::wstring> RawNames(const WmiConnection& wmi, const std::wstring& statement);

}  // namespace vantrel::testing
