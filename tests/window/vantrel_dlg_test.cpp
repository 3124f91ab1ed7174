// The spec window in-process, over the scripted fake WMI and DXGI.
#include "window/vantrel_dlg.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <new>
#include <stdexcept>
#include <vector>

#include "fakes/fake_actions.h"
#include "fakes/fake_machine.h"
#include "fakes/random_machine.h"
#include "fakes/platform_log.h"
#include "fakes/scoped_table.h"
#include "probes/wmi_connection.h"
#include "support/pass_runs.h"
#include "support/captured_output.h"
#include "support/modal_run.h"
#include "support/ui_driver.h"
#include "window/application.h"
#include "window/progress_window.h"
#include "window/registry_key.h"
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
    machine_.wmi.Answer(testing::StatementText(testing::kProcessorStatement),
                FakeQueryAnswer{{FakeObject{{L"Name", FakeValue::Text(L"Example 6-Core Processor")}}}});
    machine_.wmi.Answer(testing::StatementText(testing::kSoundStatement),
                FakeQueryAnswer{{FakeObject{{L"Name", FakeValue::Text(L"Audio A")}},
                                 FakeObject{{L"Name", FakeValue::Text(L"Audio B")}}}});
    machine_.dxgi.adapters = {{L"Graphics Adapter A", 134217728}};
  }

  testing::FakeMachine machine_;
  testing::CapturedOutput output_;
};

TEST_F(SpecWindowTest, CombosHoldThePassLinesWithTheFirstSelectedAndTheFocusInTheOsCombo) {
  CVantrelDlg dialog(testing::PassOutcomes());
  testing::ComboState combos;
  HWND focus = nullptr, osCombo = nullptr;
  bool visible = false;
  testing::RunShown(dialog, [&](HWND window) {
    visible = IsWindowVisible(window) != FALSE;
    focus = GetFocus();
    osCombo = GetDlgItem(window, CategoryOf(kOs).comboId);
    combos = testing::ReadCombos(window);
  });

  EXPECT_TRUE(visible);
  EXPECT_EQ(focus, osCombo);
  const testing::CategoryLines expected = {Lines{L""}, {L"Example 6-Core Processor"}, {L"총 RAM: 0 GB"}, {L" ()"},
                                           {L"Graphics Adapter A ( 0 GB )"}, {L"없음"}, {L"Audio A", L"Audio B"},
                                           {L"없음"}, {L"없음"}};
  EXPECT_EQ(combos.lines, expected);
  for (const LRESULT selected : combos.selected) EXPECT_EQ(selected, 0);
  EXPECT_EQ(dialog.SpecReport(),
            L"\r\nExample 6-Core Processor\r\n총 RAM: 0 GB\r\n ()\r\nGraphics Adapter A ( 0 GB )\r\n"
            L"Disk: 없음\r\nAudio A\r\nAudio B\r\nODD: 없음\r\n");
}

// An opened list shows its longest line whole, but never reaches past the screen; the closed
// field keeps its width.
TEST_F(SpecWindowTest, OpenedListsShowTheirLongestLineWithinTheScreen) {
  CategoryOutcomes outcomes = testing::PassOutcomes();
  outcomes[kHdd]->lines = {L"Disk 0 : Samsung SSD 970 EVO Plus 2TB NVMe (1863 GB) / SCSI / NVMe SSD / 사용시간 3120시간"};
  outcomes[kSound]->lines = {std::wstring(3000, L'W')};
  CVantrelDlg dialog(std::move(outcomes));
  LONG hddLine = 0, hddList = 0, hddField = 0, soundList = 0, screen = 0;
  testing::RunShown(dialog, [&](HWND window) {
    HWND hdd = GetDlgItem(window, CategoryOf(kHdd).comboId);
    HDC dc = GetDC(hdd);
    const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hdd, WM_GETFONT, 0, 0)));
    SIZE extent{};
    const std::wstring line = testing::ComboLines(hdd).at(0);
    GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent);
    SelectObject(dc, previous);
    ReleaseDC(hdd, dc);
    SendMessageW(hdd, CB_SHOWDROPDOWN, TRUE, 0);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    RECT list{}, field{};
    GetComboBoxInfo(hdd, &info);
    GetWindowRect(info.hwndList, &list);
    GetWindowRect(hdd, &field);
    SendMessageW(hdd, CB_SHOWDROPDOWN, FALSE, 0);
    hddLine = extent.cx, hddList = list.right - list.left, hddField = field.right - field.left;
    soundList = static_cast<LONG>(SendDlgItemMessageW(window, CategoryOf(kSound).comboId, CB_GETDROPPEDWIDTH, 0, 0));
    screen = GetSystemMetrics(SM_CXSCREEN);
  });
  EXPECT_GT(hddLine, hddField) << "the line must be longer than the field to show anything";
  EXPECT_GE(hddList, hddLine);
  EXPECT_LE(soundList, screen);
  EXPECT_GT(soundList, hddList);
}

