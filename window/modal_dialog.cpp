#include "window/modal_dialog.h"

#include <utility>

namespace vantrel {

ModalDialog::ModalDialog(UINT templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

INT_PTR ModalDialog::DoModal() {
  pendingException_ = nullptr;
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), parent_,
                                         &ModalDialog::DialogProc, reinterpret_cast<LPARAM>(this));
  if (pendingException_) std::rethrow_exception(std::exchange(pendingException_, nullptr));
  return result;
}

BOOL ModalDialog::OnInitDialog() {
  DoDataExchange();
  return TRUE;
}

HBRUSH ModalDialog::OnCtlColor(HDC, HWND, UINT) { return nullptr; }

INT_PTR CALLBACK ModalDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<ModalDialog*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    dialog->window_ = window;
  }
  auto* dialog = reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(window, DWLP_USER));
  if (dialog == nullptr) return FALSE;  // messages that come before WM_INITDIALOG
  // An exception must not unwind through the platform's frames (undefined behaviour; on i686
  // the unwinder ends the process there). The first one is kept and the modal loop ended;
  // DoModal rethrows it once DialogBoxParamW has returned.
  INT_PTR result = FALSE;
  try {
    result = dialog->HandleMessage(message, wParam, lParam);
  } catch (...) {
    if (!dialog->pendingException_) dialog->pendingException_ = std::current_exception();
    EndDialog(window, -1);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, DWLP_USER, 0);
    dialog->window_ = nullptr;
  }
  return result;
}

// The message map. WM_INITDIALOG, WM_QUERYDRAGICON and the WM_CTLCOLOR messages return their
// answer directly; for the others TRUE means handled.
INT_PTR ModalDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const BOOL focusDefault = OnInitDialog();
      if (parent_ == nullptr) CenterOnScreen();
      return focusDefault;
    }
    case WM_PAINT:
      return OnPaint() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
    case WM_DESTROY:
      OnDestroy();
      return FALSE;
    case WM_TIMER:
      return OnTimer(wParam) ? TRUE : FALSE;
    case WM_ENTERSIZEMOVE:
    case WM_EXITSIZEMOVE:
      OnSizeMoveLoop(message == WM_ENTERSIZEMOVE);
      return FALSE;
    case WM_WINDOWPOSCHANGING:
      OnWindowPosChanging(*reinterpret_cast<WINDOWPOS*>(lParam));
      return FALSE;  // the platform goes on with what the handler left
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<INT_PTR>(OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                                                  message - WM_CTLCOLORMSGBOX));
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          if (HIWORD(wParam) == BN_CLICKED) {
            OnOK();
            return TRUE;
          }
          break;
        case IDCANCEL:
          if (HIWORD(wParam) == BN_CLICKED) {
            OnCancel();
            return TRUE;
          }
          break;
        default:
          break;
      }
      if (HIWORD(wParam) == STN_CLICKED && lParam != 0) return OnClicked(LOWORD(wParam)) ? TRUE : FALSE;
      return FALSE;
    default:
      if (message >= WM_APP && message <= 0xBFFF) return OnAppMessage(message) ? TRUE : FALSE;
      return FALSE;
  }
}

// Centres the window on the work area of the monitor it is on, before it is first shown.
void ModalDialog::CenterOnScreen() {
  RECT frame;
  if (!GetWindowRect(window_, &frame)) return;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor)) return;
  const RECT& area = monitor.rcWork;
  const LONG width = frame.right - frame.left;
  const LONG height = frame.bottom - frame.top;
  const LONG left = area.left + (area.right - area.left - width) / 2;
  const LONG top = area.top + (area.bottom - area.top - height) / 2;
  SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace vantrel
