// Runs a dialog modally in the test's own thread and inspects it once its modal loop runs.
#pragma once

#include <windows.h>

#include <functional>

#include "window/modal_dialog.h"

namespace vantrel::testing {

// A thread timer fires inside the dialog's modal loop, after the window has been shown;
// `inspect` sees the window, then the dialog is cancelled. Returns DoModal's result.
INT_PTR RunShown(ModalDialog& dialog, const std::function<void(HWND)>& inspect);

// Runs `run` on this thread while a thread timer hands `step`, every 50 ms, this thread's visible
// top-level window (null when there is none), until `step` returns false. Returns what `run` did.
int WhileStepping(const std::function<int()>& run, const std::function<bool(HWND)>& step);

}  // namespace vantrel::testing
