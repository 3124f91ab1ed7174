// What a user does to another program's window and what they see of it: real clicks, the
// clipboard, the program's other windows and the lines of its combos.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "support/report_lines.h"

namespace vantrel::testing {

bool UnderWine();

// A real click: the cursor moves onto the control and the button goes down and up. False, with
// no click, when another window still covers the control's centre after a while.
bool ClickCentreOf(HWND control);

// Opening the clipboard can fail for a moment while another process has it open.
bool OpenClipboardPatiently();

// Puts the marker on the clipboard as Unicode text and waits until the system has finished
// looking at the change; false if the clipboard could not be written.
bool PutMarkerOnClipboard(const std::wstring& marker);

struct ClipboardContent {
  std::wstring text;
  std::vector<UINT> formats;
};
ClipboardContent ReadClipboard();

// Another visible top-level window of the process (a message box, say), waiting up to timeoutMs.
HWND WaitForOtherWindow(DWORD processId, HWND exclude, DWORD timeoutMs);

// Whether the process has handled all the input it was given and waits for more.
bool WaitUntilIdle(DWORD processId, DWORD timeoutMs);

std::vector<HWND> VisibleChildren(HWND parent, const wchar_t* className);

// The lines of a combo box, in their order.
std::vector<std::wstring> ComboLines(HWND combo);

// What the category combos of a spec window hold, and the index each has selected
// (-2 where there is no such combo).
struct ComboState {
  CategoryLines lines;
  std::array<LRESULT, kCategoryCount> selected{};
};
ComboState ReadCombos(HWND window);

// Where a control stands in its window's client area.
RECT RectInClient(HWND control, HWND window);
// The window's controls that stand partly outside its client area or overlap another, said in
// words; empty when there are none.
std::string LayoutFaults(HWND window);

// The pixel sizes of the banner, copy and homepage pictures, which their controls take.
inline constexpr SIZE kPictureSizes[3] = {{318, 195}, {314, 71}, {318, 71}};

}  // namespace vantrel::testing
