// Drives the real Vantrel.exe under the platform from a separate test program: its window,
// controls, texts, lines, version record, registry key and the ways to close it.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "fakes/random_machine.h"
#include "probes/wmi_connection.h"
#include "support/dialog_template.h"
#include "support/program_under_test.h"
#include "support/raw_wmi.h"
#include "support/report_lines.h"
#include "support/screen_capture.h"
#include "support/ui_driver.h"
#include "support/utf8_text.h"
#include "window/homepage_url.h"
#include "window/resource.h"

namespace vantrel {
namespace {

using testing::ProgramUnderTest;

struct ExpectedControl {
  int id;  // -1: the template's "none"
  const wchar_t* className;
  DWORD style;
  int x, y, width, height;
  const wchar_t* text;  // null: not checked (combos, pictures)
};

// The template's controls after each category's combo and label, in creation (z and tab) order.
const ExpectedControl kControls[] = {
    {IDC_BANNER_PICTURE, L"Static", 0x5000000E, 0, 0, 13, 11, nullptr},
    {IDC_COPY_PICTURE, L"Static", 0x5000010E, 0, 101, 13, 11, nullptr},
    {IDC_HOMEPAGE_PICTURE, L"Static", 0x5000010E, 0, 136, 13, 11, nullptr},
    {IDC_INSTRUCTION_COPY, L"Static", 0x50020000, 197, 149, 225, 17, L"1. \"PC 사양 복사하기\" 버튼 클릭"},
    {IDC_INSTRUCTION_HOMEPAGE, L"Static", 0x50020000, 197, 169, 225, 16,
     L"2. \"홈페이지 바로가기\" 버튼 클릭한 후 게시판에 붙여넣기"},
};
// The rows of combos and labels: one a category, in the table's order, 16 units apart.
constexpr int kFirstRow = 4, kRowPitch = 16;

void ExpectControl(const testing::TemplateItem& item, const ExpectedControl& expected) {
  EXPECT_EQ(item.id, static_cast<DWORD>(expected.id));
  EXPECT_EQ(_wcsicmp(item.className.c_str(), expected.className), 0) << item.className;
  EXPECT_EQ(item.style, expected.style);
  EXPECT_EQ(item.exStyle, 0u);
  EXPECT_EQ(item.x, expected.x);
  EXPECT_EQ(item.y, expected.y);
  EXPECT_EQ(item.width, expected.width);
  EXPECT_EQ(item.height, expected.height);
  EXPECT_EQ(item.text, expected.text != nullptr ? expected.text : L"");
}

class SpecWindowEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    vantrel_ = std::make_unique<testing::RunningVantrel>();
    ASSERT_TRUE(vantrel_->Program().Started());
    window_ = vantrel_->Window();
    ASSERT_NE(window_, nullptr) << "Vantrel.exe showed no window";
  }

  std::unique_ptr<testing::RunningVantrel> vantrel_;  // closes the program with the fixture
  HWND window_ = nullptr;
};

TEST_F(SpecWindowEndToEnd, CaptionNamesTheProgramAndTheHomepage) {
  EXPECT_EQ(testing::WindowText(window_), std::wstring(L"Tarvik PC사양 확인 프로그램 (") + kHomepageUrl + L")");
  // The platform adds WS_CLIPSIBLINGS and DS_3DLOOK to every dialog window it creates.
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(window_, GWL_STYLE)) & ~static_cast<DWORD>(WS_CLIPSIBLINGS | DS_3DLOOK),
            0x90C800C0u);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(window_, GWL_EXSTYLE)) & WS_EX_APPWINDOW, static_cast<DWORD>(WS_EX_APPWINDOW));
}

