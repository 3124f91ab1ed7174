// Prints what the program costs against what the platform's answers cost, under one set of
// conditions: medians over repeated runs in one invocation. Figures, not verdicts.
//   floor:   the ten WQL statements and the adapter enumeration, with no text built (the argument
//            "floor" runs it once and exits, to time against VantrelReport.exe as whole processes)
//   pass:    the collection pass in this process, with in-memory lists
//   start:   Vantrel.exe from process creation to its window being visible
//   wmic:    the same information through the command-line tool, one call per category
//   report:  VantrelReport.exe from process creation to its end, in pairs with the floor as a
//            process of its own ("floor"), and the median of the pairs' ratios
//   readings: each of the pass's two readings alone, in this process (they run side by side)
//   sources: each of the platform's own sources alone
//   drive kind, battery: the two device probes on this machine's real drive 0 and batteries; the
//            battery probe's first call, which loads setupapi.dll as the pass's one call does, once
//   slow, stuck: a WMI that takes 5 s before every statement's first object, and one whose every
//            provider hangs (fakes whose waits really pass), under the program's own start in
//            this process: the first visible window, the longest the window's thread left a
//            message unanswered, and the spec window; once each, about 50 s and 90 s
#include <windows.h>
#include <dxgi.h>
#include <psapi.h>
#include <wbemcli.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/programs.h"
#include "app/vantrel_app.h"
#include "collect/collection_pass.h"
#include "collect/echo.h"
#include "fakes/fake_wmi.h"
#include "fakes/random_machine.h"
#include "probes/batteries.h"
#include "probes/com_ptr.h"
#include "probes/device_entry_points.h"
#include "probes/device_lists.h"
#include "probes/disk_health.h"
#include "probes/drive_kind.h"
#include "probes/platform_facts.h"
#include "probes/smbios.h"
#include "probes/unique_handle.h"
#include "support/program_under_test.h"
#include "window/vantrel_dlg.h"

namespace {

using vantrel::Bstr;
using vantrel::ComPtr;

void RunStatement(IWbemServices* services, vantrel::testing::MachineStatement statement) {
  Bstr language(L"WQL");
  Bstr query(vantrel::testing::StatementText(statement).c_str());
  ComPtr<IEnumWbemClassObject> results;
  if (FAILED(services->ExecQuery(language.Get(), query.Get(), WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                 nullptr, results.Put()))) {
    return;
  }
  for (;;) {
    ComPtr<IWbemClassObject> object;
    ULONG returned = 0;
    if (FAILED(results->Next(WBEM_INFINITE, 1, object.Put(), &returned)) || returned == 0) break;
    for (const std::wstring& property : vantrel::testing::StatementProperties(statement)) {
      vantrel::Variant value;
      object->Get(property.c_str(), 0, value.Put(), nullptr, nullptr);
    }
  }
}

void EnumerateAdaptersRaw() {
  using CreateFactory = HRESULT(WINAPI*)(REFIID, void**);
  static HMODULE dxgi = LoadLibraryW(L"dxgi.dll");
  auto create = dxgi != nullptr ? reinterpret_cast<CreateFactory>(
                                      reinterpret_cast<void*>(GetProcAddress(dxgi, "CreateDXGIFactory1")))
                                : nullptr;
  ComPtr<IDXGIFactory1> factory;
  if (create == nullptr || FAILED(create(__uuidof(IDXGIFactory1), factory.PutVoid()))) return;
  for (UINT index = 0;; ++index) {
    ComPtr<IDXGIAdapter1> adapter;
    if (factory->EnumAdapters1(index, adapter.Put()) == DXGI_ERROR_NOT_FOUND) break;
    DXGI_ADAPTER_DESC1 description{};
    adapter->GetDesc1(&description);
  }
}

// The platform's own cost: the same connection, statements and enumeration, nothing built.
void PlatformFloor() {
  const HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                       EOAC_NONE, nullptr);
  {
    ComPtr<IWbemLocator> locator;
    ComPtr<IWbemServices> services;
    if (SUCCEEDED(CoCreateInstance(__uuidof(WbemLocator), nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWbemLocator),
                                   locator.PutVoid()))) {
      Bstr path(L"ROOT\\CIMV2");
      if (SUCCEEDED(locator->ConnectServer(path.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, services.Put())) &&
          SUCCEEDED(CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                      RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE))) {
        using vantrel::testing::MachineStatement;
        EnumerateAdaptersRaw();  // first, as the pass does
        for (std::size_t i = 0; i < vantrel::testing::kMachineStatementCount; ++i) {
          RunStatement(services.Get(), static_cast<MachineStatement>(i));
        }
      }
    }
  }
  if (SUCCEEDED(init)) CoUninitialize();
}