TEST_F(SpecWindowTest, InstructionLinesAloneCarryTheElevenPointFont) {
  CVantrelDlg dialog(testing::PassOutcomes());
  LOGFONTW instruction[2]{};
  HFONT labelFont = nullptr, instructionFont = nullptr;
  int dpi = 0;
  testing::RunShown(dialog, [&](HWND window) {
    instructionFont = reinterpret_cast<HFONT>(SendDlgItemMessageW(window, IDC_INSTRUCTION_COPY, WM_GETFONT, 0, 0));
    GetObjectW(instructionFont, sizeof(LOGFONTW), &instruction[0]);
    GetObjectW(reinterpret_cast<HFONT>(SendDlgItemMessageW(window, IDC_INSTRUCTION_HOMEPAGE, WM_GETFONT, 0, 0)),
               sizeof(LOGFONTW), &instruction[1]);
    labelFont = reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(window, CategoryOf(kOs).comboId), WM_GETFONT, 0, 0));
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
  CVantrelDlg dialog(testing::PassOutcomes());
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

  const SIZE* const expected = testing::kPictureSizes;
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
  CVantrelDlg dialog(testing::PassOutcomes());
  HICON large = nullptr, small = nullptr;
  testing::RunShown(dialog, [&](HWND window) {
    large = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0));
    small = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
  });
  EXPECT_NE(large, nullptr);
  EXPECT_EQ(large, small);
}

// Each WMI category says the open failed, with its code; the adapters are still read.
TEST_F(SpecWindowTest, FailedWmiOpenShowsTheFailureInEveryWmiCategoryAndTheAdapters) {
  machine_.wmi.coCreateInstanceResult = REGDB_E_CLASSNOTREG;
  CVantrelDlg dialog(testing::PassOutcomes());
  testing::ComboState combos;
  testing::RunShown(dialog, [&](HWND window) { combos = testing::ReadCombos(window); });
  const std::wstring failed = L"확인 못 함 (Windows 오류 0x80040154)";
  EXPECT_EQ(combos.lines, (testing::CategoryLines{Lines{failed}, {failed}, {failed}, {failed},
                                                  {L"Graphics Adapter A ( 0 GB )"}, {failed}, {failed}, {failed},
                                                  {L"없음"}}));
  for (const LRESULT selected : combos.selected) EXPECT_EQ(selected, 0);
  EXPECT_EQ(dialog.SpecReport().substr(0, 4 + failed.size() + 2), L"OS: " + failed + L"\r\n");
}