TEST(DialogTemplate, HoldsTheWindowAndEveryControlExactly) {
  testing::ShippedTemplate shipped(testing::VantrelExe(), IDD_VANTREL_DIALOG);
  ASSERT_TRUE(shipped.Ready());
  const testing::DialogTemplate& dialog = shipped.Fields();
  EXPECT_EQ(dialog.style, 0x90C800C0u);
  EXPECT_EQ(dialog.exStyle, 0x00040000u);
  EXPECT_EQ(dialog.helpId, 0u);
  EXPECT_EQ(dialog.x, 0);
  EXPECT_EQ(dialog.y, 0);
  EXPECT_EQ(dialog.width, 434);
  EXPECT_EQ(dialog.height, 186);
  EXPECT_FALSE(dialog.hasMenu);
  EXPECT_FALSE(dialog.hasClass);
  EXPECT_EQ(dialog.caption, std::wstring(L"Tarvik PC사양 확인 프로그램 (") + kHomepageUrl + L")");
  EXPECT_EQ(dialog.pointSize, 10);
  EXPECT_EQ(dialog.weight, 400);
  EXPECT_EQ(dialog.italic, 0);
  EXPECT_EQ(dialog.charSet, 129);
  EXPECT_EQ(dialog.face, L"맑은 고딕");

  ASSERT_EQ(dialog.items.size(), 2 * kCategoryCount + std::size(kControls));
  for (std::size_t c = 0; c < kCategoryCount; ++c) {
    SCOPED_TRACE(testing::Utf8Of(Categories()[c].label));
    const int row = kFirstRow + kRowPitch * static_cast<int>(c);
    ExpectControl(dialog.items[c], {Categories()[c].comboId, L"ComboBox", 0x50210003, 237, row, 190, 30, nullptr});
  }
  // The labels follow the combos, each inside its category's row (their order among themselves is
  // the template's own).
  std::vector<std::wstring> labels(kCategoryCount);
  for (std::size_t i = kCategoryCount; i < 2 * kCategoryCount; ++i) {
    const testing::TemplateItem& item = dialog.items[i];
    const std::size_t row = static_cast<std::size_t>((item.y - kFirstRow) / kRowPitch);
    ASSERT_LT(row, kCategoryCount) << testing::Utf8Of(item.text);
    ExpectControl(item, {-1, L"Static", 0x50020000, 197, item.y, 37, 8, Categories()[row].label});
    EXPECT_LE(item.y + item.height, kFirstRow + kRowPitch * static_cast<int>(row + 1)) << testing::Utf8Of(item.text);
    labels[row] = item.text;
  }
  for (std::size_t c = 0; c < kCategoryCount; ++c) EXPECT_EQ(labels[c], Categories()[c].label);
  for (std::size_t i = 0; i < std::size(kControls); ++i) {
    SCOPED_TRACE("control #" + std::to_string(i) + ", id " + std::to_string(kControls[i].id));
    ExpectControl(dialog.items[2 * kCategoryCount + i], kControls[i]);
  }
  // The instruction lines stand below the last row.
  EXPECT_GE(dialog.items[2 * kCategoryCount + 3].y, kFirstRow + kRowPitch * static_cast<int>(kCategoryCount));
}

