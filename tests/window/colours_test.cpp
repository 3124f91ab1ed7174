// Control colours and the minimised and dragged icon of the spec window, in-process.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "fakes/fake_machine.h"
#include "fakes/scoped_table.h"
#include "support/pass_runs.h"
#include "support/captured_output.h"
#include "support/modal_run.h"
#include "window/paint_entry_points.h"
#include "window/resource.h"
#include "window/vantrel_dlg.h"

namespace vantrel {
namespace {

constexpr COLORREF kStartText = RGB(1, 2, 3);
constexpr COLORREF kStartBack = RGB(4, 5, 6);

// What one control-colour request answered, and the device context it left.
struct ColourAnswer {
  HBRUSH brush;
  COLORREF text;
  COLORREF back;
  int mode;
};

ColourAnswer Ask(HWND window, UINT message, HWND control, bool platformDefault = false) {
  HDC dc = CreateCompatibleDC(nullptr);
  SetTextColor(dc, kStartText);
  SetBkColor(dc, kStartBack);
  SetBkMode(dc, OPAQUE);
  const LRESULT brush = platformDefault
                            ? DefWindowProcW(window, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control))
                            : SendMessageW(window, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
  ColourAnswer answer{reinterpret_cast<HBRUSH>(brush), GetTextColor(dc), GetBkColor(dc), GetBkMode(dc)};
  DeleteDC(dc);
  return answer;
}

COLORREF BrushColour(HBRUSH brush) {
  LOGBRUSH info{};
  GetObjectW(brush, sizeof info, &info);
  return info.lbStyle == BS_SOLID ? info.lbColor : CLR_INVALID;
}

class ColoursTest : public ::testing::Test {
 protected:
  testing::FakeMachine machine_;
  testing::CapturedOutput output_;
};

TEST_F(ColoursTest, WindowLabelsAndPicturesGetTheOneWhiteBrush) {
  CVantrelDlg dialog(testing::PassOutcomes());
  std::vector<ColourAnswer> answers;
  testing::RunShown(dialog, [&](HWND window) {
    HWND label = FindWindowExW(window, nullptr, L"Static", CategoryOf(kOs).label);
    ASSERT_NE(label, nullptr);
    answers.push_back(Ask(window, WM_CTLCOLORDLG, window));
    answers.push_back(Ask(window, WM_CTLCOLORSTATIC, label));
    answers.push_back(Ask(window, WM_CTLCOLORSTATIC, GetDlgItem(window, IDC_BANNER_PICTURE)));
    answers.push_back(Ask(window, WM_CTLCOLORSTATIC, GetDlgItem(window, IDC_COPY_PICTURE)));
    answers.push_back(Ask(window, WM_CTLCOLORSTATIC, GetDlgItem(window, IDC_HOMEPAGE_PICTURE)));
    answers.push_back(Ask(window, WM_CTLCOLORSTATIC, label));  // asked again: the same brush, nothing new made
  });

  ASSERT_EQ(answers.size(), 6u);
  for (const ColourAnswer& answer : answers) {
    EXPECT_EQ(answer.brush, answers[0].brush);
    EXPECT_EQ(BrushColour(answer.brush), RGB(255, 255, 255));
    EXPECT_EQ(answer.back, RGB(255, 255, 255));
    EXPECT_EQ(answer.text, kStartText) << "labels keep the default text colour";
    EXPECT_EQ(answer.mode, OPAQUE);
  }
}

TEST_F(ColoursTest, InstructionLinesAreRedWithoutABackgroundOfTheirOwn) {
  CVantrelDlg dialog(testing::PassOutcomes());
  std::vector<ColourAnswer> answers;
  testing::RunShown(dialog, [&](HWND window) {
    answers.push_back(Ask(window, WM_CTLCOLORSTATIC, GetDlgItem(window, IDC_INSTRUCTION_COPY)));
    answers.push_back(Ask(window, WM_CTLCOLORSTATIC, GetDlgItem(window, IDC_INSTRUCTION_HOMEPAGE)));
  });
  for (const ColourAnswer& answer : answers) {
    EXPECT_EQ(answer.brush, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(answer.text, RGB(255, 0, 0));
    EXPECT_EQ(answer.back, RGB(255, 255, 255));
    EXPECT_EQ(answer.mode, TRANSPARENT);
  }
}

TEST_F(ColoursTest, OtherKindsOfRequestKeepThePlatformsAnswer) {
  CVantrelDlg dialog(testing::PassOutcomes());
  std::vector<std::pair<ColourAnswer, ColourAnswer>> answers;  // the window's, the platform's
  testing::RunShown(dialog, [&](HWND window) {
    HWND combo = GetDlgItem(window, CategoryOf(kOs).comboId);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    GetComboBoxInfo(combo, &info);
    const std::pair<UINT, HWND> requests[] = {{WM_CTLCOLORLISTBOX, info.hwndList},
                                              {WM_CTLCOLOREDIT, combo},
                                              {WM_CTLCOLORBTN, combo},
                                              {WM_CTLCOLORSCROLLBAR, combo},
                                              {WM_CTLCOLORMSGBOX, window}};
    for (const auto& [message, control] : requests) {
      answers.emplace_back(Ask(window, message, control), Ask(window, message, control, true));
    }
  });
  ASSERT_EQ(answers.size(), 5u);
  for (const auto& [mine, platform] : answers) {
    EXPECT_EQ(mine.brush, platform.brush);
    EXPECT_EQ(mine.text, platform.text);
    EXPECT_EQ(mine.back, platform.back);
    EXPECT_EQ(mine.mode, platform.mode);
  }
}

// What the minimised window's paint did, in order: the icon background erased on a device
// context, then icons drawn on one. Filled by the subclassed window and the drawing seam.
struct IconPaint {
  // Fixed room: noting a step inside a window procedure must not throw.
  std::array<const char*, 4> steps{};
  std::size_t stepCount = 0;
  void Note(const char* step) { steps[std::min(stepCount++, steps.size() - 1)] = step; }
  std::vector<std::string> Steps() const { return {steps.begin(), steps.begin() + std::min(stepCount, steps.size())}; }
  HDC erasedOn = nullptr;
  RECT client{};
  HDC drawnOn = nullptr;
  POINT drawnAt{};
  HICON drawn = nullptr;
};
IconPaint g_paint;
WNDPROC g_dialogProc = nullptr;

LRESULT CALLBACK NoteIconErase(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ICONERASEBKGND) {
    g_paint.Note("erase");
    g_paint.erasedOn = reinterpret_cast<HDC>(wParam);
    GetClientRect(window, &g_paint.client);
  }
  return CallWindowProcW(g_dialogProc, window, message, wParam, lParam);
}

BOOL WINAPI NoteDrawIcon(HDC dc, int x, int y, HICON icon) {
  g_paint.Note("draw");
  g_paint.drawnOn = dc;
  g_paint.drawnAt = POINT{x, y};
  g_paint.drawn = icon;
  return TRUE;
}

TEST_F(ColoursTest, TheIconIsTheDragImageAndIsDrawnWhenMinimised) {
  CVantrelDlg dialog(testing::PassOutcomes());
  HICON dragImage = nullptr, windowIcon = nullptr;
  bool iconic = false;
  std::vector<std::string> restored;
  g_paint = IconPaint{};
  testing::RunShown(dialog, [&](HWND window) {
    dragImage = reinterpret_cast<HICON>(SendMessageW(window, WM_QUERYDRAGICON, 0, 0));
    windowIcon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0));
    PaintEntryPoints noting = PaintApi();
    noting.drawIcon = &NoteDrawIcon;
    testing::ScopedTable<PaintEntryPoints> seam(PaintApi(), noting);
    g_dialogProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NoteIconErase)));
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    restored = g_paint.Steps();

    ShowWindow(window, SW_MINIMIZE);
    iconic = IsIconic(window) != FALSE;
    g_paint = IconPaint{};
    // Sent, not awaited: a minimised window need not be given a paint of its own accord.
    InvalidateRect(window, nullptr, TRUE);
    SendMessageW(window, WM_PAINT, 0, 0);
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_dialogProc));
    ShowWindow(window, SW_RESTORE);
  });
  EXPECT_NE(dragImage, nullptr);
  EXPECT_EQ(dragImage, windowIcon);
  EXPECT_TRUE(iconic);
  EXPECT_TRUE(restored.empty()) << "a window that is not minimised draws no icon";

  EXPECT_EQ(g_paint.Steps(), (std::vector<std::string>{"erase", "draw"}));
  EXPECT_NE(g_paint.erasedOn, nullptr);
  EXPECT_EQ(g_paint.drawnOn, g_paint.erasedOn) << "both on the paint's device context";
  EXPECT_EQ(g_paint.drawn, windowIcon);
  // The icon's centre within a pixel of the client area's (which a minimised window may have empty).
  const double iconWidth = GetSystemMetrics(SM_CXICON), iconHeight = GetSystemMetrics(SM_CYICON);
  EXPECT_LE(std::abs(g_paint.drawnAt.x + iconWidth / 2 - g_paint.client.right / 2.0), 1.0) << g_paint.drawnAt.x;
  EXPECT_LE(std::abs(g_paint.drawnAt.y + iconHeight / 2 - g_paint.client.bottom / 2.0), 1.0) << g_paint.drawnAt.y;
}

}  // namespace
}  // namespace vantrel
