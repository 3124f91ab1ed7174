#include "support/modal_run.h"

#include <exception>
#include <utility>

namespace vantrel::testing {
namespace {

std::function<void()> g_pending;
std::exception_ptr g_failure;  // what the inspection threw, kept until the modal loop returns

void CALLBACK Fire(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  std::function<void()> pending = std::move(g_pending);
  if (pending) pending();
}

std::function<bool(HWND)> g_step;

BOOL CALLBACK TakeIfVisible(HWND window, LPARAM found) {
  if (!IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

void CALLBACK Step(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND shown = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &TakeIfVisible, reinterpret_cast<LPARAM>(&shown));
  bool again = false;
  try {
    again = g_step && g_step(shown);
  } catch (...) {
    g_failure = std::current_exception();
  }
  if (!again) KillTimer(nullptr, timer);
}

}  // namespace

int WhileStepping(const std::function<int()>& run, const std::function<bool(HWND)>& step) {
  g_step = step;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, &Step);
  const int result = run();
  KillTimer(nullptr, timer);
  g_step = nullptr;
  if (g_failure) std::rethrow_exception(std::exchange(g_failure, nullptr));
  return result;
}

INT_PTR RunShown(ModalDialog& dialog, const std::function<void(HWND)>& inspect) {
  // An exception must not cross the timer's Win32 frame (on i686 that ends the test program):
  // it is caught there and thrown again here, where the test sees it as a failure.
  g_pending = [&dialog, &inspect] {
    try {
      inspect(dialog.Handle());
    } catch (...) {
      g_failure = std::current_exception();
    }
    PostMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  };
  SetTimer(nullptr, 0, 1, &Fire);
  const INT_PTR result = dialog.DoModal();
  if (g_failure) std::rethrow_exception(std::exchange(g_failure, nullptr));
  return result;
}

}  // namespace vantrel::testing
