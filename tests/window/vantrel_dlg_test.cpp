// The spec window in-process, over the scripted fake WMI and DXGI.
#include "window/vantrel_dlg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <stdexcept>
#include <vector>

#include "fakes/fake_dxgi.h"
#include "fakes/fake_wmi.h"
#include "probes/wmi_connection.h"
#include "support/captured_output.h"
#include "support/modal_run.h"
#include "support/ui_driver.h"
#include "window/application.h"
#include "window/resource.h"

namespace vantrel {
namespace {

using testing::FakeObject;
using testing::FakeQueryAnswer;
using testing::FakeValue;
using Lines = std::vector<std::wstring>;

SIZE BitmapSize(HBITMAP bitmap, WORD* bitsPerPixel) {
  BITMAP info{};
  GetObjectW(bitmap, sizeof info, &info);
  *bitsPerPixel = info.bmBitsPixel;
  return SIZE{info.bmWidth, info.bmHeight};
}

class SpecWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wmi_.Answer(L"SELECT Name FROM Win32_Processor",
                FakeQueryAnswer{{FakeObject{{L"Name", FakeValue::Text(L"Example 6-Core Processor")}}}});
    wmi_.Answer(L"SELECT Name FROM Win32_SoundDevice",
                FakeQueryAnswer{{FakeObject{{L"Name", FakeValue::Text(L"Audio A")}},
                                 FakeObject{{L"Name", FakeValue::Text(L"Audio B")}}}});
    dxgi_.adapters = {{L"Graphics Adapter A", 134217728}};
  }

  testing::FakeWmi wmi_;
  testing::FakeDxgi dxgi_;
  testing::CapturedOutput output_;
};

TEST_F(SpecWindowTest, CombosHoldThePassLinesWithTheFirstSelectedAndTheFocusInTheOsCombo) {
  CVantrelDlg dialog;
  std::vector<Lines> combos;
  std::vector<LRESULT> selections;
  HWND focus = nullptr, osCombo = nullptr;
  bool visible = false;
  testing::RunShown(dialog, [&](HWND window) {
    visible = IsWindowVisible(window) != FALSE;
    focus = GetFocus();
    osCombo = GetDlgItem(window, IDC_OS_COMBO);
    for (int id = IDC_OS_COMBO; id <= IDC_ODD_COMBO; ++id) {
      combos.push_back(testing::ComboLines(GetDlgItem(window, id)));
      selections.push_back(SendMessageW(GetDlgItem(window, id), CB_GETCURSEL, 0, 0));
    }
  });

  EXPECT_TRUE(visible);
  EXPECT_EQ(focus, osCombo);
  const std::vector<Lines> expected = {{L""}, {L"Example 6-Core Processor"}, {L"총 RAM: 0 GB"}, {L" ()"},
                                       {L"Graphics Adapter A ( 0 GB )"}, {L"없음"}, {L"Audio A", L"Audio B"}, {L"없음"}};
  EXPECT_EQ(combos, expected);
  EXPECT_EQ(selections, std::vector<LRESULT>(8, 0));
  EXPECT_EQ(dialog.SpecReport(),
            L"\r\nExample 6-Core Processor\r\n총 RAM: 0 GB\r\n ()\r\nGraphics Adapter A ( 0 GB )\r\n"
            L"Disk: 없음\r\nAudio A\r\nAudio B\r\nODD: 없음\r\n");
}

TEST_F(SpecWindowTest, InstructionLinesAloneCarryTheElevenPointFont) {
  CVantrelDlg dialog;
  LOGFONTW instruction[2]{};
  HFONT labelFont = nullptr, instructionFont = nullptr;
  int dpi = 0;
  testing::RunShown(dialog, [&](HWND window) {
    instructionFont = reinterpret_cast<HFONT>(SendDlgItemMessageW(window, IDC_INSTRUCTION_COPY, WM_GETFONT, 0, 0));
    GetObjectW(instructionFont, sizeof(LOGFONTW), &instruction[0]);
    GetObjectW(reinterpret_cast<HFONT>(SendDlgItemMessageW(window, IDC_INSTRUCTION_HOMEPAGE, WM_GETFONT, 0, 0)),
               sizeof(LOGFONTW), &instruction[1]);
    labelFont = reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(window, IDC_OS_COMBO), WM_GETFONT, 0, 0));
    HDC screen = GetDC(nullptr);
    dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  });

  for (const LOGFONTW& font : instruction) {
    EXPECT_EQ(font.lfHeight, -MulDiv(110, dpi, 720));
    EXPECT_STREQ(font.lfFaceName, L"맑은 고딕");
    EXPECT_EQ(font.lfWeight, 0);
    EXPECT_FALSE(font.lfItalic);
  }
  EXPECT_NE(labelFont, instructionFont) << "the other controls keep the dialog font";
}

