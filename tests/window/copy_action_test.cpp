// The copy and homepage actions over fakes of the clipboard, memory, shell and message box.
#include <gtest/gtest.h>

#include <utility>

#include "fakes/fake_actions.h"
#include "fakes/fake_machine.h"
#include "fakes/random_machine.h"
#include "support/pass_runs.h"
#include "support/captured_output.h"
#include "support/modal_run.h"
#include "window/application.h"
#include "window/clipboard_text.h"
#include "window/homepage_url.h"
#include "window/resource.h"
#include "window/vantrel_dlg.h"

namespace vantrel {
namespace {

using Calls = std::vector<std::string>;

TEST(CopyTextToClipboard, HandsOverOneUnicodeBlockOfTheTextAndItsTerminator) {
  testing::FakeActions fake;
  HWND owner = reinterpret_cast<HWND>(0x1234);
  const std::wstring text = L"Windows 10 Pro (64비트)\r\nODD: 없음\r\n";

  EXPECT_TRUE(CopyTextToClipboard(owner, text));

  EXPECT_EQ(fake.calls, (Calls{"OpenClipboard", "EmptyClipboard", "GlobalAlloc", "GlobalLock", "GlobalUnlock",
                               "SetClipboardData", "CloseClipboard"}));
  EXPECT_EQ(fake.clipboardOwner, owner);
  EXPECT_EQ(fake.allocationFlags, static_cast<UINT>(GMEM_MOVEABLE));
  EXPECT_EQ(fake.allocationBytes, (text.size() + 1) * 2);
  EXPECT_EQ(fake.clipboardFormat, static_cast<UINT>(CF_UNICODETEXT));
  EXPECT_EQ(fake.clipboardTexts, std::vector<std::wstring>{text});
  EXPECT_EQ(fake.BlocksLeftOver(), 0);
}

// Asked every 50 ms for a second, then left as it is.
TEST(CopyTextToClipboard, ClipboardHeldByAnotherProgramIsLeftUntouched) {
  testing::FakeActions fake;
  fake.clipboardRefusals = 1000;
  EXPECT_FALSE(CopyTextToClipboard(nullptr, L"x"));
  EXPECT_EQ(fake.calls, Calls(21, "OpenClipboard"));
  EXPECT_EQ(fake.sleptFor, 1000u);
}

TEST(CopyTextToClipboard, FailedAllocationLeavesTheClipboardEmptyAndClosed) {
  testing::FakeActions fake;
  fake.allocationSucceeds = false;
  EXPECT_FALSE(CopyTextToClipboard(nullptr, L"x"));
  EXPECT_EQ(fake.calls, (Calls{"OpenClipboard", "EmptyClipboard", "GlobalAlloc", "CloseClipboard"}));
}

TEST(CopyTextToClipboard, FailedLockFreesTheBlock) {
  testing::FakeActions fake;
  fake.lockSucceeds = false;
  EXPECT_FALSE(CopyTextToClipboard(nullptr, L"x"));
  EXPECT_EQ(fake.calls, (Calls{"OpenClipboard", "EmptyClipboard", "GlobalAlloc", "GlobalLock", "GlobalFree",
                               "CloseClipboard"}));
  EXPECT_EQ(fake.BlocksLeftOver(), 0);
}

TEST(CopyTextToClipboard, RefusedHandOverFreesTheBlockAndReportsFailure) {
  testing::FakeActions fake;
  fake.clipboardTakesData = false;
  EXPECT_FALSE(CopyTextToClipboard(nullptr, L"x"));
  EXPECT_EQ(fake.calls, (Calls{"OpenClipboard", "EmptyClipboard", "GlobalAlloc", "GlobalLock", "GlobalUnlock",
                               "SetClipboardData", "GlobalFree", "CloseClipboard"}));
  EXPECT_EQ(fake.BlocksLeftOver(), 0);
}

// The spec window with a scripted machine, clicked through its message map.
class ActionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_.wmi.Answer(testing::StatementText(testing::kProcessorStatement),
                testing::FakeQueryAnswer{{testing::FakeObject{{L"Name", testing::FakeValue::Text(L"CPU X")}}}});
  }

  static void Click(HWND window, int controlId) {
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(controlId, STN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, controlId)));
  }

  testing::FakeMachine machine_;
  testing::FakeActions actions_;
  testing::CapturedOutput output_;
};

