// Real mouse clicks on the pictures of the real Vantrel.exe: the clipboard it fills, the
// confirmation it shows and the browser it starts, read from this separate process.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "support/prefix_changes.h"
#include "support/program_under_test.h"
#include "support/report_lines.h"
#include "support/ui_driver.h"
#include "support/utf8_text.h"
#include "window/homepage_url.h"
#include "window/resource.h"

namespace vantrel {
namespace {

using testing::ClipboardContent;
using testing::ReadClipboard;
using testing::VisibleChildren;
using testing::WaitForOtherWindow;

class ActionsEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    vantrel_ = std::make_unique<testing::RunningVantrel>();
    window_ = vantrel_->Window();
    ASSERT_NE(window_, nullptr);
    SetForegroundWindow(window_);
  }

  std::unique_ptr<testing::RunningVantrel> vantrel_;  // closes the program with the fixture
  HWND window_ = nullptr;
};

TEST_F(ActionsEndToEnd, CopyPicturePutsTheReportOnTheClipboardAndConfirmsIt) {
  ASSERT_TRUE(testing::PutMarkerOnClipboard(L"marker"));
  ASSERT_TRUE(testing::ClickCentreOf(GetDlgItem(window_, IDC_COPY_PICTURE))) << "another window covers the picture";

  HWND box = WaitForOtherWindow(vantrel_->ProcessId(), window_, 10000);
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
  const testing::ChildResult report = testing::RunChild(testing::VantrelReportExe());
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

TEST_F(ActionsEndToEnd, OnWineHomepagePictureStartsTheBrowserWithTheAddressAndLeavesTheClipboard) {
  if (!testing::UnderWine()) GTEST_SKIP() << "Wine only: the opened address is read through Wine's browser setting";
  const std::string record = VANTREL_URL_RECORD;
  std::remove(record.c_str());
  // Wine opens addresses with the first program of its browser list: the recorder, for this test only.
  const std::wstring recorder = L"" VANTREL_URL_RECORDER_W;
  testing::ScopedRegistryValue browser(L"Software\\Wine\\WineBrowser", L"Browsers", REG_SZ, recorder.c_str(),
                                       static_cast<DWORD>((recorder.size() + 1) * sizeof(wchar_t)));
  ASSERT_TRUE(browser.Set());
  ASSERT_TRUE(testing::PutMarkerOnClipboard(L"marker"));

  ASSERT_TRUE(testing::ClickCentreOf(GetDlgItem(window_, IDC_HOMEPAGE_PICTURE))) << "another window covers the picture";

  std::string opened;
  const ULONGLONG deadline = GetTickCount64() + 20000;
  while (opened.empty() && GetTickCount64() < deadline) {
    Sleep(50);
    std::ifstream in(record);
    std::getline(in, opened);
  }
  EXPECT_EQ(opened, testing::Utf8Of(kHomepageUrl));
  EXPECT_EQ(WaitForOtherWindow(vantrel_->ProcessId(), window_, 500), nullptr) << "no message is shown";
  EXPECT_EQ(ReadClipboard().text, L"marker");
}

}  // namespace
}  // namespace vantrel
