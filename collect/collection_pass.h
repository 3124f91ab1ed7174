// The one pass that asks the probes about the eight categories, fills their lists and builds
// the spec report, the text the copy action puts on the clipboard.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <type_traits>

#include "collect/category_list.h"

namespace vantrel {

enum Category : std::size_t { kOs, kCpu, kRam, kMainBoard, kVga, kHdd, kSound, kOdd, kCategoryCount };

using CategoryLists = std::array<CategoryList*, kCategoryCount>;

enum class PassResult {
  kComplete,
  kIncomplete,      // WMI did not answer every statement in time; those categories say so
  kWmiUnavailable,  // the connection could not be opened
};

// Fills the lists and the report (lines each ended by CR LF, in category order) and echoes
// diagnostic lines. With "WMI Init Failed\n" on std::cout and nothing else touched when the WMI
// connection cannot be opened.
PassResult RunCollectionPass(const CategoryLists& categories, std::wstring& specReport);

// The same over one list object per category, in category order.
template <class List, class = std::enable_if_t<std::is_base_of_v<CategoryList, List>>>
PassResult RunCollectionPass(std::array<List, kCategoryCount>& lists, std::wstring& specReport) {
  CategoryLists categories{};
  for (std::size_t i = 0; i < kCategoryCount; ++i) categories[i] = &lists[i];
  return RunCollectionPass(categories, specReport);
}

}  // namespace vantrel