TEST_F(ActionsTest, TwoCopyClicksPutTheReportOnTheClipboardTwiceWithTwoConfirmations) {
  Application application;  // named after this test program
  CVantrelDlg dialog(testing::PassOutcomes());
  HWND window = nullptr;
  testing::RunShown(dialog, [&](HWND shown) {
    window = shown;
    Click(shown, IDC_COPY_PICTURE);
    Click(shown, IDC_COPY_PICTURE);
  });

  ASSERT_FALSE(dialog.SpecReport().empty());
  EXPECT_EQ(actions_.clipboardTexts, (std::vector<std::wstring>{dialog.SpecReport(), dialog.SpecReport()}));
  EXPECT_EQ(actions_.clipboardOwner, window);
  ASSERT_EQ(actions_.messages.size(), 2u);
  for (const auto& message : actions_.messages) {
    EXPECT_EQ(message.owner, window);
    EXPECT_EQ(message.text, L"PC 사양 복사되었습니다.");
    EXPECT_EQ(message.caption, L"window_tests");
    EXPECT_EQ(message.type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  }
  EXPECT_TRUE(actions_.shellCalls.empty());
}

const wchar_t kNotCopied[] =
    L"PC 사양을 복사하지 못했습니다. 다른 프로그램이 클립보드를 쓰고 있을 수 있습니다. 잠시 뒤 다시 눌러 주세요.";

TEST_F(ActionsTest, RefusedHandOverShowsNoConfirmation) {
  actions_.clipboardTakesData = false;
  CVantrelDlg dialog(testing::PassOutcomes());
  testing::RunShown(dialog, [&](HWND shown) { Click(shown, IDC_COPY_PICTURE); });
  ASSERT_EQ(actions_.messages.size(), 1u);
  EXPECT_EQ(actions_.messages[0].text, kNotCopied);
}

// A copy that did not happen (the clipboard held throughout) is said, never confirmed; a clipboard
// held for a moment is waited for, and that copy is confirmed.
TEST_F(ActionsTest, HeldClipboardIsSaidAndNotConfirmedUnlessItIsLetGoInTime) {
  for (const int refusals : {1000, 5}) {
    actions_.clipboardRefusals = refusals;
    CVantrelDlg dialog(testing::PassOutcomes());
    testing::RunShown(dialog, [&](HWND shown) { Click(shown, IDC_COPY_PICTURE); });
  }
  ASSERT_EQ(actions_.messages.size(), 2u);
  EXPECT_EQ(actions_.messages[0].text, kNotCopied);
  EXPECT_EQ(actions_.messages[1].text, L"PC 사양 복사되었습니다.");
  EXPECT_EQ(actions_.BlocksLeftOver(), 0);
}

TEST_F(ActionsTest, EmptyReportTouchesNothing) {
  CategoryOutcomes nothing;
  nothing.fill(CategoryOutcome{});
  CVantrelDlg dialog(nothing);
  testing::RunShown(dialog, [&](HWND shown) { Click(shown, IDC_COPY_PICTURE); });
  EXPECT_TRUE(dialog.SpecReport().empty());
  EXPECT_TRUE(actions_.calls.empty());
}

// Inside a single-threaded apartment that is given back after the call, always on the window's
// own thread; an address the shell could not open is given to the seller to type.
TEST_F(ActionsTest, HomepageClickOpensTheAddressInAnApartmentOrTellsTheAddress) {
  const std::pair<HRESULT, Calls> apartments[] = {
      {S_OK, {"CoInitializeEx", "ShellExecuteW", "CoUninitialize"}},
      {S_FALSE, {"CoInitializeEx", "ShellExecuteW", "CoUninitialize"}}};
  for (const auto& [answer, calls] : apartments) {
    actions_.calls.clear();
    actions_.comInitializeResult = answer;
    CVantrelDlg dialog(testing::PassOutcomes());
    testing::RunShown(dialog, [&](HWND shown) { Click(shown, IDC_HOMEPAGE_PICTURE); });
    EXPECT_EQ(actions_.calls, calls) << std::hex << answer;
  }
  actions_.shellAnswer = 32;  // ShellExecuteW's highest failure; above 32 is success
  CVantrelDlg dialog(testing::PassOutcomes());
  testing::RunShown(dialog, [&](HWND shown) { Click(shown, IDC_HOMEPAGE_PICTURE); });
  EXPECT_EQ(actions_.comInitializeFlags, std::vector<DWORD>(3, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  ASSERT_EQ(actions_.shellCalls.size(), 3u);
  const auto& call = actions_.shellCalls[0];
  EXPECT_EQ(call.owner, nullptr);
  EXPECT_EQ(call.operation, L"open");
  EXPECT_EQ(call.file, kHomepageUrl);
  EXPECT_TRUE(call.noParameters);
  EXPECT_TRUE(call.noDirectory);
  EXPECT_EQ(call.show, SW_SHOWNORMAL);
  ASSERT_EQ(actions_.messages.size(), 1u);
  EXPECT_EQ(actions_.messages[0].text,
            L"홈페이지를 열지 못했습니다. 인터넷 브라우저의 주소 창에 다음 주소를 입력해 주세요:\r\n" + std::wstring(kHomepageUrl));
}

TEST_F(ActionsTest, ClicksOnOtherControlsDoNothing) {
  CVantrelDlg dialog(testing::PassOutcomes());
  testing::RunShown(dialog, [&](HWND shown) {
    Click(shown, IDC_BANNER_PICTURE);
    Click(shown, IDC_INSTRUCTION_COPY);
  });
  EXPECT_TRUE(actions_.calls.empty());
}

}  // namespace
}  // namespace vantrel
