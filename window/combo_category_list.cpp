#include "window/combo_category_list.h"

#include <algorithm>
#include <string>

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

void ComboCategoryList::FitDropDownToLines() {
  if (combo_ == nullptr) return;
  HDC dc = GetDC(combo_);
  if (dc == nullptr) return;
  const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(combo_, WM_GETFONT, 0, 0));
  const HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
  LONG longest = 0;
  const LRESULT count = SendMessageW(combo_, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(combo_, CB_GETLBTEXTLEN, i, 0);
    if (length <= 0) continue;
    std::wstring line(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(combo_, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&line[0]));
    SIZE extent{};
    if (copied > 0 && GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(copied), &extent)) {
      longest = std::max(longest, extent.cx);
    }
  }
  if (previous != nullptr) SelectObject(dc, previous);
  ReleaseDC(combo_, dc);
  // The list's frame and item margins, and a scroll bar should the lines outnumber the list.
  LONG width = longest + 2 * GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXVSCROLL) + 8;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoW(MonitorFromWindow(combo_, MONITOR_DEFAULTTONEAREST), &monitor)) {
    width = std::min(width, monitor.rcWork.right - monitor.rcWork.left);
  }
  RECT field{};
  GetWindowRect(combo_, &field);
  width = std::max(width, field.right - field.left);
  SendMessageW(combo_, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(width), 0);
}

}  // namespace vantrel