void RunPassHere() {
  std::array<vantrel::MemoryCategoryList, vantrel::kCategoryCount> lists;
  std::wstring report;
  vantrel::RunCollectionPass(lists, report);
}

double Milliseconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0.0 : values[values.size() / 2];
}

double MedianOf(int runs, const std::function<double()>& run) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) times.push_back(run());
  return Median(times);
}

struct WindowStart {
  double milliseconds = 0;
  SIZE_T peakWorkingSet = 0;
};

// From process creation until the spec window is visible; then the peak working set so far.
WindowStart StartVantrel() {
  WindowStart result;
  const auto start = std::chrono::steady_clock::now();
  vantrel::testing::ProgramUnderTest program(vantrel::testing::VantrelExe());
  HWND window = nullptr;
  while (window == nullptr && program.Started() && !program.WaitForExit(0) &&
         std::chrono::steady_clock::now() - start < std::chrono::seconds(60)) {
    window = vantrel::testing::FindProcessDialog(program.ProcessId());
    if (window == nullptr) Sleep(1);
  }
  result.milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, program.ProcessId());
  PROCESS_MEMORY_COUNTERS counters{};
  if (process != nullptr && GetProcessMemoryInfo(process, &counters, sizeof counters)) {
    result.peakWorkingSet = counters.PeakWorkingSetSize;
  }
  if (process != nullptr) CloseHandle(process);
  if (window != nullptr) PostMessageW(window, WM_CLOSE, 0, 0);
  program.WaitForExit(10000);
  return result;
}

// One whole run of a program, its output thrown away: the milliseconds from its creation to its
// end, or none when it did not start. (Wine's figure for another process's CPU time is not that
// process's, so none is taken.)
std::optional<double> RunWhole(const std::wstring& program, std::wstring commandLine) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const vantrel::UniqueHandle nul(CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = nul.get();
  PROCESS_INFORMATION process{};
  bool started = false;
  const double milliseconds = Milliseconds([&] {
    started = CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    if (!started) return;
    const vantrel::UniqueHandle owned(process.hProcess), thread(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
  });
  return started ? std::optional<double>(milliseconds) : std::nullopt;
}

// The tool a user would reach for instead: one wmic call per category.
void WmicPerCategory() {
  static const wchar_t* const kCalls[] = {
      L"os get Caption,OSArchitecture",
      L"cpu get Name",
      L"computersystem get TotalPhysicalMemory",
      L"memorychip get DeviceLocator,BankLabel,Capacity,Speed,Manufacturer,PartNumber",
      L"baseboard get Manufacturer,Product",
      L"path Win32_VideoController get Name,AdapterRAM",
      L"diskdrive get Index,Model,Size,InterfaceType",
      L"path Win32_SoundDevice get Name",
      L"path Win32_CDROMDrive get Name",
  };
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring wmic = std::wstring(system) + L"\\wbem\\wmic.exe";
  for (const wchar_t* call : kCalls) RunWhole(wmic, L"wmic " + std::wstring(call));
}

// VantrelReport.exe and the floor (this program, "floor"), each as a whole process, in turn, so
// that a drift in the machine's speed falls on both: each one's median, and the median of the
// pairs' ratios. A pair of which either did not start is left out.
struct AgainstFloor {
  double report, floor, ratio;
};

AgainstFloor ReportAgainstFloor(int pairs) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::vector<double> reports, floors, ratios;
  for (int i = 0; i < pairs; ++i) {
    const std::optional<double> report = RunWhole(vantrel::testing::VantrelReportExe(), L"VantrelReport");
    const std::optional<double> floor = RunWhole(self, L"vantrel_benchmark floor");
    if (!report || !floor) continue;
    reports.push_back(*report), floors.push_back(*floor), ratios.push_back(*report / *floor);
  }
  return {Median(reports), Median(floors), Median(ratios)};
}

