// The collection pass against the scripted fake WMI and DXGI: lines, report, echoes, order.
#include "collect/collection_pass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "collect/background_pass.h"
#include "collect/findings.h"
#include "fakes/fake_machine.h"
#include "fakes/platform_log.h"
#include "fakes/random_machine.h"
#include "probes/wmi_connection.h"
#include "support/captured_output.h"
#include "support/pass_runs.h"
#include "support/utf8_text.h"

namespace vantrel {
namespace {

using namespace testing;  // the fakes and the ten statements of the pass
using Lines = std::vector<std::wstring>;

FakeQueryAnswer One(const wchar_t* property, std::wstring text) {
  return FakeQueryAnswer{{FakeObject{{property, FakeValue::Text(std::move(text))}}}};
}

FakeObject Module(const wchar_t* locator, const wchar_t* bank, const wchar_t* capacity, FakeValue speed) {
  return FakeObject{{L"DeviceLocator", FakeValue::Text(locator)}, {L"BankLabel", FakeValue::Text(bank)},
                    {L"Capacity", FakeValue::Text(capacity)},     {L"Speed", std::move(speed)},
                    {L"Manufacturer", FakeValue::Text(L"VendorA")}, {L"PartNumber", FakeValue::Text(L"PN-8G-3200")}};
}

FakeObject Disk(LONG index, const wchar_t* model, const wchar_t* size) {
  return FakeObject{{L"Index", FakeValue::Int(index)},
                    {L"Model", FakeValue::Text(model)},
                    {L"Size", FakeValue::Text(size)},
                    {L"InterfaceType", FakeValue::Text(L"IDE")},
                    {L"PNPDeviceID", FakeValue::Text(L"SCSI\\DISK&VEN_X\\1")}};
}

FakeQueryAnswer Names(std::initializer_list<const wchar_t*> names) {
  FakeQueryAnswer answer;
  for (const wchar_t* name : names) answer.objects.push_back(FakeObject{{L"Name", FakeValue::Text(name)}});
  return answer;
}

// A 32-bit process cannot be handed 6 GiB of video memory; it gets 3 GiB in this example.
constexpr bool kWideSizes = sizeof(SIZE_T) == 8;
const SIZE_T kAdapterAMemory = kWideSizes ? static_cast<SIZE_T>(6442450944ull) : static_cast<SIZE_T>(3221225472u);
const wchar_t* const kAdapterALine = kWideSizes ? L"Graphics Adapter A ( 6 GB )" : L"Graphics Adapter A ( 3 GB )";

class CollectionPassTest : public ::testing::Test {
 protected:
  void AnswerWorkedExample() {
    Answer(kCaptionStatement, One(L"Caption", L"Windows 10 Pro"));
    Answer(kArchitectureStatement, One(L"OSArchitecture", L"64비트"));
    Answer(kProcessorStatement, One(L"Name", L"Example 6-Core Processor"));
    Answer(kTotalMemoryStatement, One(L"TotalPhysicalMemory", L"17113022464"));
    Answer(kModulesStatement, FakeQueryAnswer{{Module(L"DIMM 0", L"P0 CHANNEL A", L"8589934592", FakeValue::Int(3200)),
                                                Module(L"DIMM 1", L"P0 CHANNEL B", L"8589934592", FakeValue::Int(3200))}});
    Answer(kBoardMakerStatement, One(L"Manufacturer", L"VendorB"));
    Answer(kBoardProductStatement, One(L"Product", L"Board-X1"));
    Answer(kDisksStatement, FakeQueryAnswer{{Disk(0, L"SSD Model 500", L"500105249280"),
                                              Disk(1, L"HDD Model 2000", L"2000396321280")}});
    Answer(kSoundStatement, Names({L"Audio Device A", L"Audio Device B"}));
    dxgi_.adapters = {{L"Graphics Adapter A", kAdapterAMemory}, {L"Graphics Adapter B", 134217728}};
  }

  void Answer(MachineStatement statement, FakeQueryAnswer answer) {
    answer.firstObjectDelay = firstObjectDelay_;
    wmi_.Answer(StatementText(statement), std::move(answer));
  }

  PassResult Run() { return RunCollectionPass(lists_, report_); }

  const Lines& LinesOf(Category category) const { return lists_[category].Lines(); }

  std::string Echoed() { return output_.Echoed(); }

