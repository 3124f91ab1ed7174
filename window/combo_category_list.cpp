#include "window/combo_category_list.h"

namespace vantrel {

void ComboCategoryList::RemoveAll() { SendMessageW(combo_, CB_RESETCONTENT, 0, 0); }

void ComboCategoryList::Append(const std::wstring& line) {
  SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

// CB_ERR (a control that failed to answer) counts as no line.
std::size_t ComboCategoryList::Count() const {
  const LRESULT count = SendMessageW(combo_, CB_GETCOUNT, 0, 0);
  return count > 0 ? static_cast<std::size_t>(count) : 0;
}

void ComboCategoryList::SelectFirst() { SendMessageW(combo_, CB_SETCURSEL, 0, 0); }

}  // namespace vantrel