// The program's start as Vantrel.exe runs it, in this process over a fake WMI whose waits really
// pass. A watcher thread asks the window thread's windows for an answer every 20 ms.
struct StartTimes {
  double firstWindow = -1;
  double longestUnanswered = 0;
  double specWindow = -1;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) {
  reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
  return TRUE;
}

StartTimes StartOver() {
  StartTimes times;
  const DWORD uiThread = GetCurrentThreadId();
  const auto start = std::chrono::steady_clock::now();
  const auto since = [start] {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  };
  volatile bool done = false;
  std::thread watcher([&] {
    while (!done) {
      std::vector<HWND> windows;
      EnumThreadWindows(uiThread, &CollectWindow, reinterpret_cast<LPARAM>(&windows));
      for (HWND window : windows) {
        const double asked = since();
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &answer);
        times.longestUnanswered = std::max(times.longestUnanswered, since() - asked);
        if (!IsWindowVisible(window)) continue;
        if (times.firstWindow < 0) times.firstWindow = since();
        if (GetDlgItem(window, 1007) != nullptr && times.specWindow < 0) {  // the OS combo
          times.specWindow = since();
          PostMessageW(window, WM_CLOSE, 0, 0);
        }
      }
      Sleep(20);
    }
  });
  vantrel::CVantrelApp application(vantrel::CollectionReaders());
  application.InitInstance();
  done = true;
  watcher.join();
  return times;
}

void PrintStart(const char* what, const StartTimes& times) {
  std::printf("%-56s %10.1f\n", (std::string(what) + ": first visible window").c_str(), times.firstWindow);
  std::printf("%-56s %10.1f\n", (std::string(what) + ": longest unanswered message").c_str(), times.longestUnanswered);
  std::printf("%-56s %10.1f\n", (std::string(what) + ": spec window up").c_str(), times.specWindow);
}

}  // namespace

