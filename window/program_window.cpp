#include "window/program_window.h"

namespace vantrel {
namespace {

const wchar_t kMark[] = L"Vantrel.ProgramWindow";

BOOL CALLBACK BringForwardIfMarked(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId() || GetPropW(window, kMark) == nullptr || !IsWindowVisible(window)) return TRUE;
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  // The new copy was just started by the user, so Windows lets it hand the foreground over.
  SetForegroundWindow(window);
  *reinterpret_cast<bool*>(found) = true;
  return FALSE;
}

}  // namespace

void MarkProgramWindow(HWND window) { SetPropW(window, kMark, reinterpret_cast<HANDLE>(1)); }

void UnmarkProgramWindow(HWND window) { RemovePropW(window, kMark); }

bool BringRunningCopyForward() {
  bool found = false;
  EnumWindows(&BringForwardIfMarked, reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace vantrel