  // The report's lines without their CR LF; fails the test when a line lacks it.
  Lines ReportLines() const {
    Lines lines;
    std::size_t start = 0;
    while (start < report_.size()) {
      const std::size_t end = report_.find(L"\r\n", start);
      EXPECT_NE(end, std::wstring::npos) << "the report does not end in CR LF";
      if (end == std::wstring::npos) break;
      lines.push_back(report_.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }

  FakeMachine machine_;  // its disks do not say their kind, as under Wine
  FakeWmi& wmi_ = machine_.wmi;
  FakeDxgi& dxgi_ = machine_.dxgi;
  FakeDevices& devices_ = machine_.devices;
  std::array<MemoryCategoryList, kCategoryCount> lists_;
  std::wstring report_;
  testing::CapturedOutput output_;
  ULONGLONG firstObjectDelay_ = 0;  // of every answer the test scripts
};

const std::wstring kWorkedExampleReport = std::wstring(L"Windows 10 Pro (64비트)\r\n"
                                                      L"Example 6-Core Processor\r\n"
                                                      L"총 RAM: 16 GB\r\n"
                                                      L"DIMM 0 / P0 CHANNEL A : 8 GB / 3200 MHz / VendorA / PN-8G-3200\r\n"
                                                      L"DIMM 1 / P0 CHANNEL B : 8 GB / 3200 MHz / VendorA / PN-8G-3200\r\n"
                                                      L"Board-X1 (VendorB)\r\n") +
                                         kAdapterALine +
                                         L"\r\n"
                                         L"Graphics Adapter B ( 0 GB )\r\n"
                                         L"Disk 0 : SSD Model 500 (466 GB) / IDE\r\n"
                                         L"Disk 1 : HDD Model 2000 (2 TB) / IDE\r\n"
                                         L"Audio Device A\r\n"
                                         L"Audio Device B\r\n"
                                         L"ODD: 없음\r\n";
// The worked example's lines, category by category (its battery list's "없음" is in no report line).
const std::array<Lines, kCategoryCount> kWorkedExampleLines = {
    Lines{L"Windows 10 Pro (64비트)"},
    Lines{L"Example 6-Core Processor"},
    Lines{L"총 RAM: 16 GB", L"DIMM 0 / P0 CHANNEL A : 8 GB / 3200 MHz / VendorA / PN-8G-3200",
          L"DIMM 1 / P0 CHANNEL B : 8 GB / 3200 MHz / VendorA / PN-8G-3200"},
    Lines{L"Board-X1 (VendorB)"},
    Lines{kAdapterALine, L"Graphics Adapter B ( 0 GB )"},
    Lines{L"Disk 0 : SSD Model 500 (466 GB) / IDE", L"Disk 1 : HDD Model 2000 (2 TB) / IDE"},
    Lines{L"Audio Device A", L"Audio Device B"},
    Lines{L"없음"},
    Lines{}};
const char kWorkedExampleEcho[] =
    "Disk: SSD Model 500\nDisk: HDD Model 2000\nSound: Audio Device A\nSound: Audio Device B\n"
    "ODD: \xEC\x97\x86\xEC\x9D\x8C\n";

// On a desktop whose disks do not say their kind, as the fixture's devices are.
TEST_F(CollectionPassTest, WorkedExampleGivesTheThirteenReportLines) {
  AnswerWorkedExample();
  ASSERT_EQ(Run(), PassResult::kComplete);
  EXPECT_EQ(report_, kWorkedExampleReport);
  EXPECT_EQ(Echoed(), kWorkedExampleEcho);
  EXPECT_EQ(output_.Cout(), "");
}

// Slow but healthy WMI loses nothing: a wait that ends without an answer is followed by another,
// and a statement is given up only after 30 s without an object (60 s for the first).
TEST_F(CollectionPassTest, ASlowMachineLosesNothing) {
  struct Slow {
    const char* name;
    ULONGLONG each, first, cpu, total;
  };
  const Slow cases[] = {{"3 s each", 3000, 3000, 3000, 30000},
                        {"5 s each", 5000, 5000, 5000, 50000},
                        {"a cold first statement of 50 s", 0, 50000, 0, 50000},
                        {"a processor statement of 25 s", 0, 0, 25000, 25000}};
  for (const Slow& slow : cases) {
    SCOPED_TRACE(slow.name);
    wmi_.now = 0;
    output_.Clear();
    wmi_.unscripted.firstObjectDelay = firstObjectDelay_ = slow.each;
    AnswerWorkedExample();
    firstObjectDelay_ = slow.first;
    Answer(kCaptionStatement, One(L"Caption", L"Windows 10 Pro"));
    firstObjectDelay_ = slow.cpu;
    Answer(kProcessorStatement, One(L"Name", L"Example 6-Core Processor"));
    ASSERT_EQ(Run(), PassResult::kComplete);
    EXPECT_EQ(wmi_.now, slow.total);
    EXPECT_EQ(report_, kWorkedExampleReport);
    EXPECT_EQ(Echoed(), kWorkedExampleEcho);
  }
}

const std::wstring kNotAnswered = L"확인 못 함 (Windows 응답 시간 초과)";

// Every provider hangs: waits of 5 s at most, each statement given up after 30 s without an
// object (the first after 60 s); each category says it got no answer, never that the hardware is
// missing.
TEST_F(CollectionPassTest, AWmiThatNeverAnswersGivesEveryCategoryItsNotice) {
  wmi_.unscripted.hangFrom = 0;
  dxgi_.adapters = {{L"Graphics Adapter B", 134217728}};
  ASSERT_EQ(Run(), PassResult::kIncomplete);

  for (const auto& call : wmi_.nextCalls) EXPECT_EQ(call.timeout, 5000);
  EXPECT_EQ(wmi_.now, 60000u + 9 * 30000u);
  for (Category category : {kOs, kCpu, kRam, kMainBoard, kHdd, kSound, kOdd}) {
    EXPECT_EQ(LinesOf(category), Lines{kNotAnswered}) << category;
  }
  EXPECT_EQ(ReportLines(), (Lines{L"OS: " + kNotAnswered, L"CPU: " + kNotAnswered, L"RAM: " + kNotAnswered,
                                  L"Main Board: " + kNotAnswered, L"Graphics Adapter B ( 0 GB )",
                                  L"Disk: " + kNotAnswered, L"Sound: " + kNotAnswered, L"ODD: " + kNotAnswered}));
  EXPECT_EQ(Echoed(),
            "WMI Timeout: Win32_OperatingSystem\nWMI Timeout: Win32_OperatingSystem\nWMI Timeout: Win32_Processor\n"
            "WMI Timeout: Win32_ComputerSystem\nWMI Timeout: Win32_PhysicalMemory\nWMI Timeout: Win32_BaseBoard\n"
            "WMI Timeout: Win32_BaseBoard\nWMI Timeout: Win32_DiskDrive\nWMI Timeout: Win32_SoundDevice\n"
            "WMI Timeout: Win32_CDROMDrive\n");
  for (const MemoryCategoryList& list : lists_) EXPECT_EQ(list.Selected(), 0);
  EXPECT_EQ(wmi_.OutstandingReferences(), 0);
}

// Lines read before a statement that got no answer in time, or failed, stay, and only their
// category says so, once: that it got no answer, or the failure's code, never "없음". A line built
// from a missing answer is left out; a stuck sound provider costs its 30 s and its category only.
TEST_F(CollectionPassTest, LinesReadBeforeATimeOutOrFailureStayAndOnlyTheirCategoryIsMarked) {
  AnswerWorkedExample();
  FakeQueryAnswer total = One(L"TotalPhysicalMemory", L"17113022464");
  total.hangFrom = 0;
  Answer(kTotalMemoryStatement, total);
  FakeQueryAnswer maker;
  maker.execQueryResult = WBEM_E_INVALID_CLASS;
  Answer(kBoardMakerStatement, maker);
  FakeQueryAnswer disks{{Disk(0, L"SSD Model 500", L"500105249280"), Disk(1, L"HDD Model 2000", L"2000396321280"),
                         Disk(2, L"Never read", L"0")}};
  disks.failNextAt = 2;
  disks.nextFailure = WBEM_E_TRANSPORT_FAILURE;
  Answer(kDisksStatement, disks);
  FakeQueryAnswer sound = Names({L"Audio Device A"});
  sound.hangFrom = 0;
  Answer(kSoundStatement, sound);
  Answer(kOpticalStatement, Names({L"DVD-RW"}));
  ASSERT_EQ(Run(), PassResult::kIncomplete);

  const std::wstring invalidClass = L"확인 못 함 (Windows 오류 0x80041010)";
  const std::wstring transport = L"확인 못 함 (Windows 오류 0x80041015)";
  const std::wstring disk0 = L"Disk 0 : SSD Model 500 (466 GB) / IDE", disk1 = L"Disk 1 : HDD Model 2000 (2 TB) / IDE";
  EXPECT_EQ(wmi_.now, 2 * 30000u);
  EXPECT_EQ(LinesOf(kHdd), (Lines{disk0, disk1, transport}));
  EXPECT_EQ(ReportLines(), (Lines{L"Windows 10 Pro (64비트)", L"Example 6-Core Processor",
                                  L"DIMM 0 / P0 CHANNEL A : 8 GB / 3200 MHz / VendorA / PN-8G-3200",
                                  L"DIMM 1 / P0 CHANNEL B : 8 GB / 3200 MHz / VendorA / PN-8G-3200",
                                  L"RAM: " + kNotAnswered, L"Main Board: " + invalidClass, kAdapterALine,
                                  L"Graphics Adapter B ( 0 GB )", disk0, disk1, L"Disk: " + transport,
                                  L"Sound: " + kNotAnswered, L"DVD-RW"}));
  EXPECT_EQ(Echoed(), "WMI Timeout: Win32_ComputerSystem\nWMI Error: Win32_BaseBoard 0x80041010\n"
                      "Disk: SSD Model 500\nDisk: HDD Model 2000\nWMI Error: Win32_DiskDrive 0x80041015\n"
                      "WMI Timeout: Win32_SoundDevice\nODD: DVD-RW\n");
}

// On its own thread the pass is waited for 90 s at most, the connection included: what came by
// then shows, a category cut short keeps the lines it had read and the trouble it had met, the
// rest says it got no answer, the statement being asked is echoed, and nothing that the abandoned
// pass reads later is said. The batteries, which never wait on WMI, are read before it.
TEST_F(CollectionPassTest, OnItsOwnThreadThePassIsGivenUpAfterNinetySeconds) {
  FakeQueryAnswer hanging, slow, slower, fiveDisks{{Disk(0, L"A", L"0"), Disk(1, L"B", L"0"), Disk(2, L"C", L"0"),
                                                     Disk(3, L"D", L"0"), Disk(4, L"E", L"0")}};
  hanging.hangFrom = 0;
  slow.firstObjectDelay = 10000;  // seven statements before the disks: 70 s
  slower.firstObjectDelay = 17000;  // the board's maker reached at 78 s, its product cut at 90 s
  FakeQueryAnswer twoOfFiveDisks = fiveDisks;
  twoOfFiveDisks.hangFrom = 2;
  FakeQueryAnswer invalidClass;
  invalidClass.execQueryResult = WBEM_E_INVALID_CLASS;
  const Lines notAnswered = {L"OS: " + kNotAnswered, L"CPU: " + kNotAnswered, L"RAM: " + kNotAnswered,
                             L"Main Board: " + kNotAnswered, L"Graphics Adapter B ( 0 GB )"};
  const Lines cutShort = {L"Disk: " + kNotAnswered, L"Sound: " + kNotAnswered, L"ODD: " + kNotAnswered,
                          L"배터리 0 : 80% (40000 / 50000 mWh)"};
  const struct {
    const char* what;
    FakeQueryAnswer unscripted, disks, boardMaker;
    bool connectHangs;
    Lines report;
    const char* echoed;
  } cases[] = {
      {"every provider", hanging, fiveDisks, hanging, false, notAnswered,
       "WMI Timeout: Win32_OperatingSystem\nWMI Timeout: Win32_Processor\nWMI Timeout: Win32_ComputerSystem\n"},
      {"the connection", FakeQueryAnswer(), fiveDisks, FakeQueryAnswer(), true, notAnswered, "WMI Timeout: connect\n"},
      {"the disks after two of five", slow, twoOfFiveDisks, slow, false,
       {L"", L"", L"총 RAM: 0 GB", L" ()", L"Graphics Adapter B ( 0 GB )", L"Disk 0 : A (0) / IDE",
        L"Disk 1 : B (0) / IDE"},
       "Disk: A\nDisk: B\nWMI Timeout: Win32_DiskDrive\n"},
      {"the board after its maker failed", slower, fiveDisks, invalidClass, false,
       {L"", L"", L"총 RAM: 0 GB", L"Main Board: 확인 못 함 (Windows 오류 0x80041010)", L"Graphics Adapter B ( 0 GB )"},
       "WMI Error: Win32_BaseBoard 0x80041010\nWMI Timeout: Win32_BaseBoard\n"}};
  dxgi_.adapters = {{L"Graphics Adapter B", 134217728}};
  devices_.batteries = {FakeBattery{}};
  for (const auto& stuck : cases) {
    SCOPED_TRACE(stuck.what);
    wmi_.now = 0;
    wmi_.unscripted = stuck.unscripted;
    wmi_.connectHangs = stuck.connectHangs;
    Answer(kDisksStatement, stuck.disks);
    wmi_.Answer(StatementText(kBoardMakerStatement), stuck.boardMaker);
    // An operating system that answers in 10 s: the limit falls inside a statement, never between two.
    wmi_.Answer(StatementText(kCaptionStatement), slow);
    // Answered at once, but reached only after the limit.
    Answer(kSoundStatement, Names({L"Late sound"}));
    Answer(kOpticalStatement, Names({L"DVD-RW"}));
    output_.Clear();
    const UniqueHandle ended = NewEvent();
    BackgroundPass pass(SignallingPass(ended.get()));
    pass.WaitUntilOver();
    ASSERT_EQ(WaitForSingleObject(ended.get(), 60000), WAIT_OBJECT_0);
    EXPECT_EQ(pass.Result(), PassResult::kIncomplete);
    ShowOutcomes(pass.Outcomes(), ListsOf(lists_), report_);
    Lines expected = stuck.report;
    expected.insert(expected.end(), cutShort.begin(), cutShort.end());
    EXPECT_EQ(ReportLines(), expected);
    EXPECT_EQ(Echoed(), stuck.echoed);
  }
}

// What kind each disk is, and what it says of its use, end its line; each system battery gets a
// line of its own. A desktop whose disks do not say is reported exactly as before these were
// asked. Each drive is asked by its row's Index, which here is not the row's place.
TEST_F(CollectionPassTest, DisksEndInTheirKindAndEachSystemBatteryGetsALine) {
  const std::wstring disk5 = L"Disk 5 : SSD Model 500 (466 GB) / IDE", disk3 = L"Disk 3 : HDD Model 2000 (2 TB) / IDE";
  const std::wstring denied = L"확인 못 함 (Windows 오류 0x80070005)";
  const FakeBattery worn{52600, 41040, 412}, fresh{50000, 40000};
  FakeDisk nvme{0, 17}, warning{0, 11, 1}, refusing{0, 17};
  nvme.health.bytes = {{5, 2}, {128, 0x30}, {129, 0x0C}};     // 2% used, 3120 hours
  warning.health.bytes = {{2, 9}, {7, 0x90}, {8, 0x55}};      // attribute 9: 21904 hours
  warning.health.predictFailure = 1;
  refusing.health.error = ERROR_NOT_SUPPORTED;  // an older driver, or Windows 7
  const struct {
    std::map<DWORD, FakeDisk> drives;
    std::vector<FakeBattery> batteries;
    DWORD listError;
    PassResult result;
    Lines disks, batteryList, batteryReport;
  } cases[] = {
      {{{5, {0, 11, 0}}, {3, {0, 11, 1}}}, {worn, fresh}, 0, PassResult::kComplete,
       {disk5 + L" / SSD", disk3 + L" / HDD"},
       {L"배터리 0 : 78% (41040 / 52600 mWh) / 충전 412회", L"배터리 1 : 80% (40000 / 50000 mWh)"},
       {L"배터리 0 : 78% (41040 / 52600 mWh) / 충전 412회", L"배터리 1 : 80% (40000 / 50000 mWh)"}},
      {{{5, refusing}, {3, {0, 11, 0}}}, {}, ERROR_ACCESS_DENIED, PassResult::kIncomplete,
       {disk5 + L" / NVMe SSD", disk3 + L" / SSD"}, {denied}, {L"Battery: " + denied}},
      {{{5, nvme}, {3, warning}}, {}, 0, PassResult::kComplete,
       {disk5 + L" / NVMe SSD / 사용시간 3120시간 / 수명 98%", disk3 + L" / HDD / 사용시간 21904시간 / 고장 예측"}, {L"없음"}, {}}};
  for (const auto& machine : cases) {
    AnswerWorkedExample();
    Answer(kDisksStatement, FakeQueryAnswer{{Disk(5, L"SSD Model 500", L"500105249280"),
                                              Disk(3, L"HDD Model 2000", L"2000396321280")}});
    output_.Clear();
    devices_.disks = machine.drives;
    devices_.deviceListError = 0;  // the platform's disk list, which says their kinds
    devices_.batteries = machine.batteries;
    devices_.listError = machine.listError;
    ASSERT_EQ(Run(), machine.result);
    EXPECT_EQ(LinesOf(kHdd), machine.disks);
    EXPECT_EQ(LinesOf(kBattery), machine.batteryList);
    const Lines report = ReportLines();
    EXPECT_EQ(Lines(report.begin() + 13, report.end()), machine.batteryReport);
    EXPECT_EQ(Echoed(), kWorkedExampleEcho) << "the disks' echo stays the model alone";
  }
}

// Each category shows WMI's lines when all its statements answered, else the platform's whole,
// with a line that says where they came from and why, else what came and WMI's notice.
TEST_F(CollectionPassTest, EachCategoryShowsWmisReadingElseThePlatformsElseWhatCame) {
  std::array<Lines, kCategoryCount> byWmi = kWorkedExampleLines, byPlatform;
  // WMI's modules take their generation from the firmware's records of the same locators.
  byWmi[kRam][1] += L" / DDR4", byWmi[kRam][2] += L" / DDR4";
  byWmi[kOdd] = {L"ODD: 없음"};
  byPlatform[kCpu] = byWmi[kCpu], byPlatform[kVga] = byWmi[kVga];
  byPlatform[kOs] = {L"Microsoft Windows 10 Pro (64비트)"};
  byPlatform[kRam] = {L"총 RAM: 16 GB", L"DIMM 0 / P0 CHANNEL A : 8 GB / 2400 MHz / Samsung / M378A1K43CB2-CRC    / DDR4",
                      L"DIMM 1 / P0 CHANNEL B : 8 GB / 2400 MHz / Team Group Inc. / TEAMGROUP-UD4-3200 / DDR4"};
  byPlatform[kMainBoard] = {L"PRIME B450M-A (ASUSTeK COMPUTER INC.)"};
  byPlatform[kHdd] = {L"Disk 0 : SSD Model 500 (466 GB) / IDE"};
  byPlatform[kSound] = {L"Audio Device A"};
  byPlatform[kOdd] = {L"DVD-RW Drive"};
  const std::vector<Category> every = {kOs, kCpu, kRam, kMainBoard, kHdd, kSound, kOdd};
  enum Cut { kNone, kLimit, kButton };
  const struct {
    const char* what;
    HRESULT connect;
    std::vector<MachineStatement> failing;  // with 0x80041010
    Cut cut;
    bool platformAnswers;
    std::vector<Category> fromPlatform;
    const wchar_t* trouble;  // WMI's, as said beside each category from the platform, or in a notice
    PassResult result;
  } cases[] = {
      {"both readings failed", static_cast<HRESULT>(WBEM_E_ACCESS_DENIED), {}, kNone, false, {}, L"0x80041003", PassResult::kWmiUnavailable},  // first, while the platform's sources still fail
      {"WMI answered", S_OK, {}, kNone, true, {}, L"", PassResult::kComplete},
      {"WMI could not be opened", static_cast<HRESULT>(WBEM_E_ACCESS_DENIED), {}, kNone, true, every, L"0x80041003", PassResult::kComplete},
      {"two statements failed", S_OK, {kProcessorStatement, kDisksStatement}, kNone, true, {kCpu, kHdd}, L"0x80041010",
       PassResult::kComplete},
      {"the limit", S_OK, {}, kLimit, true, every, L"Timeout", PassResult::kComplete},
      {"the button", S_OK, {}, kButton, true, every, L"Skipped", PassResult::kComplete}};
  for (const auto& machine : cases) {
    SCOPED_TRACE(machine.what);
    wmi_.now = 0;
    AnswerWorkedExample();
    if (machine.platformAnswers) machine_.AnswerFromThePlatform();
    wmi_.connectServerResult = machine.connect;
    FakeQueryAnswer failed;
    failed.execQueryResult = WBEM_E_INVALID_CLASS;
    for (const MachineStatement statement : machine.failing) Answer(statement, failed);
    FakeQueryAnswer hanging;
    hanging.hangFrom = 0;
    for (std::size_t s = 0; s < kMachineStatementCount && machine.cut != kNone; ++s) {
      wmi_.Answer(StatementText(static_cast<MachineStatement>(s)), hanging);
    }
    output_.Clear();
    const UniqueHandle ended = NewEvent(), platformDone = NewEvent();
    BackgroundPass pass(SignallingPass(ended.get(), platformDone.get()));
    pass.Start();
    if (machine.cut == kButton) {
      ASSERT_EQ(WaitForSingleObject(platformDone.get(), 60000), WAIT_OBJECT_0);
      pass.GiveUp();
    }
    pass.WaitUntilOver();
    ASSERT_EQ(WaitForSingleObject(ended.get(), 60000), WAIT_OBJECT_0);
    EXPECT_EQ(pass.Result(), machine.result);
    ShowOutcomes(pass.Outcomes(), ListsOf(lists_), report_);
    Lines expected;
    std::string said;
    for (const CategoryInfo& info : Categories()) {
      const bool fromPlatform =
          std::find(machine.fromPlatform.begin(), machine.fromPlatform.end(), info.category) != machine.fromPlatform.end();
      if (info.FromWmi() && machine.result != PassResult::kComplete) {
        expected.push_back(std::wstring(info.reportName) + L": 확인 못 함 (Windows 오류 " + machine.trouble + L")");
        continue;
      }
      const Lines& lines = fromPlatform ? byPlatform[info.category] : byWmi[info.category];
      expected.insert(expected.end(), lines.begin(), lines.end());
      if (fromPlatform) {
        said = Utf8Of(std::wstring(info.reportName) + L": read from " + info.platformSource + L" (WMI " + machine.trouble + L")\n");
        EXPECT_NE(Echoed().find(said), std::string::npos) << said;
      }
    }
    EXPECT_EQ(ReportLines(), expected);
  }
}

// What the platform's reading found serves WMI's rows once it is published, even after a row
// gave up waiting for it; a module's generation only where one record has its locators (the
// pass's tests cover what rows make of it).
TEST(Findings, ServeWmisRowsOnceTheyAreThere) {
  Findings findings;
  EXPECT_FALSE(findings.DiskOf(L"0", 0)) << "nothing published yet";
  EXPECT_EQ(findings.GenerationOf(L"DIMM 0", L"A", 0), L"");
  MemoryModule ddr4;
  ddr4.deviceLocator = L"DIMM 0", ddr4.bankLocator = L"A", ddr4.memoryType = 0x1A;
  findings.PublishDisks({{0, DiskFinding{DriveKind::kSsd, {}}}});
  findings.PublishDisks({});  // once only
  MemoryModule twice = ddr4;
  twice.deviceLocator = L"DIMM 1";
  findings.PublishModules({ddr4, twice, twice});
  EXPECT_EQ(findings.DiskOf(L"0", 0).value().kind, DriveKind::kSsd);
  EXPECT_EQ(findings.GenerationOf(L"DIMM 0", L"A", 0), L"DDR4");
  EXPECT_EQ(findings.GenerationOf(L"DIMM 1", L"A", 0), L"") << "two records name it";
}

TEST_F(CollectionPassTest, WorkedExampleFillsEachCategoryAndSelectsItsFirstLine) {
  AnswerWorkedExample();
  ASSERT_EQ(Run(), PassResult::kComplete);

  for (const CategoryInfo& info : Categories()) {
    if (info.category == kBattery) continue;
    EXPECT_EQ(LinesOf(info.category), kWorkedExampleLines[info.category]) << info.reportName;
  }
  for (const MemoryCategoryList& list : lists_) EXPECT_EQ(list.Selected(), 0);
}

TEST_F(CollectionPassTest, ReadsTheAdaptersFirstThenIssuesEachStatementOnceInOrder) {
  AnswerWorkedExample();
  ASSERT_EQ(Run(), PassResult::kComplete);

  Lines expected{L"CreateDXGIFactory1"};
  for (std::size_t i = 0; i < kMachineStatementCount; ++i) {
    expected.push_back(std::wstring(L"ExecQuery: ") + StatementText(static_cast<MachineStatement>(i)));
  }
  EXPECT_EQ(testing::PlatformLog(), expected);
}

TEST_F(CollectionPassTest, ClosesTheConnectionAndReleasesEveryReference) {
  AnswerWorkedExample();
  ASSERT_EQ(Run(), PassResult::kComplete);
  EXPECT_EQ(wmi_.uninitializeCount, 1);
  EXPECT_EQ(wmi_.OutstandingReferences(), 0);
  EXPECT_EQ(dxgi_.OutstandingReferences(), 0);
}

// Each WMI category says the open failed, with the failing step's code; the adapters are still read.
TEST_F(CollectionPassTest, FailedOpenSaysSoInEveryWmiCategoryAndStillReadsTheAdapters) {
  wmi_.connectServerResult = WBEM_E_ACCESS_DENIED;
  dxgi_.adapters = {{L"Graphics Adapter B", 134217728}};

  EXPECT_EQ(Run(), PassResult::kWmiUnavailable);

  const std::wstring failed = L"확인 못 함 (Windows 오류 0x80041003)";
  EXPECT_EQ(Echoed(), "WMI Init Failed\n");
  EXPECT_EQ(ReportLines(), (Lines{L"OS: " + failed, L"CPU: " + failed, L"RAM: " + failed, L"Main Board: " + failed,
                                  L"Graphics Adapter B ( 0 GB )", L"Disk: " + failed, L"Sound: " + failed,
                                  L"ODD: " + failed}));
  EXPECT_EQ(LinesOf(kCpu), Lines{failed});
  EXPECT_TRUE(wmi_.statements.empty());
  EXPECT_EQ(wmi_.uninitializeCount, 1) << "the pass gives back its share of COM after a failed open too";
  EXPECT_EQ(wmi_.OutstandingReferences(), 0);
}

TEST_F(CollectionPassTest, EmptyMachineGivesEveryFallback) {
  ASSERT_EQ(Run(), PassResult::kComplete);

  EXPECT_EQ(report_, L"\r\n\r\n총 RAM: 0 GB\r\n ()\r\nDisk: 없음\r\nSound: 없음\r\nODD: 없음\r\n");
  EXPECT_EQ(LinesOf(kOs), Lines{L""});
  EXPECT_EQ(LinesOf(kCpu), Lines{L""});
  EXPECT_EQ(LinesOf(kRam), Lines{L"총 RAM: 0 GB"});
  EXPECT_EQ(LinesOf(kMainBoard), Lines{L" ()"});
  EXPECT_EQ(LinesOf(kVga), Lines{L"없음"});
  EXPECT_EQ(LinesOf(kHdd), Lines{L"없음"});
  EXPECT_EQ(LinesOf(kSound), Lines{L"없음"});
  EXPECT_EQ(LinesOf(kOdd), Lines{L"없음"});
  EXPECT_EQ(Echoed(), "ODD: \xEC\x97\x86\xEC\x9D\x8C\n") << "only the missing optical drive is echoed";
  for (const MemoryCategoryList& list : lists_) EXPECT_EQ(list.Selected(), 0);
}

TEST_F(CollectionPassTest, ResetsTheListsAndTheReportBeforeFilling) {
  for (MemoryCategoryList& list : lists_) list.Append(L"stale");
  report_ = L"stale\r\n";
  ASSERT_EQ(Run(), PassResult::kComplete);
  EXPECT_EQ(report_.find(L"stale"), std::wstring::npos);
  for (const MemoryCategoryList& list : lists_) EXPECT_NE(list.Lines().front(), L"stale");
}

struct SuffixCase {
  const char* name;
  const wchar_t* caption;
  const wchar_t* architecture;
  const wchar_t* line;
};

class OsSuffixTest : public CollectionPassTest, public ::testing::WithParamInterface<SuffixCase> {};

TEST_P(OsSuffixTest, FollowsTheFirstRuleThatApplies) {
  Answer(kCaptionStatement, One(L"Caption", GetParam().caption));
  Answer(kArchitectureStatement, One(L"OSArchitecture", GetParam().architecture));
  ASSERT_EQ(Run(), PassResult::kComplete);
  EXPECT_EQ(LinesOf(kOs), Lines{GetParam().line});
}

INSTANTIATE_TEST_SUITE_P(
    Architectures, OsSuffixTest,
    ::testing::Values(SuffixCase{"Korean64", L"Windows 10 Pro", L"64비트", L"Windows 10 Pro (64비트)"},
                      SuffixCase{"English64", L"Windows 7", L"64-bit", L"Windows 7 (64비트)"},
                      SuffixCase{"English32", L"Windows 7", L"32-bit", L"Windows 7 (32비트)"},
                      SuffixCase{"SixtyFourRuleFirst", L"W", L"32 or 64", L"W (64비트)"},
                      SuffixCase{"Arm", L"W", L"ARM", L"W (ARM)"},
                      SuffixCase{"NoArchitecture", L"W", L"", L"W"},
                      SuffixCase{"TrailingSpaceKept", L"Caption ", L"64", L"Caption  (64비트)"},
                      SuffixCase{"Arm64", L"", L"ARM64", L" (64비트)"}),
    [](const ::testing::TestParamInfo<SuffixCase>& info) { return std::string(info.param.name); });

TEST_F(CollectionPassTest, OddMemoryAndBoardTextsStayInTheirFields) {
  Answer(kTotalMemoryStatement, One(L"TotalPhysicalMemory", L"lots"));
  Answer(kModulesStatement, FakeQueryAnswer{{Module(L"A", L"B", L"", FakeValue::Failure(WBEM_E_NOT_FOUND)),
                                              Module(L"C", L"D", L"-8589934592", FakeValue::Null())}});
  Answer(kBoardMakerStatement, One(L"Manufacturer", L"%s maker"));
  ASSERT_EQ(Run(), PassResult::kComplete);

  EXPECT_EQ(LinesOf(kRam), (Lines{L"총 RAM: 0 GB", L"A / B : 0 GB /  MHz / VendorA / PN-8G-3200",
                                  L"C / D : 0 GB /  MHz / VendorA / PN-8G-3200"}));
  EXPECT_EQ(LinesOf(kMainBoard), Lines{L" (%s maker)"});
}

TEST_F(CollectionPassTest, DisksKeepTheirDeliveryOrderAndZeroSizeReadsAsTheDigitZero) {
  Answer(kDisksStatement, FakeQueryAnswer{{Disk(1, L"Second", L""), Disk(0, L"First", L"0"),
                                            Disk(2, L"Huge", L"99999999999999999999999999999")}});
  ASSERT_EQ(Run(), PassResult::kComplete);
  EXPECT_EQ(LinesOf(kHdd), (Lines{L"Disk 1 : Second (0) / IDE", L"Disk 0 : First (0) / IDE",
                                  L"Disk 2 : Huge (16777216 TB) / IDE"}));
  EXPECT_EQ(Echoed(), "Disk: Second\nDisk: First\nDisk: Huge\nODD: \xEC\x97\x86\xEC\x9D\x8C\n");
}

// "없음" only for a list read to its end; a failure is said after the adapters that came, and
// leaves the report incomplete.
TEST_F(CollectionPassTest, NoAdapterLeavesNoVgaLineInTheReportAndAFailureSaysSo) {
  const std::wstring failed = L"확인 못 함 (Windows 오류 0x887A0004)";
  const struct {
    HRESULT createResult;
    int failEnumAt;
    std::vector<FakeAdapter> adapters;
    PassResult result;
    Lines list, reportLines;
  } cases[] = {
      {S_OK, -1, {}, PassResult::kComplete, {L"없음"}, {}},
      {DXGI_ERROR_UNSUPPORTED, -1, {}, PassResult::kIncomplete, {failed}, {L"VGA: " + failed}},
      {S_OK, 1, {{L"Graphics Adapter B", 134217728}, {L"Never read", 0}}, PassResult::kIncomplete,
       {L"Graphics Adapter B ( 0 GB )", failed}, {L"Graphics Adapter B ( 0 GB )", L"VGA: " + failed}},
      {S_OK, -1, {{L"Undescribed", 0, 0, DXGI_ERROR_UNSUPPORTED}}, PassResult::kIncomplete, {failed}, {L"VGA: " + failed}}};
  for (const auto& adapters : cases) {
    AnswerWorkedExample();
    dxgi_.createResult = adapters.createResult;
    dxgi_.adapters = adapters.adapters;
    dxgi_.failEnumAt = adapters.failEnumAt;
    dxgi_.enumFailure = DXGI_ERROR_UNSUPPORTED;
    ASSERT_EQ(Run(), adapters.result);
    const Lines report = ReportLines();
    const std::size_t vgaLines = adapters.reportLines.size();
    ASSERT_EQ(report.size(), 11 + vgaLines);  // six lines before the adapters' and five after
    EXPECT_EQ(Lines(report.begin() + 6, report.begin() + 6 + static_cast<std::ptrdiff_t>(vgaLines)), adapters.reportLines);
    EXPECT_EQ(LinesOf(kVga), adapters.list);
  }
}

}  // namespace
}  // namespace vantrel
