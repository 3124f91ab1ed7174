#include "window/progress_window.h"

#include <string>

#include "collect/line_format.h"
#include "window/program_window.h"
#include "window/resource.h"

namespace vantrel {
namespace {

constexpr ULONGLONG kShowAfter = 500;
constexpr ULONGLONG kSlowAfter = 10000;
// The longest the thread goes without looking at its messages.
constexpr DWORD kLongestWait = 100;

// The spec window's labels, in category order.
const wchar_t* const kLabels[kCategoryCount] = {L"OS", L"CPU", L"RAM", L"Main Board", L"VGA", L"HDD", L"Sound", L"ODD"};
const wchar_t kSlowText[] =
    L"Windows가 느리게 응답하고 있습니다. 조금 더 기다려 주세요.\r\n"
    L"기다리지 않으려면 아래 단추를 누르세요. 읽은 항목까지 보여 드립니다.";

void SetTextIfChanged(HWND window, int id, const std::wstring& text) {
  wchar_t shown[256] = L"";
  GetDlgItemTextW(window, id, shown, 256);
  if (text != shown) SetDlgItemTextW(window, id, text.c_str());
}

void ShowProgress(HWND window, const BackgroundPass& pass) {
  const std::size_t finished = pass.FinishedCount();
  const std::size_t step = finished < kCategoryCount ? finished + 1 : kCategoryCount;
  SetTextIfChanged(window, IDC_PROGRESS_CATEGORY,
                   FormatLine(L"지금 읽는 항목: %s (%s/%s)",
                              {kLabels[pass.Current()], std::to_wstring(step), std::to_wstring(kCategoryCount)}));
  RECT frame{};
  GetWindowRect(GetDlgItem(window, IDC_PROGRESS_FRAME), &frame);
  const int inside = frame.right - frame.left - 2;
  SetWindowPos(GetDlgItem(window, IDC_PROGRESS_BAR), nullptr, 0, 0, inside * static_cast<int>(finished) / kCategoryCount,
               frame.bottom - frame.top - 2, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  HWND showNow = GetDlgItem(window, IDC_SHOW_NOW);
  if (pass.Elapsed() >= kSlowAfter && !IsWindowVisible(showNow)) {
    SetTextIfChanged(window, IDC_PROGRESS_SLOW, kSlowText);
    ShowWindow(showNow, SW_SHOW);
  }
  if (!IsWindowVisible(window)) ShowWindow(window, SW_SHOW);
}

}  // namespace

ProgressWindow::ProgressWindow(HICON icon)
    : window_(CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PROGRESS_DIALOG), nullptr,
                                 &ProgressWindow::Proc, reinterpret_cast<LPARAM>(&choices_))) {
  if (window_ == nullptr) return;
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  MarkProgramWindow(window_);
}

ProgressWindow::~ProgressWindow() {
  if (window_ == nullptr) return;
  UnmarkProgramWindow(window_);
  DestroyWindow(window_);
}

INT_PTR CALLBACK ProgressWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    return FALSE;  // no focus on the first control: it is a text
  }
  auto* choices = reinterpret_cast<Choices*>(GetWindowLongPtrW(window, DWLP_USER));
  if (message != WM_COMMAND || choices == nullptr) return FALSE;
  // The close box and Esc both arrive as IDCANCEL.
  if (LOWORD(wParam) == IDCANCEL) choices->closed = true;
  if (LOWORD(wParam) == IDC_SHOW_NOW) choices->showNow = true;
  return TRUE;
}

bool ProgressWindow::WaitFor(BackgroundPass& pass) {
  while (!pass.Take(0)) {
    if (choices_.closed) return false;
    if (choices_.showNow) {
      pass.GiveUp();
      continue;
    }
    if (window_ != nullptr && pass.Elapsed() >= kShowAfter) ShowProgress(window_, pass);
    HANDLE arrival = pass.Arrival();
    MsgWaitForMultipleObjects(arrival != nullptr ? 1 : 0, &arrival, FALSE, kLongestWait, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return false;
      if (window_ == nullptr || !IsDialogMessageW(window_, &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
  }
  return true;
}

}  // namespace vantrel
