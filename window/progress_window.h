// Waiting for the collection pass behind a small window, which answers the whole time: a timer
// and the pass's own messages move it on, so Windows' move, size and menu loops never stop it.
#pragma once

#include <windows.h>

#include "collect/background_pass.h"
#include "window/modal_dialog.h"

namespace vantrel {

class ProgressWindow final : public ModalDialog {
 public:
  explicit ProgressWindow(HICON icon);

  // Starts the pass once the window exists (hidden: under Wine, a first window made on this thread
  // while the pass's thread sets up the graphics adapters may never come) and waits until the pass
  // is over. From half a second on, the window says that the PC's specs are being read, which
  // category now and how far; from ten seconds on, that Windows is answering slowly, with the
  // default button "기다리지 않고 보기", which gives the pass up at once. False when the user
  // closed the window (close box or Esc) or the thread was asked to quit (WM_QUIT, posted again):
  // the program then ends.
  bool WaitFor(BackgroundPass& pass);

 protected:
  BOOL OnInitDialog() override;
  void OnDestroy() override;
  bool OnTimer(UINT_PTR timer) override;
  void OnWindowPosChanging(WINDOWPOS& position) override;
  bool OnAppMessage(UINT message) override;
  bool OnClicked(int controlId) override;
  void OnSizeMoveLoop(bool entered) override { inSizeMoveLoop_ = entered; }
  // Enter presses the button once it is there, never anything else.
  void OnOK() override {}

 private:
  void LookAtPass();
  void ShowProgress();

  HICON icon_;
  BackgroundPass* pass_ = nullptr;
  bool mayShow_ = false;
  bool inSizeMoveLoop_ = false;
};

}  // namespace vantrel
