// Real mouse clicks on the pictures of the real Vantrel.exe: the clipboard it fills, the
// confirmation it shows and the browser it starts, read from this separate process.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "support/program_under_test.h"
#include "support/report_lines.h"
#include "window/homepage_url.h"
#include "window/resource.h"

namespace vantrel {
namespace {

using testing::ProgramUnderTest;

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// A real click: the cursor moves onto the control, which must be the window there, and the
// button goes down and up.
void ClickCentreOf(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  const POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  HWND top = GetAncestor(control, GA_ROOT);
  SetWindowPos(top, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(top);
  for (int attempt = 0; attempt < 250 && WindowFromPoint(centre) != control; ++attempt) Sleep(20);
  ASSERT_EQ(WindowFromPoint(centre), control) << "another window covers the picture";
  SetCursorPos(centre.x, centre.y);
  INPUT clicks[2]{};
  clicks[0].type = clicks[1].type = INPUT_MOUSE;
  clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, clicks, sizeof(INPUT));
}

// Opening the clipboard can fail for a moment while another process has it open.
bool OpenClipboardPatiently() {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (OpenClipboard(nullptr)) return true;
    Sleep(20);
  }
  return false;
}

void PutMarkerOnClipboard(const std::wstring& marker) {
  ASSERT_TRUE(OpenClipboardPatiently());
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (marker.size() + 1) * sizeof(wchar_t));
  std::memcpy(GlobalLock(block), marker.c_str(), (marker.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(block);
  SetClipboardData(CF_UNICODETEXT, block);
  CloseClipboard();
  // Wine's X11 clipboard bridge opens the clipboard for a moment after each change; a click
  // then would meet a clipboard held by another program, which the program rightly leaves alone.
  for (int freeChecks = 0, attempt = 0; freeChecks < 5 && attempt < 200; ++attempt) {
    freeChecks = GetOpenClipboardWindow() == nullptr ? freeChecks + 1 : 0;
    Sleep(50);
  }
}

struct ClipboardContent {
  std::wstring text;
  std::vector<UINT> formats;
};

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

struct WindowSearch {
  DWORD processId;
  HWND exclude;
  HWND found;
};

BOOL CALLBACK MatchOtherWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && window != search->exclude && IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// Another visible top-level window of the process, waiting up to timeoutMs.
HWND WaitForOtherWindow(DWORD processId, HWND exclude, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  do {
    WindowSearch search{processId, exclude, nullptr};
    EnumWindows(&MatchOtherWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    Sleep(20);
  } while (GetTickCount64() < deadline);
  return nullptr;
}

std::vector<HWND> VisibleChildren(HWND parent, const wchar_t* className) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (IsWindowVisible(child) && _wcsicmp(testing::ClassName(child).c_str(), className) == 0) children.push_back(child);
  }
  return children;
}

class ActionsEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!UnderWine()) GTEST_SKIP() << "drives Wine's display and browser setting";
    program_ = std::make_unique<ProgramUnderTest>(testing::SiblingProgram(L"app\\Vantrel.exe"));
    window_ = program_->WaitForWindow();
    ASSERT_NE(window_, nullptr);
    SetForegroundWindow(window_);
  }
  void TearDown() override {
    if (window_ != nullptr && IsWindow(window_)) PostMessageW(window_, WM_CLOSE, 0, 0);
    if (program_) program_->WaitForExit(10000);
  }

  std::unique_ptr<ProgramUnderTest> program_;
  HWND window_ = nullptr;
};

TEST_F(ActionsEndToEnd, CopyPicturePutsTheReportOnTheClipboardAndConfirmsIt) {
  PutMarkerOnClipboard(L"marker");
  ClickCentreOf(GetDlgItem(window_, IDC_COPY_PICTURE));

  HWND box = WaitForOtherWindow(program_->ProcessId(), window_, 10000);
  ASSERT_NE(box, nullptr) << "no confirmation appeared";
  EXPECT_EQ(GetWindow(box, GW_OWNER), window_) << "the box is modal to the spec window";
  EXPECT_EQ(testing::WindowText(box), L"Vantrel");
  bool textFound = false;
  HICON icon = nullptr;
  for (HWND label : VisibleChildren(box, L"Static")) {
    textFound = textFound || testing::WindowText(label) == L"PC 사양 복사되었습니다.";
    if ((GetWindowLongW(label, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      icon = reinterpret_cast<HICON>(SendMessageW(label, STM_GETICON, 0, 0));
    }
  }
  EXPECT_TRUE(textFound);
  EXPECT_NE(icon, nullptr) << "the box shows an icon (which one, the in-process tests check)";
  const std::vector<HWND> buttons = VisibleChildren(box, L"Button");
  ASSERT_EQ(buttons.size(), 1u);
  EXPECT_EQ(GetDlgCtrlID(buttons[0]), IDOK);
  EXPECT_FALSE(IsWindowEnabled(window_)) << "the spec window takes no input while the box is open";

  const ClipboardContent clipboard = ReadClipboard();
  const testing::ChildResult report = testing::RunChild(testing::SiblingProgram(L"app\\VantrelReport.exe"));
  ASSERT_EQ(report.exitCode, 0u);
  EXPECT_EQ(clipboard.text, testing::WideOfUtf8(report.standardOutput));
  for (UINT format : clipboard.formats) {
    // Only our Unicode text and what the system derives from it on its own.
    EXPECT_TRUE(format == CF_UNICODETEXT || format == CF_TEXT || format == CF_OEMTEXT || format == CF_LOCALE)
        << "format " << format;
  }

  PostMessageW(buttons[0], BM_CLICK, 0, 0);
  const ULONGLONG deadline = GetTickCount64() + 10000;
  while (IsWindow(box) && GetTickCount64() < deadline) Sleep(20);
  EXPECT_FALSE(IsWindow(box));
  EXPECT_TRUE(IsWindowEnabled(window_));
}

TEST_F(ActionsEndToEnd, HomepagePictureStartsTheBrowserWithTheAddressAndLeavesTheClipboard) {
  const std::string record = VANTREL_URL_RECORD;
  std::remove(record.c_str());
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  const std::wstring recorder = L"" VANTREL_URL_RECORDER_W;
  RegSetValueExW(key, L"Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(recorder.c_str()),
                 static_cast<DWORD>((recorder.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  PutMarkerOnClipboard(L"marker");

  ClickCentreOf(GetDlgItem(window_, IDC_HOMEPAGE_PICTURE));

  std::string opened;
  const ULONGLONG deadline = GetTickCount64() + 20000;
  while (opened.empty() && GetTickCount64() < deadline) {
    Sleep(50);
    std::ifstream in(record);
    std::getline(in, opened);
  }
  EXPECT_EQ(opened, testing::Utf8Of(kHomepageUrl));
  EXPECT_EQ(WaitForOtherWindow(program_->ProcessId(), window_, 500), nullptr) << "no message is shown";
  EXPECT_EQ(ReadClipboard().text, L"marker");
}

}  // namespace
}  // namespace vantrel
