// The program's windows carry a mark, so that a second start can find the running copy's window.
#pragma once

#include <windows.h>

namespace vantrel {

// Marks a window of this program; Unmark before it is destroyed.
void MarkProgramWindow(HWND window);
void UnmarkProgramWindow(HWND window);

// Brings a marked window of another process to the front: restored if minimised, shown if hidden,
// and never waited on, so a hung copy cannot hold this one. The running copy may have no window
// yet, or be between two, so it is looked for up to a second. False when none came.
bool BringRunningCopyForward();

// What that asks of Windows besides the window calls, in a table that tests can fill: which
// process this is (a test's own windows then count as another copy's) and the clock of the wait.
// By default the real kernel32 functions.
struct RunningCopyEntryPoints {
  DWORD(WINAPI* currentProcessId)();
  ULONGLONG(WINAPI* tickCount)();
  void(WINAPI* sleep)(DWORD milliseconds);
};

RunningCopyEntryPoints& RunningCopyApi();

}  // namespace vantrel