TEST_F(SpecWindowTest, PicturesCarryTheirBitmapsAtPixelSizeUntilTheWindowIsDestroyed) {
  CVantrelDlg dialog;
  HBITMAP bitmaps[3]{};
  SIZE sizes[3]{};
  SIZE controlSizes[3]{};
  WORD depths[3]{};
  testing::RunShown(dialog, [&](HWND window) {
    for (int i = 0; i < 3; ++i) {
      HWND picture = GetDlgItem(window, IDC_BANNER_PICTURE + i);
      bitmaps[i] = reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
      sizes[i] = BitmapSize(bitmaps[i], &depths[i]);
      RECT client{};
      GetClientRect(picture, &client);
      controlSizes[i] = SIZE{client.right, client.bottom};
    }
  });

  const SIZE expected[3] = {{318, 195}, {314, 71}, {318, 71}};
  for (int i = 0; i < 3; ++i) {
    ASSERT_NE(bitmaps[i], nullptr);
    EXPECT_EQ(sizes[i].cx, expected[i].cx);
    EXPECT_EQ(sizes[i].cy, expected[i].cy);
    EXPECT_EQ(depths[i], 24);
    EXPECT_EQ(controlSizes[i].cx, expected[i].cx) << "a picture control takes its bitmap's size";
    EXPECT_EQ(controlSizes[i].cy, expected[i].cy);
    EXPECT_EQ(GetObjectType(bitmaps[i]), 0u) << "deleted when the window was destroyed";
  }
}

TEST_F(SpecWindowTest, WindowCarriesTheProgramIconAsLargeAndSmallIcon) {
  CVantrelDlg dialog;
  HICON large = nullptr, small = nullptr;
  testing::RunShown(dialog, [&](HWND window) {
    large = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0));
    small = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
  });
  EXPECT_NE(large, nullptr);
  EXPECT_EQ(large, small);
}

TEST_F(SpecWindowTest, FailedWmiOpenShowsTheWindowWithEightEmptyCombos) {
  wmi_.coCreateInstanceResult = REGDB_E_CLASSNOTREG;
  CVantrelDlg dialog;
  std::vector<LRESULT> counts;
  bool visible = false;
  testing::RunShown(dialog, [&](HWND window) {
    visible = IsWindowVisible(window) != FALSE;
    for (int id = IDC_OS_COMBO; id <= IDC_ODD_COMBO; ++id) counts.push_back(SendDlgItemMessageW(window, id, CB_GETCOUNT, 0, 0));
  });
  EXPECT_TRUE(visible);
  EXPECT_EQ(counts, std::vector<LRESULT>(8, 0));
  EXPECT_TRUE(dialog.SpecReport().empty());
  EXPECT_EQ(output_.Cout(), "WMI Init Failed\n");
}

TEST_F(SpecWindowTest, TheWindowIsCentredOnTheScreen) {
  CVantrelDlg dialog;
  RECT frame{};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  testing::RunShown(dialog, [&](HWND window) {
    GetWindowRect(window, &frame);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
  });
  const RECT& area = monitor.rcWork;
  EXPECT_LE(std::abs((frame.left - area.left) - (area.right - frame.right)), 1);
  EXPECT_LE(std::abs((frame.top - area.top) - (area.bottom - frame.bottom)), 1);
}

// An exception raised in a handler never unwinds through the platform's frames: the run ends,
// the window is destroyed, and the exception comes out of DoModal.
class ThrowingDialog : public ModalDialog {
 public:
  explicit ThrowingDialog(bool atInit) : ModalDialog(IDD_VANTREL_DIALOG), atInit_(atInit) {}
  bool destroyed = false;

 protected:
  BOOL OnInitDialog() override {
    if (atInit_) throw std::bad_alloc();
    return ModalDialog::OnInitDialog();
  }
  bool OnClicked(int) override { throw std::runtime_error("click"); }
  void OnDestroy() override { destroyed = true; }

 private:
  bool atInit_;
};

TEST(ModalDialogTest, AHandlersExceptionEndsTheRunAndLeavesDoModalOnceTheWindowIsGone) {
  ThrowingDialog failsAtInit(true);
  EXPECT_THROW(failsAtInit.DoModal(), std::bad_alloc);
  EXPECT_TRUE(failsAtInit.destroyed);
  EXPECT_EQ(failsAtInit.Handle(), nullptr);

  ThrowingDialog failsOnClick(false);
  EXPECT_THROW(testing::RunShown(failsOnClick,
                                 [](HWND window) {
                                   HWND picture = GetDlgItem(window, IDC_COPY_PICTURE);
                                   SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_COPY_PICTURE, STN_CLICKED),
                                                reinterpret_cast<LPARAM>(picture));
                                 }),
               std::runtime_error);
  EXPECT_TRUE(failsOnClick.destroyed);
}

TEST(ApplicationTest, AnInstanceThatAsksForAMessageLoopRunsOneUntilItsExitCode) {
  struct LoopingApplication : Application {
    bool InitInstance() override {
      PostQuitMessage(7);
      return true;
    }
  } application;
  EXPECT_EQ(RunApplication(), 7);
}

}  // namespace
}  // namespace vantrel