int main(int argc, char** argv) {
  // "floor" alone: the floor once, as a whole process to pair with VantrelReport.exe.
  if (argc > 1 && std::string(argv[1]) == "floor") {
    PlatformFloor();
    return 0;
  }
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  std::FILE* sink = std::tmpfile();  // the pass's diagnostic lines
  vantrel::SetEchoStream(sink);

  // First, before anything else in this process has loaded setupapi.dll.
  const double batteryFirst = Milliseconds([] { vantrel::ReadBatteries(); });
  const double driveKind = MedianOf(runs, [] { return Milliseconds([] { vantrel::QueryDriveKind(L"0"); }); });
  const double battery = MedianOf(runs, [] { return Milliseconds([] { vantrel::ReadBatteries(); }); });
  PlatformFloor();  // warm: the first connection loads the WMI provider
  const double floor = MedianOf(runs, [] { return Milliseconds(PlatformFloor); });
  const double pass = MedianOf(runs, [] { return Milliseconds(RunPassHere); });
  // WMI's alone with the platform's findings (disk kinds, module records) already there, as they
  // are long before WMI's rows ask for them.
  const auto reading = [runs](bool wmi) {
    return MedianOf(runs, [wmi] {
      const vantrel::PassReaders readers = vantrel::CollectionReaders();
      vantrel::KeptOutcomes kept;
      if (wmi) readers.platform(kept);
      return Milliseconds([&] { (wmi ? readers.wmi : readers.platform)(kept); });
    });
  };
  const double wmiReading = reading(true), platformReading = reading(false);
  const std::pair<const char*, std::function<void()>> sources[] = {
      {"source: OS from the registry", [] { vantrel::ReadOsLine(); }},
      {"source: processor from the registry", [] { vantrel::ReadProcessorName(); }},
      {"source: memory total from kernel32", [] { vantrel::ReadTotalMemory(); }},
      {"source: SMBIOS table", [] { vantrel::ReadSmbiosTable(); }},
      {"source: disks from SetupAPI and their drivers", [] { vantrel::ReadPlatformDisks(); }},
      {"source: sound devices from SetupAPI", [] { vantrel::ReadSoundDeviceNames(); }},
      {"source: optical drives from SetupAPI", [] { vantrel::ReadOpticalDriveNames(); }},
      {"query: drive 0's health, as SATA (SMART) and as NVMe (its log)", [] {
         const vantrel::UniqueDeviceHandle drive = vantrel::OpenDevice(L"\\\\.\\PhysicalDrive0", 0);
         if (drive) vantrel::QueryDiskHealth(drive.get(), 0x0B), vantrel::QueryDiskHealth(drive.get(), 0x11);
       }}};
  std::vector<double> sourceTimes;
  for (const auto& source : sources) sourceTimes.push_back(MedianOf(runs, [&] { return Milliseconds(source.second); }));
  std::vector<double> starts;
  std::vector<double> peaks;
  for (int i = 0; i < runs; ++i) {
    const WindowStart start = StartVantrel();
    starts.push_back(start.milliseconds);
    peaks.push_back(static_cast<double>(start.peakWorkingSet));
  }
  const double start = Median(starts);
  const double wmic = MedianOf(runs, [] { return Milliseconds(WmicPerCategory); });
  const int pairs = 3 * runs;
  const AgainstFloor whole = ReportAgainstFloor(pairs);

  // Each fake stays installed to the end: a pass given up on still runs inside it.
  auto* slowWmi = new vantrel::testing::FakeWmi();
  slowWmi->realTime = true;
  slowWmi->unscripted.firstObjectDelay = 5000;
  const StartTimes slow = StartOver();
  slowWmi->unscripted.firstObjectDelay = 0;
  slowWmi->unscripted.hangFrom = 0;
  const StartTimes stuck = StartOver();

  vantrel::SetEchoStream(nullptr);
  if (sink != nullptr) std::fclose(sink);

  std::printf("%-56s %10s %10s\n", "median of runs", "ms", "x floor");
  std::printf("%-56s %10.1f %10s\n", "floor: 10 WQL statements + adapters, no text built", floor, "1.00");
  std::printf("%-56s %10.1f %10.2f\n", "collection pass, in process", pass, pass / floor);
  std::printf("%-56s %10.1f %10.2f\n", "WMI's reading alone, in process", wmiReading, wmiReading / floor);
  std::printf("%-56s %10.1f %10.2f\n", "the platform's reading alone, in process", platformReading, platformReading / floor);
  for (std::size_t i = 0; i < sourceTimes.size(); ++i) {
    std::printf("%-56s %10.3f %10.4f\n", sources[i].first, sourceTimes[i], sourceTimes[i] / floor);
  }
  std::printf("%-56s %10.1f %10.2f\n", "Vantrel.exe: process start to visible window", start, start / floor);
  std::printf("%-56s %10.1f %10.2f\n", "wmic, one call per category (9 calls)", wmic, wmic / floor);
  std::printf("%-56s %10.1f MiB\n", "Vantrel.exe peak working set, window up", Median(peaks) / (1024.0 * 1024.0));
  std::printf("%-56s %10.1f %10.2f\n", "VantrelReport.exe: process start to end", whole.report, whole.report / floor);
  std::printf("%-56s %10.1f %10.2f\n", "the floor as a process of its own", whole.floor, whole.floor / floor);
  std::printf("%-56s %10.3f\n", ("VantrelReport.exe / that floor, median of " + std::to_string(pairs) + " pairs").c_str(),
              whole.ratio);
  std::printf("%-56s %10.3f %10.4f\n", "drive kind probe, drive 0", driveKind, driveKind / floor);
  std::printf("%-56s %10.3f %10.4f\n", "battery probe, first call, once", batteryFirst, batteryFirst / floor);
  std::printf("%-56s %10.3f %10.4f\n", "battery probe, later calls", battery, battery / floor);
  std::printf("%-56s %10.2f %%\n", "drive kind + battery first call, share of the pass", (driveKind + batteryFirst) / pass * 100);
  PrintStart("slow WMI, once", slow);
  PrintStart("stuck WMI, once", stuck);
  std::printf("runs: %d, %zu-bit build\n", runs, sizeof(void*) * 8);
  return 0;
}
