// The program's windows carry a mark, so that a second start can find the running copy's window.
#pragma once

#include <windows.h>

namespace vantrel {

// Marks a window of this program; Unmark before it is destroyed.
void MarkProgramWindow(HWND window);
void UnmarkProgramWindow(HWND window);

// Brings a visible marked window of another process to the front, restored if minimised. False
// when there is none.
bool BringRunningCopyForward();

}  // namespace vantrel
