#include "window/program_window.h"

namespace vantrel {
namespace {

const wchar_t kMark[] = L"Vantrel.ProgramWindow";
constexpr ULONGLONG kLookFor = 1000;
constexpr DWORD kLookEvery = 50;

struct Search {
  DWORD ownProcess;
  HWND window = nullptr;
  DWORD process = 0;
};

// Hidden windows count too: the running copy may be about to show the one it has.
BOOL CALLBACK TakeIfMarked(HWND window, LPARAM search) {
  Search& found = *reinterpret_cast<Search*>(search);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == found.ownProcess || GetPropW(window, kMark) == nullptr) return TRUE;
  found.window = window;
  found.process = process;
  return FALSE;
}

}  // namespace

void MarkProgramWindow(HWND window) { SetPropW(window, kMark, reinterpret_cast<HANDLE>(1)); }

void UnmarkProgramWindow(HWND window) { RemovePropW(window, kMark); }

bool BringRunningCopyForward() {
  Search found{RunningCopyApi().currentProcessId()};
  const ULONGLONG giveUpAt = GetTickCount64() + kLookFor;
  for (;;) {
    EnumWindows(&TakeIfMarked, reinterpret_cast<LPARAM>(&found));
    if (found.window != nullptr) break;
    if (GetTickCount64() >= giveUpAt) return false;
    Sleep(kLookEvery);
  }
  // Nothing here waits for the running copy to answer, as ShowWindow and SendMessage would. The
  // new copy was just started by the user, so Windows lets it hand the foreground over: to the
  // window now, and to the one the running copy shows next.
  AllowSetForegroundWindow(found.process);
  ShowWindowAsync(found.window, IsIconic(found.window) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(found.window);
  return true;
}

RunningCopyEntryPoints& RunningCopyApi() {
  static RunningCopyEntryPoints live = {&GetCurrentProcessId};
  return live;
}

}  // namespace vantrel
