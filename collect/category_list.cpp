#include "collect/category_list.h"

namespace vantrel {

void MemoryCategoryList::RemoveAll() {
  lines_.clear();
  selected_ = -1;
}

void MemoryCategoryList::Append(const std::wstring& line) { lines_.push_back(line); }

// Like a combo box, selecting index 0 of an empty list selects nothing.
void MemoryCategoryList::SelectFirst() { selected_ = lines_.empty() ? -1 : 0; }

}  // namespace vantrel
