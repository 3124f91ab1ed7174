#include "window/progress_window.h"

#include <string>

#include "collect/line_format.h"
#include "window/program_window.h"
#include "window/resource.h"

namespace vantrel {
namespace {

constexpr ULONGLONG kShowAfter = 500;
constexpr ULONGLONG kSlowAfter = 10000;
// The longest the window goes without looking at the pass.
constexpr UINT kLookEvery = 100;
constexpr UINT_PTR kLookTimer = 1;
// Posted by the pass at each hand-over (WM_USER values belong to the dialog class itself).
constexpr UINT kPassMoved = WM_APP + 1;

const wchar_t kSlowText[] =
    L"Windows가 느리게 응답하고 있습니다. 조금 더 기다려 주세요.\r\n"
    L"기다리지 않으려면 아래 단추를 누르세요. 아직 못 읽은 항목은 다른 방법으로 읽어 바로 보여 드립니다.";

void SetTextIfChanged(HWND window, int id, const std::wstring& text) {
  wchar_t shown[256] = L"";
  GetDlgItemTextW(window, id, shown, 256);
  if (text != shown) SetDlgItemTextW(window, id, text.c_str());
}

}  // namespace

ProgressWindow::ProgressWindow(HICON icon) : ModalDialog(IDD_PROGRESS_DIALOG), icon_(icon) {}

bool ProgressWindow::WaitFor(BackgroundPass& pass) {
  pass_ = &pass;
  mayShow_ = false;
  // Windows' dialog loop posts WM_QUIT again when it ends on one, and then returns no IDOK.
  const INT_PTR result = DoModal();
  if (result == -1) {
    // No window could be made: the pass is still run and waited for, within its limit.
    pass.WaitUntilOver();
    return true;
  }
  return result == IDOK;
}

BOOL ProgressWindow::OnInitDialog() {
  ModalDialog::OnInitDialog();
  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  pass_->NotifyWindow(Handle(), kPassMoved);
  pass_->Start();
  SetTimer(Handle(), kLookTimer, kLookEvery, nullptr);
  LookAtPass();
  return FALSE;  // no focus on the first control: it is a text
}

void ProgressWindow::OnDestroy() {
  KillTimer(Handle(), kLookTimer);
  pass_->NotifyWindow(nullptr, 0);
  UnmarkProgramWindow(Handle());
}

bool ProgressWindow::OnTimer(UINT_PTR timer) {
  if (timer != kLookTimer) return false;
  LookAtPass();
  return true;
}

bool ProgressWindow::OnAppMessage(UINT message) {
  if (message != kPassMoved) return false;
  LookAtPass();
  return true;
}

// The dialog loop shows a hidden dialog as soon as it has nothing to do; this one stays hidden
// until the pass has taken half a second.
void ProgressWindow::OnWindowPosChanging(WINDOWPOS& position) {
  if (!mayShow_) position.flags &= ~SWP_SHOWWINDOW;
}

bool ProgressWindow::OnClicked(int controlId) {
  if (controlId != IDC_SHOW_NOW) return false;
  pass_->GiveUp();
  LookAtPass();
  return true;
}

void ProgressWindow::LookAtPass() {
  if (pass_->Take(0)) {
    // A move, size or menu loop of Windows' own would hold the end until the user let go. Wine's
    // move loop heeds only a key or a button, so it is also sent Esc; once the loop is gone, a key
    // left for this window is dropped with it.
    SendMessageW(Handle(), WM_CANCELMODE, 0, 0);
    EndMenu();
    if (inSizeMoveLoop_) PostMessageW(Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    // While this window still has the foreground, the process lets itself keep it for the window
    // that follows: once this one is gone, Windows would hand it to another program's window.
    AllowSetForegroundWindow(GetCurrentProcessId());
    // A second start in the gap before the spec window waits for that one instead.
    UnmarkProgramWindow(Handle());
    EndDialog(Handle(), IDOK);
    return;
  }
  if (pass_->Elapsed() >= kShowAfter) ShowProgress();
}

void ProgressWindow::ShowProgress() {
  HWND window = Handle();
  const std::size_t finished = pass_->FinishedCount();
  const std::size_t step = finished < kCategoryCount ? finished + 1 : kCategoryCount;
  SetTextIfChanged(window, IDC_PROGRESS_CATEGORY,
                   FormatLine(L"지금 읽는 항목: %s (%s/%s)",
                              {CategoryOf(pass_->Current()).label, std::to_wstring(step), std::to_wstring(kCategoryCount)}));
  RECT frame{};
  GetWindowRect(Control(IDC_PROGRESS_FRAME), &frame);
  const int inside = frame.right - frame.left - 2;
  SetWindowPos(Control(IDC_PROGRESS_BAR), nullptr, 0, 0, inside * static_cast<int>(finished) / kCategoryCount,
               frame.bottom - frame.top - 2, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  HWND showNow = Control(IDC_SHOW_NOW);
  if (pass_->Elapsed() >= kSlowAfter && !IsWindowVisible(showNow)) {
    SetTextIfChanged(window, IDC_PROGRESS_SLOW, kSlowText);
    ShowWindow(showNow, SW_SHOW);
    SendMessageW(window, DM_SETDEFID, IDC_SHOW_NOW, 0);
    SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(showNow), TRUE);
  }
  if (!mayShow_) {
    mayShow_ = true;
    ShowWindow(window, SW_SHOW);
    // Marked once seen, so that a second start brings forward a window the seller can see.
    MarkProgramWindow(window);
  }
}

}  // namespace vantrel