TEST_F(SpecWindowEndToEnd, ControlsStandAsTheTemplatePlacesThem) {
  testing::ShippedTemplate shipped(testing::VantrelExe(), IDD_VANTREL_DIALOG);
  ASSERT_TRUE(shipped.Ready());

  std::vector<HWND> children;
  for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  const std::vector<testing::TemplateItem>& items = shipped.Fields().items;  // held to the table above
  ASSERT_EQ(children.size(), items.size());

  for (std::size_t i = 0; i < children.size(); ++i) {
    const testing::TemplateItem& expected = items[i];
    const bool combo = _wcsicmp(expected.className.c_str(), L"ComboBox") == 0;
    HWND control = children[i];
    SCOPED_TRACE("control #" + std::to_string(i) + ", id " + std::to_string(static_cast<int>(expected.id)));
    EXPECT_EQ(static_cast<WORD>(GetDlgCtrlID(control)), static_cast<WORD>(expected.id));
    EXPECT_EQ(_wcsicmp(testing::ClassName(control).c_str(), expected.className.c_str()), 0);
    // A combo box hands its vertical scroll bar on to its drop-down list.
    const DWORD style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
    EXPECT_EQ(style, combo ? expected.style & ~static_cast<DWORD>(WS_VSCROLL) : expected.style);
    if (!combo && (expected.style & SS_TYPEMASK) != SS_BITMAP) {
      EXPECT_EQ(testing::WindowText(control), expected.text);
    }

    const RECT place = shipped.ToPixels(expected.x, expected.y, expected.width, expected.height);
    const RECT actual = testing::RectInClient(control, window_);
    EXPECT_EQ(actual.left, place.left);
    EXPECT_EQ(actual.top, place.top);
    if ((expected.style & SS_TYPEMASK) == SS_BITMAP && !combo) {
      const SIZE& picture = testing::kPictureSizes[expected.id - IDC_BANNER_PICTURE];
      EXPECT_EQ(actual.right - actual.left, picture.cx);
      EXPECT_EQ(actual.bottom - actual.top, picture.cy);
    } else {
      EXPECT_EQ(actual.right - actual.left, place.right - place.left);
      // A closed combo shows its field alone: its height is the font's, not the template's.
      if (!combo) {
        EXPECT_EQ(actual.bottom - actual.top, place.bottom - place.top);
      }
    }
  }

  // With the dialog font's real proportions the two picture buttons stand apart, the lower one
  // wholly inside the window.
  const RECT copy = testing::RectInClient(GetDlgItem(window_, IDC_COPY_PICTURE), window_);
  const RECT homepage = testing::RectInClient(GetDlgItem(window_, IDC_HOMEPAGE_PICTURE), window_);
  RECT client{};
  GetClientRect(window_, &client);
  EXPECT_LE(copy.bottom, homepage.top) << "the copy picture overlaps the homepage picture";
  EXPECT_LE(homepage.bottom, client.bottom) << "the homepage picture is cut off at the bottom";
  EXPECT_EQ(testing::LayoutFaults(window_), "");
}

TEST_F(SpecWindowEndToEnd, CombosHoldTheLinesOfTheReportProgram) {
  const testing::ComboState combos = testing::ReadCombos(window_);
  for (const LRESULT selected : combos.selected) EXPECT_EQ(selected, 0);
  const testing::ChildResult report = testing::RunChild(testing::VantrelReportExe());
  ASSERT_EQ(report.exitCode, 0u);
  EXPECT_EQ(testing::ReportFromCategoryLines(combos.lines), testing::WideOfUtf8(report.standardOutput));
  testing::SaveWindowCapture(window_, L"spec-window");
}

// The diagnostic lines this machine calls for, in the pass's order, from WMI read directly.
std::string ExpectedDiagnostics() {
  using namespace testing;  // the statements
  WmiConnection wmi;
  if (!wmi.Open()) return "<WMI did not open in the test>";
  std::wstring lines;
  for (const std::wstring& model : RawStrings(wmi, StatementText(kDisksStatement), L"Model"))
    lines += L"Disk: " + model + L"\n";
  for (const std::wstring& name : RawNames(wmi, StatementText(kSoundStatement))) lines += L"Sound: " + name + L"\n";
  const std::vector<std::wstring> drives = RawNames(wmi, StatementText(kOpticalStatement));
  if (drives.empty()) lines += L"ODD: 없음\n";
  for (const std::wstring& name : drives) lines += L"ODD: " + name + L"\n";
  return Utf8Of(lines);
}

TEST_F(SpecWindowEndToEnd, EchoesTheDiagnosticLinesOnStandardOutput) {
  ASSERT_TRUE(vantrel_->Close());
  EXPECT_EQ(testing::AsText(vantrel_->StandardOutput()), ExpectedDiagnostics());
}

void ExpectClosesTheProgram(ProgramUnderTest& program, HWND window, UINT message, WPARAM key) {
  HWND target = message == WM_CLOSE ? window : GetDlgItem(window, CategoryOf(kOs).comboId);  // the OS combo has the focus
  PostMessageW(target, message, key, 1);
  DWORD exitCode = 1;
  EXPECT_TRUE(program.WaitForExit(10000, &exitCode));
  EXPECT_EQ(exitCode, 0u);
}

