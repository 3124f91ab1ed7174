// Vantrel.exe and VantrelReport.exe on machines that lack a platform piece: without Wine's WMI
// provider, without DXGI, with a DXGI that gives no factory, and at twice the usual resolution.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "support/prefix_changes.h"
#include "support/program_under_test.h"
#include "support/report_lines.h"
#include "support/screen_capture.h"
#include "support/ui_driver.h"
#include "support/utf8_text.h"
#include "window/resource.h"

namespace vantrel {
namespace {

using testing::CategoryLines;
using testing::ChildResult;
using testing::FileExists;

std::string FileBytes(const std::wstring& path) {
  std::FILE* in = _wfopen(path.c_str(), L"rb");
  if (in == nullptr) return std::string();
  std::string bytes;
  char buffer[65536];
  for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, in)) > 0;) bytes.append(buffer, read);
  std::fclose(in);
  return bytes;
}

// A load-order rule for one DLL in both programs while it lives ("" disables the DLL, "native"
// takes the file in the system folder). Wine takes WINEDLLOVERRIDES from the Unix environment
// of the parent process, not from the environment block a Windows program hands to its child,
// so the rule goes into the per-program overrides of the prefix instead.
class ProgramsDllRule {
 public:
  ProgramsDllRule(const std::wstring& dll, const std::wstring& rule)
      : window_(L"Software\\Wine\\AppDefaults\\Vantrel.exe\\DllOverrides", dll, REG_SZ, rule.c_str(),
                static_cast<DWORD>((rule.size() + 1) * sizeof(wchar_t))),
        report_(L"Software\\Wine\\AppDefaults\\VantrelReport.exe\\DllOverrides", dll, REG_SZ, rule.c_str(),
                static_cast<DWORD>((rule.size() + 1) * sizeof(wchar_t))) {}

  bool Set() const { return window_.Set() && report_.Set(); }

 private:
  testing::ScopedRegistryValue window_;
  testing::ScopedRegistryValue report_;
};

// Makes this thread see other programs' windows in real pixels while it lives: Windows shows a
// thread that is not aware of the resolution the windows of an aware program scaled to 96 DPI.
class PhysicalPixels {
 public:
  PhysicalPixels() {
    // Looked up, as older systems lack it; contexts are handles, per-monitor aware is -3.
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    set_ = reinterpret_cast<SetContext>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetThreadDpiAwarenessContext")));
    if (set_ != nullptr) previous_ = set_(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3)));
  }
  PhysicalPixels(const PhysicalPixels&) = delete;
  PhysicalPixels& operator=(const PhysicalPixels&) = delete;
  ~PhysicalPixels() {
    if (set_ != nullptr && previous_ != nullptr) set_(previous_);
  }

 private:
  using SetContext = HANDLE(WINAPI*)(HANDLE);
  SetContext set_ = nullptr;
  HANDLE previous_ = nullptr;
};

// What a run of Vantrel.exe shows and writes, and what VantrelReport.exe makes of the same machine.
struct MachineView {
  bool windowShown = false;
  testing::ComboState combos;
  std::string windowOutput;
  ChildResult report;
};

MachineView ViewMachine() {
  MachineView view;
  {
    testing::RunningVantrel vantrel;
    view.windowShown = vantrel.Window() != nullptr;
    if (view.windowShown) view.combos = testing::ReadCombos(vantrel.Window());
    if (vantrel.Close()) view.windowOutput = vantrel.StandardOutput();
  }
  view.report = testing::RunChild(testing::VantrelReportExe());
  return view;
}

// Every test of this program shares the prefix, so each starts by undoing what an odd-machine
// test that was killed midway (a timeout, say) left changed.
class RepairPrefix : public ::testing::Environment {
 public:
  void SetUp() override {
    if (testing::UnderWine()) testing::RepairInterruptedChanges();
  }
};
::testing::Environment* const kRepairPrefix = ::testing::AddGlobalTestEnvironment(new RepairPrefix);

class OddMachinesEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::UnderWine()) GTEST_SKIP() << "Wine only: takes platform pieces away through Wine's DLL overrides";
  }
};

