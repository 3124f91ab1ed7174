// Runs a dialog modally in the test's own thread and inspects it once its modal loop runs.
#pragma once

#include <windows.h>

#include <functional>

#include "window/modal_dialog.h"

namespace vantrel::testing {

// A thread timer fires inside the dialog's modal loop, after the window has been shown;
// `inspect` sees the window, then the dialog is cancelled. Returns DoModal's result.
INT_PTR RunShown(ModalDialog& dialog, const std::function<void(HWND)>& inspect);

}  // namespace vantrel::testing