TEST_F(SpecWindowEndToEnd, EnterEndsTheProgram) { ExpectClosesTheProgram(vantrel_->Program(), window_, WM_KEYDOWN, VK_RETURN); }
TEST_F(SpecWindowEndToEnd, EscEndsTheProgram) { ExpectClosesTheProgram(vantrel_->Program(), window_, WM_KEYDOWN, VK_ESCAPE); }
TEST_F(SpecWindowEndToEnd, CloseBoxEndsTheProgram) { ExpectClosesTheProgram(vantrel_->Program(), window_, WM_CLOSE, 0); }

// Whether the minimised window is restored within the time, looked at every 50 ms.
bool RestoredWithin(HWND window, DWORD milliseconds) {
  const ULONGLONG deadline = GetTickCount64() + milliseconds;
  while (IsIconic(window) && GetTickCount64() < deadline) Sleep(50);
  return !IsIconic(window);
}

// A second start ends at once without a window of its own and brings the running one back. The
// dialog loop shows its window again when it first runs out of messages, which restores a window
// minimised before then: it is minimised until it stays so for half a second. The running copy
// restores it only once it gets to the second's ShowWindowAsync, maybe after the second has ended.
TEST_F(SpecWindowEndToEnd, ASecondStartBringsTheRunningWindowBackAndEnds) {
  int tries = 0;
  do ShowWindow(window_, SW_MINIMIZE);
  while (RestoredWithin(window_, 500) && ++tries < 3);
  ASSERT_TRUE(IsIconic(window_)) << "the window does not stay minimised";
  const testing::ChildResult second = testing::RunChild(testing::VantrelExe());
  ASSERT_TRUE(second.started);
  EXPECT_EQ(second.exitCode, 0u);
  EXPECT_TRUE(RestoredWithin(window_, 5000)) << "not restored within 5 s";
}

bool SettingsKeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Halvern", 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// This test program has the program's bitness, so it sees the same registry view.
TEST(SettingsKey, ARunCreatesItEmptyInTheProgramsOwnRegistryView) {
  HKEY software = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_CREATE_SUB_KEY, &software) != ERROR_SUCCESS)
    GTEST_SKIP() << "needs an administrator: a standard user can create no key under HKEY_LOCAL_MACHINE";
  RegCloseKey(software);
  // The test deletes no key it did not make: under Wine the key belongs to the test prefix, which
  // earlier runs of the program filled; on Windows a key that is there already is someone's.
  if (SettingsKeyExists()) {
    if (!testing::UnderWine()) GTEST_SKIP() << "HKLM\\SOFTWARE\\Halvern is there already and is not this test's";
    const LONG removed = RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Halvern");
    ASSERT_EQ(removed, ERROR_SUCCESS) << "the key could not be removed";
  }
  {
    testing::RunningVantrel vantrel;
    ASSERT_NE(vantrel.Window(), nullptr);
    ASSERT_TRUE(vantrel.Close());
  }
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Halvern", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD values = 99, subkeys = 99;
  EXPECT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                             nullptr, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(values, 0u);
  EXPECT_EQ(subkeys, 0u);
  if (!testing::UnderWine()) RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Halvern");  // the one this run made
}

std::wstring VersionString(const std::vector<unsigned char>& data, const wchar_t* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  if (!VerQueryValueW(data.data(), path.c_str(), &value, &length) || value == nullptr) return L"<missing>";
  return std::wstring(static_cast<const wchar_t*>(value));
}

TEST(VersionRecord, CarriesTheProgramsVersionAndNames) {
  const std::wstring exe = testing::VantrelExe();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<unsigned char> data(size);
  ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, data.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
  EXPECT_EQ(fixed->dwFileFlags, 0u);
  EXPECT_EQ(fixed->dwFileOS, 0x40004u);
  EXPECT_EQ(fixed->dwFileType, 1u);

  EXPECT_EQ(VersionString(data, L"FileDescription"), L"Vantrel");
  EXPECT_EQ(VersionString(data, L"InternalName"), L"Vantrel.exe");
  EXPECT_EQ(VersionString(data, L"OriginalFilename"), L"Vantrel.exe");
  EXPECT_EQ(VersionString(data, L"FileVersion"), L"1.0.0.1");
  EXPECT_EQ(VersionString(data, L"ProductVersion"), L"1.0.0.1");

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
  ASSERT_GE(length, 4u);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 1200);
}

}  // namespace
}  // namespace vantrel
