// The spec report as the category lines predict it, to compare a window's combos or a pass's
// lists with a report: each line with CR LF, the VGA and battery fallbacks left out and the HDD,
// Sound and ODD fallbacks under their prefixes.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace vantrel::testing {

using CategoryLines = std::array<std::vector<std::wstring>, 9>;

std::wstring ReportFromCategoryLines(const CategoryLines& categories);

}  // namespace vantrel::testing
