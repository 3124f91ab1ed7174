// A modal dialog built from a dialog template. A static dialog procedure finds the object
// (stored at WM_INITDIALOG) and hands each message it serves to a small virtual On... handler,
// so a window class reads as a list of handlers.
#pragma once

#include <windows.h>

#include <cstddef>
#include <exception>

namespace vantrel {

class ModalDialog {
 public:
  explicit ModalDialog(UINT templateId, HWND parent = nullptr);
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;
  virtual ~ModalDialog() = default;

  // Creates the window from the template, runs it until OK or Cancel ends it, destroys it and
  // returns the result (-1 when the window could not be created). An exception that a handler
  // raised ends the run and comes out of here, after the platform's frames are gone.
  INT_PTR DoModal();

  HWND Handle() const { return window_; }
  HWND Control(int id) const { return GetDlgItem(window_, id); }

 protected:
  // Binds control objects to their controls by id; OnInitDialog runs it first.
  virtual void DoDataExchange() {}
  // True: the platform gives the focus to the first tab stop.
  virtual BOOL OnInitDialog();
  // Each returns whether it handled the message; false leaves it to the platform's default.
  virtual bool OnPaint() { return false; }
  virtual void OnDestroy() {}
  // The platform's default icon (none) when this returns null.
  virtual HCURSOR OnQueryDragIcon() { return nullptr; }
  // kind is one of CTLCOLOR_MSGBOX .. CTLCOLOR_STATIC; null leaves the platform's brush and colours.
  virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind);
  // STN_CLICKED from a static control with SS_NOTIFY, or BN_CLICKED from a button (the same code).
  virtual bool OnClicked(int /*controlId*/) { return false; }
  virtual bool OnTimer(UINT_PTR /*timer*/) { return false; }
  // May change the position or the flags before the platform applies them.
  virtual void OnWindowPosChanging(WINDOWPOS& /*position*/) {}
  // Windows' own move or size loop began (true) or ended (false).
  virtual void OnSizeMoveLoop(bool /*entered*/) {}
  // A private message, WM_APP to 0xBFFF.
  virtual bool OnAppMessage(UINT /*message*/) { return false; }
  virtual void OnOK() { EndDialog(window_, IDOK); }
  virtual void OnCancel() { EndDialog(window_, IDCANCEL); }

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void CenterOnScreen();

  UINT templateId_;
  HWND parent_;
  HWND window_ = nullptr;
  std::exception_ptr pendingException_;
};

// A click route of a dialog's message map: a control id and the handler it goes to.
template <class Dialog>
struct ClickRoute {
  int controlId;
  void (Dialog::*handler)();
};

// Runs the handler routed for controlId; false when no route names it.
template <class Dialog, std::size_t N>
bool RouteClick(Dialog& dialog, const ClickRoute<Dialog> (&routes)[N], int controlId) {
  for (const ClickRoute<Dialog>& route : routes) {
    if (route.controlId == controlId) {
      (dialog.*route.handler)();
      return true;
    }
  }
  return false;
}

}  // namespace vantrel
