// Waiting for the collection pass on the user-interface thread, which answers its messages the
// whole time, behind a small window while the pass takes time.
#pragma once

#include <windows.h>

#include "collect/background_pass.h"

namespace vantrel {

// A window made hidden, before the pass starts: under Wine, a first window made on this thread
// while the pass's thread sets up the graphics adapters may never come.
class ProgressWindow {
 public:
  explicit ProgressWindow(HICON icon);
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;
  ~ProgressWindow();

  // Waits until the pass is over. From half a second on, the window says that the PC's specs are
  // being read, which category now and how far; from ten seconds on, that Windows is answering
  // slowly, with the button "기다리지 않고 보기", which gives the pass up at once. False when the
  // user closed the window (close box or Esc): the program then ends.
  bool WaitFor(BackgroundPass& pass);

 private:
  struct Choices {
    bool closed = false;
    bool showNow = false;
  };
  static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  Choices choices_;
  HWND window_;
};

}  // namespace vantrel
