// The spec report as the category lines predict it, to compare a window's combos or a pass's
// lists with a report: each line with CR LF, a "없음" in the report as its category says.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "collect/categories.h"

namespace vantrel::testing {

using CategoryLines = std::array<std::vector<std::wstring>, kCategoryCount>;

std::wstring ReportFromCategoryLines(const CategoryLines& categories);

}  // namespace vantrel::testing
