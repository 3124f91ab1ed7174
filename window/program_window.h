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

// Which process this is, in a table that tests can fill, so that a test's own windows can count as
// another copy's; the window calls stay real. By default the real kernel32 function.
struct RunningCopyEntryPoints {
  DWORD(WINAPI* currentProcessId)();
};

RunningCopyEntryPoints& RunningCopyApi();

}  // namespace vantrel
