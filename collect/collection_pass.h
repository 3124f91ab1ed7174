// The one pass that asks the probes about the eight categories, fills their lists and builds
// the spec report, the text the copy action puts on the clipboard.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "collect/category_list.h"

namespace vantrel {

enum Category : std::size_t { kOs, kCpu, kRam, kMainBoard, kVga, kHdd, kSound, kOdd, kCategoryCount };

using CategoryLists = std::array<CategoryList*, kCategoryCount>;

// Fills the lists and the report (lines each ended by CR LF, in category order) and echoes
// diagnostic lines. False, with "WMI Init Failed\n" on std::cout and nothing else touched,
// when the WMI connection cannot be opened.
bool RunCollectionPass(const CategoryLists& categories, std::wstring& specReport);

}  // namespace vantrel