// The window of a pass whose WMI connection did not open: every WMI category comes from the
// platform's own sources, with no notice, and standard output says the failure and where each
// came from. The report program gives the same lines and, complete, exits 0; without DXGI the
// adapters cannot be read either, which only their category says, and it exits 1.
void ExpectFailedOpenMachine(const std::wstring& missingDll, bool adaptersRead) {
  ProgramsDllRule missing(missingDll, L"");
  ASSERT_TRUE(missing.Set());
  testing::ComboState combos;
  std::string said;
  {
    testing::RunningVantrel vantrel;
    HWND window = vantrel.Window();
    ASSERT_NE(window, nullptr) << "Vantrel.exe showed no window";
    combos = testing::ReadCombos(window);
    ASSERT_TRUE(vantrel.Close());
    said = testing::AsText(vantrel.StandardOutput());
  }
  EXPECT_EQ(said.rfind("WMI Init Failed\n", 0), 0u) << said;
  for (const CategoryInfo& info : Categories()) {
    const std::vector<std::wstring>& lines = combos.lines[info.category];
    ASSERT_FALSE(lines.empty()) << testing::Utf8Of(info.label);
    const bool noticed = lines.back().find(L"확인 못 함") != std::wstring::npos;
    EXPECT_EQ(noticed, info.category == kVga && !adaptersRead) << testing::Utf8Of(info.label);
    EXPECT_EQ(combos.selected[info.category], 0) << testing::Utf8Of(info.label);
    if (!info.FromWmi()) continue;
    const std::string from = testing::Utf8Of(std::wstring(info.reportName) + L": read from " + info.platformSource + L" (WMI 0x");
    EXPECT_NE(said.find(from), std::string::npos) << said;
  }

  const ChildResult report = testing::RunChild(testing::VantrelReportExe());
  ASSERT_TRUE(report.started);
  EXPECT_EQ(report.exitCode, adaptersRead ? 0u : 1u);
  // In the report a notice stands behind its category's name.
  if (!adaptersRead) combos.lines[kVga].back() = L"VGA: " + combos.lines[kVga].back();
  EXPECT_EQ(testing::WideOfUtf8(report.standardOutput), testing::ReportFromCategoryLines(combos.lines));
  EXPECT_EQ(testing::AsText(report.standardError), said);
}

TEST_F(OddMachinesEndToEnd, WithoutTheWmiProviderEveryWmiCategoryComesFromThePlatform) {
  ExpectFailedOpenMachine(L"wbemprox", true);
}

// Wine's WMI provider imports DXGI, so there without DXGI the WMI connection cannot open either.
TEST_F(OddMachinesEndToEnd, OnWineWithoutDxgiBothProgramsStartAndReadThePlatform) {
  ExpectFailedOpenMachine(L"dxgi", false);
}

TEST_F(OddMachinesEndToEnd, DxgiWithoutAFactoryIsSaidInTheGraphicsCategoryAlone) {
  const MachineView stock = ViewMachine();
  ASSERT_TRUE(stock.windowShown);
  ASSERT_EQ(stock.report.exitCode, 0u);
  ASSERT_EQ(testing::ReportFromCategoryLines(stock.combos.lines), testing::WideOfUtf8(stock.report.standardOutput));
  ASSERT_FALSE(stock.combos.lines[kVga].empty());
  ASSERT_NE(stock.combos.lines[kVga][0], L"없음") << "the stock machine must have an adapter to lose";

  const std::wstring systemDxgi = testing::SystemFolder() + L"\\dxgi.dll";
  const std::string original = FileBytes(systemDxgi);
  ASSERT_FALSE(original.empty());
  {
    testing::ReplacedSystemDll noFactory(L"dxgi.dll", testing::SiblingProgram(L"tests\\no_factory_dxgi\\dxgi.dll"));
    ASSERT_TRUE(noFactory.Replaced());
    ProgramsDllRule systemFolderDxgi(L"dxgi", L"native");
    ASSERT_TRUE(systemFolderDxgi.Set());
    const MachineView odd = ViewMachine();
    ASSERT_TRUE(odd.windowShown);

    const std::wstring failed = L"확인 못 함 (Windows 오류 0x887A0004)";  // DXGI_ERROR_UNSUPPORTED
    CategoryLines expected = stock.combos.lines;
    expected[kVga] = {failed};
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(odd.combos.lines[i], expected[i]) << "combo " << i;
      EXPECT_EQ(odd.combos.selected[i], 0) << "combo " << i;
    }
    EXPECT_EQ(odd.windowOutput, stock.windowOutput) << "the same disks, sound devices and optical drives";

    EXPECT_EQ(odd.report.exitCode, 2u) << "an incomplete report";
    const std::wstring report = testing::WideOfUtf8(odd.report.standardOutput);
    expected[kVga] = {L"VGA: " + failed};  // in the report the notice stands behind its name
    EXPECT_EQ(report, testing::ReportFromCategoryLines(expected));
    for (const std::wstring& adapter : stock.combos.lines[kVga]) {
      EXPECT_EQ(report.find(adapter), std::wstring::npos) << "the report still names " << testing::Utf8Of(adapter);
    }
    EXPECT_EQ(odd.report.standardError, stock.report.standardError);
  }
  EXPECT_TRUE(FileBytes(systemDxgi) == original) << "the system's dxgi.dll was not put back";
  EXPECT_FALSE(FileExists(systemDxgi + L".vantrel-original"));
}

