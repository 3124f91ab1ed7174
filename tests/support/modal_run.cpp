#include "support/modal_run.h"

namespace vantrel::testing {
namespace {

std::function<void()> g_pending;

void CALLBACK Fire(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  std::function<void()> pending = std::move(g_pending);
  if (pending) pending();
}

}  // namespace

INT_PTR RunShown(ModalDialog& dialog, const std::function<void(HWND)>& inspect) {
  g_pending = [&dialog, &inspect] {
    inspect(dialog.Handle());
    PostMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  };
  SetTimer(nullptr, 0, 1, &Fire);
  return dialog.DoModal();
}

}  // namespace vantrel::testing
