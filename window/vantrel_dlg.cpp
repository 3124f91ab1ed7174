#include "window/vantrel_dlg.h"

#include <utility>

#include "window/action_entry_points.h"
#include "window/clipboard_text.h"
#include "window/homepage_url.h"
#include "window/message_box.h"
#include "window/paint_entry_points.h"
#include "window/program_window.h"
#include "window/resource.h"

namespace vantrel {
namespace {

const wchar_t kSettingsKey[] = L"SOFTWARE\\Halvern";
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kInstructionRed = RGB(255, 0, 0);
const wchar_t kInstructionFace[] = L"맑은 고딕";
const wchar_t kCopied[] = L"PC 사양 복사되었습니다.";
const wchar_t kNotCopied[] =
    L"PC 사양을 복사하지 못했습니다. 다른 프로그램이 클립보드를 쓰고 있을 수 있습니다. 잠시 뒤 다시 눌러 주세요.";
const wchar_t kHomepageNotOpened[] =
    L"홈페이지를 열지 못했습니다. 인터넷 브라우저의 주소 창에 다음 주소를 입력해 주세요:\r\n";
constexpr int kInstructionPointTenths = 110;

HINSTANCE ProgramModule() { return GetModuleHandleW(nullptr); }

// A font of the given size in tenths of a point for the screen, every other attribute default.
HFONT CreatePointFont(int pointTenths, const wchar_t* face) {
  LOGFONTW font{};
  HDC screen = GetDC(nullptr);
  font.lfHeight = -MulDiv(pointTenths, GetDeviceCaps(screen, LOGPIXELSY), 720);
  ReleaseDC(nullptr, screen);
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

HBITMAP LoadProgramBitmap(int id) {
  return static_cast<HBITMAP>(LoadImageW(ProgramModule(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

}  // namespace

CVantrelDlg::CVantrelDlg(CategoryOutcomes outcomes)
    : ModalDialog(IDD_VANTREL_DIALOG),
      m_outcomes(std::move(outcomes)),
      m_windowIcon(LoadIconW(ProgramModule(), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

void CVantrelDlg::DoDataExchange() {
  for (std::size_t i = 0; i < m_categoryCombos.size(); ++i) {
    m_categoryCombos[i].Attach(Control(Categories()[i].comboId));
  }
}

BOOL CVantrelDlg::OnInitDialog() {
  ModalDialog::OnInitDialog();

  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_windowIcon));
  SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_windowIcon));

  m_instructionFont.Attach(CreatePointFont(kInstructionPointTenths, kInstructionFace));
  SendMessageW(Control(IDC_INSTRUCTION_COPY), WM_SETFONT, reinterpret_cast<WPARAM>(m_instructionFont.Get()), TRUE);
  SendMessageW(Control(IDC_INSTRUCTION_HOMEPAGE), WM_SETFONT, reinterpret_cast<WPARAM>(m_instructionFont.Get()), TRUE);

  m_whiteBrush.Attach(CreateSolidBrush(kWhite));
  LoadPictures();

  // Held, never read or written; a standard user can neither open nor create it, silently.
  m_settingsKey.OpenOrCreate(HKEY_LOCAL_MACHINE, kSettingsKey, KEY_READ | KEY_WRITE);

  ShowOutcomes(m_outcomes, ListsOf(m_categoryCombos), m_specReport);
  for (ComboCategoryList& combo : m_categoryCombos) combo.FitDropDownToLines();
  MarkProgramWindow(Handle());
  return TRUE;
}

void CVantrelDlg::LoadPictures() {
  m_bannerBitmap.Attach(LoadProgramBitmap(IDB_BANNER));
  m_copyBitmap.Attach(LoadProgramBitmap(IDB_COPY_BUTTON));
  m_homepageBitmap.Attach(LoadProgramBitmap(IDB_HOMEPAGE_BUTTON));
  const std::pair<int, HBITMAP> pictures[] = {{IDC_BANNER_PICTURE, m_bannerBitmap.Get()},
                                              {IDC_COPY_PICTURE, m_copyBitmap.Get()},
                                              {IDC_HOMEPAGE_PICTURE, m_homepageBitmap.Get()}};
  for (const auto& [controlId, bitmap] : pictures) {
    HWND control = Control(controlId);
    if (control != nullptr && bitmap != nullptr) {
      SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    }
  }
}

void CVantrelDlg::OnDestroy() {
  ModalDialog::OnDestroy();
  UnmarkProgramWindow(Handle());
  m_bannerBitmap.Delete();
  m_copyBitmap.Delete();
  m_homepageBitmap.Delete();
}

// White behind the window and its static controls; the two instruction lines red, drawn with
// no background of their own so the window's white shows around and behind the letters. Every
// other kind of request keeps the default answer. Nothing is allocated here.
HBRUSH CVantrelDlg::OnCtlColor(HDC dc, HWND control, UINT kind) {
  HBRUSH brush = ModalDialog::OnCtlColor(dc, control, kind);
  if (kind != CTLCOLOR_DLG && kind != CTLCOLOR_STATIC) return brush;
  SetBkColor(dc, kWhite);
  const int id = GetDlgCtrlID(control);
  if (id == IDC_INSTRUCTION_COPY || id == IDC_INSTRUCTION_HOMEPAGE) {
    SetTextColor(dc, kInstructionRed);
    SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  }
  return m_whiteBrush.Get();
}

// A minimised window shows its icon in the middle of its client area.
bool CVantrelDlg::OnPaint() {
  if (!IsIconic(Handle())) return ModalDialog::OnPaint();
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(Handle(), &paint);
  SendMessageW(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  const int iconWidth = GetSystemMetrics(SM_CXICON);
  const int iconHeight = GetSystemMetrics(SM_CYICON);
  RECT client{};
  GetClientRect(Handle(), &client);
  const int x = (client.right - client.left - iconWidth + 1) / 2;
  const int y = (client.bottom - client.top - iconHeight + 1) / 2;
  PaintApi().drawIcon(dc, x, y, m_windowIcon);
  EndPaint(Handle(), &paint);
  return true;
}

HCURSOR CVantrelDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_windowIcon); }

bool CVantrelDlg::OnClicked(int controlId) {
  static const ClickRoute<CVantrelDlg> kRoutes[] = {
      {IDC_COPY_PICTURE, &CVantrelDlg::OnCopyClicked},
      {IDC_HOMEPAGE_PICTURE, &CVantrelDlg::OnHomepageClicked},
  };
  return RouteClick(*this, kRoutes, controlId);
}

// Confirms only what really reached the clipboard, and says a copy that did not happen: the seller
// would otherwise paste whatever the clipboard held before.
void CVantrelDlg::OnCopyClicked() {
  if (m_specReport.empty()) return;
  ShowMessage(Handle(), CopyTextToClipboard(Handle(), m_specReport) ? kCopied : kNotCopied);
}

// The system's handler for https addresses, normally the default browser; when none opens it, the
// seller is given the address to type.
// The handler may be reached through COM, and the shell wants its caller in a single-threaded
// apartment, which is given back after the call. The window's thread never joins the
// multithreaded apartment (the collection pass has a thread of its own), so it can always be had.
void CVantrelDlg::OnHomepageClicked() {
  const ActionEntryPoints& api = ActionApi();
  const HRESULT apartment = api.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  const HINSTANCE opened = api.shellExecute(nullptr, L"open", kHomepageUrl, nullptr, nullptr, SW_SHOWNORMAL);
  if (SUCCEEDED(apartment)) api.coUninitialize();
  // ShellExecuteW's old convention: a value above 32 is success, any other is the error.
  if (reinterpret_cast<INT_PTR>(opened) <= 32) ShowMessage(Handle(), (kHomepageNotOpened + std::wstring(kHomepageUrl)).c_str());
}

}  // namespace vantrel