struct Layout {
  SIZE client{};
  std::array<SIZE, 3> pictures{};  // banner, copy, homepage
  SIZE label{};                    // the "Main Board" label
  SIZE combo{};                    // the closed OS combo
  SIZE instruction{};              // the first instruction line
};

SIZE SizeOf(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

Layout MeasureLayout(HWND window) {
  Layout layout;
  RECT client{};
  GetClientRect(window, &client);
  layout.client = SIZE{client.right, client.bottom};
  for (int i = 0; i < 3; ++i)
    layout.pictures[static_cast<std::size_t>(i)] = SizeOf(GetDlgItem(window, IDC_BANNER_PICTURE + i));
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (testing::WindowText(child) == CategoryOf(kMainBoard).label) layout.label = SizeOf(child);
  }
  layout.combo = SizeOf(GetDlgItem(window, CategoryOf(kOs).comboId));
  layout.instruction = SizeOf(GetDlgItem(window, IDC_INSTRUCTION_COPY));
  return layout;
}

double Ratio(LONG high, LONG normal) { return normal > 0 ? static_cast<double>(high) / normal : 0.0; }

void ExpectPicturesAtPixelSize(const Layout& layout) {
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(layout.pictures[i].cx, testing::kPictureSizes[i].cx) << "picture " << IDC_BANNER_PICTURE + static_cast<int>(i);
    EXPECT_EQ(layout.pictures[i].cy, testing::kPictureSizes[i].cy) << "picture " << IDC_BANNER_PICTURE + static_cast<int>(i);
  }
}

// A per-user value as it stands, type and bytes, to tell whether a guard put it back.
std::string UserValue(const wchar_t* subkey, const wchar_t* name) {
  DWORD type = REG_NONE, size = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, subkey, name, RRF_RT_ANY, &type, nullptr, &size) != ERROR_SUCCESS)
    return "<none>";
  std::string bytes(size, '\0');
  if (RegGetValueW(HKEY_CURRENT_USER, subkey, name, RRF_RT_ANY, &type, &bytes[0], &size) != ERROR_SUCCESS)
    return "<unreadable>";
  bytes.resize(size);
  return std::to_string(type) + ":" + bytes;
}