TEST_F(SpecWindowTest, TheWindowIsCentredOnTheScreen) {
  CVantrelDlg dialog(testing::PassOutcomes());
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

std::wstring ItemText(HWND window, int id) {
  wchar_t text[256] = L"";
  GetDlgItemTextW(window, id, text, 256);
  return text;
}

// Nothing shows before half a second; then the category read now, from ten seconds on the slow
// text and the button, default and focused, also while Windows runs a move or menu loop of its
// own. The button shows what came at once; the close box and WM_QUIT end the wait with false; the
// limit ends a move or menu loop the seller left open, which the thread is seen to be in as it falls.
TEST(ProgressWindowTest, ShowsFromHalfASecondAndEndsAtItsButtonItsCloseBoxOrTheLimit) {
  enum End { kButton, kCloseBox, kQuit, kLimitInMoveLoop, kLimitInMenuLoop };
  const wchar_t skipped[] = L"확인 못 함 (기다리지 않고 봄)", notAnswered[] = L"확인 못 함 (Windows 응답 시간 초과)";
  testing::FakeMachine machine;
  testing::FakeWmi& wmi = machine.wmi;  // its clock is the pass's
  testing::CapturedOutput output;
  for (const End end : {kButton, kCloseBox, kQuit, kLimitInMoveLoop, kLimitInMenuLoop}) {
    SCOPED_TRACE(end);
    wmi.now = 0;
    output.Clear();
    const UniqueHandle release = testing::NewEvent(), ended = testing::NewEvent();
    ProgressWindow progress(nullptr);
    BackgroundPass pass(PassReaders{[release = release.get(), ended = ended.get()](PassObserver& observer) {
      observer.Finished(kOs, CategoryOutcome{{L"Windows"}, L"Windows\r\n", L"", L"", S_OK});
      observer.Asking(kCpu, testing::StatementText(testing::kProcessorStatement));
      WaitForSingleObject(release, INFINITE);
      observer.Ended(PassResult::kComplete);
      SetEvent(ended);
      return PassResult::kComplete;
    }});
    int step = 0, ticks = 0;
    DWORD loopAtEnd = 0;  // the move or menu loop of Windows' own that the last step ran in
    bool hiddenAtFirst = false, buttonEarly = true, buttonReady = false;
    std::wstring category, slow;
    const int waited = testing::WhileStepping([&] { return progress.WaitFor(pass) ? 1 : 0; }, [&](HWND) {
      // Not any visible window of the thread: a menu's is one too.
      HWND shown = IsWindowVisible(progress.Handle()) ? progress.Handle() : nullptr;
      // The window looks at the pass every 100 ms: each step waits up to a second for what it checks.
      const bool due = step == 0 || (shown != nullptr && (step == 1 || IsWindowVisible(GetDlgItem(shown, IDC_SHOW_NOW))));
      if (!due && ++ticks < 20) return true;
      ticks = 0;
      switch (step++) {
        case 0:
          hiddenAtFirst = shown == nullptr;
          wmi.now = 600;
          return true;
        case 1:
          category = ItemText(shown, IDC_PROGRESS_CATEGORY);
          buttonEarly = IsWindowVisible(GetDlgItem(shown, IDC_SHOW_NOW)) != FALSE;
          if (end == kLimitInMoveLoop) PostMessageW(shown, WM_SYSCOMMAND, SC_MOVE, 0);
          if (end == kLimitInMenuLoop) PostMessageW(shown, WM_SYSCOMMAND, SC_KEYMENU, L' ');
          wmi.now = 11000;
          return true;
        default: {
          GUITHREADINFO thread{};
          thread.cbSize = sizeof thread;
          GetGUIThreadInfo(GetCurrentThreadId(), &thread);  // where it fails, flags stay 0
          loopAtEnd = thread.flags & (GUI_INMOVESIZE | GUI_INMENUMODE);
          HWND button = GetDlgItem(shown, IDC_SHOW_NOW);
          buttonReady = IsWindowVisible(button) && GetFocus() == button &&
                        LOWORD(SendMessageW(shown, DM_GETDEFID, 0, 0)) == IDC_SHOW_NOW;
          slow = ItemText(shown, IDC_PROGRESS_SLOW);
          if (end == kButton) SendMessageW(button, BM_CLICK, 0, 0);
          if (end == kCloseBox) PostMessageW(shown, WM_CLOSE, 0, 0);
          if (end == kQuit) PostQuitMessage(7);
          if (end == kLimitInMoveLoop || end == kLimitInMenuLoop) wmi.now = 90001;
          return false;
        }
      }
    });
    MSG quit{};
    const bool quitPostedAgain = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && quit.wParam == 7;
    SetEvent(release.get());
    ASSERT_EQ(WaitForSingleObject(ended.get(), 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(hiddenAtFirst);
    EXPECT_EQ(category, std::wstring(L"지금 읽는 항목: ") + CategoryOf(kCpu).label + L" (2/" + std::to_wstring(kCategoryCount) + L")");
    EXPECT_FALSE(buttonEarly);
    EXPECT_TRUE(buttonReady);
    EXPECT_NE(slow.find(L"느리게"), std::wstring::npos);
    EXPECT_EQ(waited, end == kCloseBox || end == kQuit ? 0 : 1);
    EXPECT_EQ(quitPostedAgain, end == kQuit);
    EXPECT_EQ(loopAtEnd, end == kLimitInMoveLoop ? GUI_INMOVESIZE : end == kLimitInMenuLoop ? GUI_INMENUMODE : 0u);
    if (waited == 0) continue;
    EXPECT_EQ(pass.Outcomes()[kOs]->lines, Lines{L"Windows"});
    EXPECT_EQ(pass.Outcomes()[kCpu]->lines, Lines{end == kButton ? skipped : notAnswered});
    EXPECT_EQ(output.Echoed(), end == kButton ? "WMI Skipped: Win32_Processor\n" : "WMI Timeout: Win32_Processor\n");
  }
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

// The registry as the window's key step meets it: every call goes into the platform log with
// its arguments, and the open and the create answer as the test scripts them.
struct FakeRegistry {
  LONG openResult = ERROR_SUCCESS;
  LONG createResult = ERROR_SUCCESS;
};
FakeRegistry g_registry;
const HKEY kOpenedKey = reinterpret_cast<HKEY>(0x0E0E);
const HKEY kCreatedKey = reinterpret_cast<HKEY>(0x0C0C);
const HKEY kJunkKey = reinterpret_cast<HKEY>(0x0BAD);  // what a failed call may leave behind

std::wstring Hex(unsigned long long value) {
  wchar_t text[32];
  std::swprintf(text, 32, L"%llX", value);
  return text;
}
std::wstring Pointer(const void* value) {
  if (value == nullptr) return L"null";
  if (value == HKEY_LOCAL_MACHINE) return L"HKLM";
  return Hex(reinterpret_cast<std::uintptr_t>(value));
}

LONG WINAPI FakeOpenKey(HKEY root, LPCWSTR subkey, DWORD options, REGSAM access, PHKEY key) {
  testing::PlatformLog().push_back(L"RegOpenKeyExW " + Pointer(root) + L" " + subkey + L" " + Hex(options) + L" " +
                                   Hex(access));
  *key = g_registry.openResult == ERROR_SUCCESS ? kOpenedKey : kJunkKey;
  return g_registry.openResult;
}

LONG WINAPI FakeCreateKey(HKEY root, LPCWSTR subkey, DWORD reserved, LPWSTR keyClass, DWORD options, REGSAM access,
                          LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD) {
  testing::PlatformLog().push_back(L"RegCreateKeyExW " + Pointer(root) + L" " + subkey + L" " + Hex(reserved) + L" " +
                                   Pointer(keyClass) + L" " + Hex(options) + L" " + Hex(access) + L" " +
                                   Pointer(security));
  *key = g_registry.createResult == ERROR_SUCCESS ? kCreatedKey : kJunkKey;
  return g_registry.createResult;
}

LONG WINAPI FakeCloseKey(HKEY key) {
  testing::PlatformLog().push_back(L"RegCloseKey " + Pointer(key));
  return ERROR_SUCCESS;
}

TEST_F(SpecWindowTest, TheSettingsKeyIsOpenedOrElseCreatedWithTheWindowAndClosedWithTheWindowObject) {
  // Read and write access (0x2001F), no options; created non-volatile with no class or security.
  const std::wstring open = L"RegOpenKeyExW HKLM SOFTWARE\\Halvern 0 2001F";
  const std::wstring create = L"RegCreateKeyExW HKLM SOFTWARE\\Halvern 0 null 0 2001F null";
  struct Case {
    const char* user;
    LONG open, create;
    Lines calls;  // as the window is made
    HKEY held;
  };
  const Case cases[] = {
      {"an administrator, the key there", ERROR_SUCCESS, ERROR_SUCCESS, {open}, kOpenedKey},
      {"an administrator, no key yet", ERROR_FILE_NOT_FOUND, ERROR_SUCCESS, {open, create}, kCreatedKey},
      {"a standard user", ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED, {open, create}, nullptr},
  };
  const RegistryEntryPoints fake = {&FakeOpenKey, &FakeCreateKey, &FakeCloseKey};
  testing::ScopedTable<RegistryEntryPoints> seam(RegistryApi(), fake);
  for (const Case& step : cases) {
    SCOPED_TRACE(step.user);
    g_registry = FakeRegistry{step.open, step.create};
    output_.Clear();
    testing::FakeActions shell;  // where a message box would show
    Lines whileShown, afterDestroy;
    std::wstring cpuLine;
    {
      CVantrelDlg dialog(testing::PassOutcomes());
      testing::PlatformLog().clear();
      testing::RunShown(dialog, [&](HWND window) {
        whileShown = testing::PlatformLog();
        cpuLine = testing::ComboLines(GetDlgItem(window, CategoryOf(kCpu).comboId)).at(0);
      });
      afterDestroy = testing::PlatformLog();
    }
    EXPECT_EQ(whileShown, step.calls);
    EXPECT_EQ(cpuLine, L"Example 6-Core Processor");
    EXPECT_EQ(afterDestroy, whileShown) << "the key stays open while the window object lives";
    Lines closed(testing::PlatformLog().begin() + static_cast<std::ptrdiff_t>(whileShown.size()),
                 testing::PlatformLog().end());
    EXPECT_EQ(closed, step.held != nullptr ? Lines{L"RegCloseKey " + Pointer(step.held)} : Lines{});
    EXPECT_TRUE(shell.messages.empty()) << "nothing is reported";
    EXPECT_EQ(output_.Cout(), "");
  }
}

}  // namespace
}  // namespace vantrel
