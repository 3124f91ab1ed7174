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

}  // namespace

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