TEST_F(OddMachinesEndToEnd, AtDoubleResolutionThePicturesKeepTheirPixelsWhileTheDialogGrows) {
  PhysicalPixels physical;
  Layout normal;
  {
    testing::RunningVantrel vantrel;
    ASSERT_NE(vantrel.Window(), nullptr);
    normal = MeasureLayout(vantrel.Window());
  }
  ExpectPicturesAtPixelSize(normal);
  ASSERT_GT(normal.label.cx, 0) << "no Main Board label";

  const std::string stockSetting = UserValue(L"Control Panel\\Desktop", L"LogPixels");
  Layout high;
  {
    // Wine reads the system resolution from the user's desktop settings when a process starts.
    const DWORD logPixels = 192;
    testing::ScopedRegistryValue highResolution(L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &logPixels,
                                                sizeof logPixels);
    ASSERT_TRUE(highResolution.Set());
    testing::RunningVantrel vantrel;
    ASSERT_NE(vantrel.Window(), nullptr);
    high = MeasureLayout(vantrel.Window());
    EXPECT_EQ(testing::LayoutFaults(vantrel.Window()), "");
    // Twice as large, the dialog is wider than the test display; its left edge, with the
    // pictures, goes to the screen's so that the kept picture shows them.
    SetWindowPos(vantrel.Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE);
    RedrawWindow(vantrel.Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(500);  // let the program finish painting
    testing::SaveWindowCapture(vantrel.Window(), L"vantrel-window-192dpi");
  }
  EXPECT_EQ(UserValue(L"Control Panel\\Desktop", L"LogPixels"), stockSetting) << "the resolution was not put back";

  ExpectPicturesAtPixelSize(high);
  struct Grown {
    const char* what;
    LONG high, normal;
  };
  const Grown doubled[] = {
      {"client width", high.client.cx, normal.client.cx},
      {"client height", high.client.cy, normal.client.cy},
      {"label width", high.label.cx, normal.label.cx},
      {"label height", high.label.cy, normal.label.cy},
      {"combo width", high.combo.cx, normal.combo.cx},
      {"instruction width", high.instruction.cx, normal.instruction.cx},
      {"instruction height", high.instruction.cy, normal.instruction.cy},
  };
  // Dialog units follow the font's whole-pixel base units, which need not double exactly
  // (8 x 17 -> 16 x 35 for the test prefix's font).
  for (const Grown& size : doubled) {
    EXPECT_NEAR(Ratio(size.high, size.normal), 2.0, 0.25) << size.what << ": " << size.normal << " -> " << size.high;
  }
  // A closed combo is its font's height plus a fixed frame, so it grows by less than the font.
  EXPECT_GT(Ratio(high.combo.cy, normal.combo.cy), 1.3) << normal.combo.cy << " -> " << high.combo.cy;
}

// A test process killed while its changes stand (a guard never ends) leaves them for the next
// process to undo: values as they were, created keys gone, the system folder's file back.
TEST_F(OddMachinesEndToEnd, ChangesOfAKilledRunAreUndoneByTheNextRun) {
  const wchar_t* const scratch = L"Software\\Vantrel tests\\Scratch\\Nested";
  const wchar_t* const existing = L"Software\\Vantrel scratch";
  const wchar_t stockText[] = L"stock";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, existing, L"VantrelScratch", REG_SZ, stockText, sizeof stockText),
            ERROR_SUCCESS);
  const std::string stockValue = UserValue(existing, L"VantrelScratch");

  const std::wstring scratchDll = testing::SystemFolder() + L"\\vantrel-scratch.dll";
  {
    std::FILE* out = _wfopen(scratchDll.c_str(), L"wb");
    ASSERT_NE(out, nullptr);
    std::fputs("original", out);
    std::fclose(out);
  }
  const std::wstring replacement = testing::SiblingProgram(L"tests\\no_factory_dxgi\\dxgi.dll");

  // As in a killed process, the guards never end (and their memory stays: ending them now would
  // undo the changes a second time).
  const DWORD changed = 7;
  auto* newKey = new testing::ScopedRegistryValue(scratch, L"Value", REG_DWORD, &changed, sizeof changed);
  auto* oldValue = new testing::ScopedRegistryValue(existing, L"VantrelScratch", REG_DWORD, &changed, sizeof changed);
  auto* dll = new testing::ReplacedSystemDll(L"vantrel-scratch.dll", replacement);
  EXPECT_TRUE(newKey->Set() && oldValue->Set() && dll->Replaced());
  EXPECT_EQ(FileBytes(scratchDll), FileBytes(replacement));

  testing::RepairInterruptedChanges();

  EXPECT_EQ(UserValue(existing, L"VantrelScratch"), stockValue);
  HKEY key = nullptr;
  const bool keysRemain =
      RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Vantrel tests", 0, KEY_READ, &key) == ERROR_SUCCESS;
  if (keysRemain) RegCloseKey(key);
  EXPECT_FALSE(keysRemain) << "the created keys and the record of changes are gone";
  EXPECT_EQ(FileBytes(scratchDll), "original");
  EXPECT_FALSE(FileExists(scratchDll + L".vantrel-original"));

  RegDeleteKeyW(HKEY_CURRENT_USER, existing);
  DeleteFileW(scratchDll.c_str());
}

}  // namespace
}  // namespace vantrel
