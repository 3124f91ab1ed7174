// Real input and clipboard access for the end-to-end tests, shared by every test that drives
// the real Vantrel.exe.
#include "support/ui_driver.h"

#include <cstring>

#include "support/program_under_test.h"
#include "window/vantrel_dlg.h"

namespace vantrel::testing {

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool ClickCentreOf(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  const POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  HWND top = GetAncestor(control, GA_ROOT);
  SetWindowPos(top, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(top);
  for (int attempt = 0; attempt < 250 && WindowFromPoint(centre) != control; ++attempt) Sleep(20);
  if (WindowFromPoint(centre) != control) return false;
  SetCursorPos(centre.x, centre.y);
  INPUT clicks[2]{};
  clicks[0].type = clicks[1].type = INPUT_MOUSE;
  clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  return SendInput(2, clicks, sizeof(INPUT)) == 2;
}

bool OpenClipboardPatiently() {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (OpenClipboard(nullptr)) return true;
    Sleep(20);
  }
  return false;
}

bool PutMarkerOnClipboard(const std::wstring& marker) {
  if (!OpenClipboardPatiently()) return false;
  EmptyClipboard();
  const std::size_t bytes = (marker.size() + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  void* target = block != nullptr ? GlobalLock(block) : nullptr;
  if (target == nullptr) {
    if (block != nullptr) GlobalFree(block);
    CloseClipboard();
    return false;
  }
  std::memcpy(target, marker.c_str(), bytes);
  GlobalUnlock(block);
  const bool handedOver = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
  if (!handedOver) GlobalFree(block);
  CloseClipboard();
  // Wine's X11 clipboard bridge opens the clipboard for a moment after each change; a click
  // then would meet a clipboard held by another program, which the program rightly leaves alone.
  for (int freeChecks = 0, attempt = 0; freeChecks < 5 && attempt < 200; ++attempt) {
    freeChecks = GetOpenClipboardWindow() == nullptr ? freeChecks + 1 : 0;
    Sleep(50);
  }
  return handedOver;
}

ClipboardContent ReadClipboard() {
  ClipboardContent content;
  if (!OpenClipboardPatiently()) return content;
  for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
    content.formats.push_back(format);
  }
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    const auto* text = static_cast<const wchar_t*>(GlobalLock(data));
    if (text != nullptr) content.text = text;
    GlobalUnlock(data);
  }
  CloseClipboard();
  return content;
}

HWND WaitForOtherWindow(DWORD processId, HWND exclude, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  do {
    HWND found = FindProcessWindow(processId, [exclude](HWND window) { return window != exclude && IsWindowVisible(window); });
    if (found != nullptr) return found;
    Sleep(20);
  } while (GetTickCount64() < deadline);
  return nullptr;
}

bool WaitUntilIdle(DWORD processId, DWORD timeoutMs) {
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId);
  if (process == nullptr) return false;
  const bool idle = WaitForInputIdle(process, timeoutMs) == 0;
  CloseHandle(process);
  return idle;
}

std::vector<HWND> VisibleChildren(HWND parent, const wchar_t* className) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (IsWindowVisible(child) && _wcsicmp(ClassName(child).c_str(), className) == 0) children.push_back(child);
  }
  return children;
}

std::vector<std::wstring> ComboLines(HWND combo) {
  std::vector<std::wstring> lines;
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
    std::wstring line(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    const LRESULT copied = SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&line[0]));
    line.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    lines.push_back(line);
  }
  return lines;
}

ComboState ReadCombos(HWND window) {
  ComboState state;
  for (std::size_t i = 0; i < state.lines.size(); ++i) {
    HWND combo = GetDlgItem(window, Categories()[i].comboId);
    state.lines[i] = ComboLines(combo);
    state.selected[i] = combo != nullptr ? SendMessageW(combo, CB_GETCURSEL, 0, 0) : -2;
  }
  return state;
}

std::string LayoutFaults(HWND window) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  RECT client{};
  GetClientRect(window, &client);
  std::string faults;
  for (std::size_t i = 0; i < children.size(); ++i) {
    const RECT place = RectInClient(children[i], window);
    RECT inside{};
    if (!IntersectRect(&inside, &place, &client) || !EqualRect(&inside, &place)) {
      faults += "control #" + std::to_string(i) + " leaves the client area; ";
    }
    for (std::size_t j = 0; j < i; ++j) {
      RECT other = RectInClient(children[j], window), both{};
      if (IntersectRect(&both, &place, &other)) faults += "controls #" + std::to_string(j) + " and #" + std::to_string(i) + " overlap; ";
    }
  }
  return faults;
}

RECT RectInClient(HWND control, HWND window) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace vantrel::testing
