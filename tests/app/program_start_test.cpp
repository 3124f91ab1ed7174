// What both programs do around their body: where DLLs come from, and a quiet end when an
// exception reaches the entry point.
#include "app/program_start.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <future>
#include <new>
#include <string>
#include <vector>

#include "app/programs.h"
#include "app/vantrel_app.h"
#include "collect/collection_pass.h"
#include "fakes/fake_machine.h"
#include "fakes/scoped_table.h"
#include "support/modal_run.h"
#include "support/pass_runs.h"
#include "window/application.h"
#include "window/program_window.h"

namespace vantrel {
namespace {

std::vector<std::string> g_calls;

BOOL WINAPI SetDefaultsAccepted(DWORD flags) {
  g_calls.push_back("SetDefaultDllDirectories " + std::to_string(flags));
  return TRUE;
}
BOOL WINAPI SetDefaultsRefused(DWORD flags) {
  SetDefaultsAccepted(flags);
  return FALSE;
}
BOOL WINAPI SetDirectory(LPCWSTR path) {
  g_calls.push_back(path != nullptr && *path == L'\0' ? "SetDllDirectoryW empty" : "SetDllDirectoryW other");
  return TRUE;
}

TEST(ProgramStart, DllsComeFromTheSystemFolderOnlyOrAtLeastNotFromTheCurrentOne) {
  const std::pair<BOOL(WINAPI*)(DWORD), std::vector<std::string>> cases[] = {
      {&SetDefaultsAccepted, {"SetDefaultDllDirectories 2048"}},  // LOAD_LIBRARY_SEARCH_SYSTEM32
      {&SetDefaultsRefused, {"SetDefaultDllDirectories 2048", "SetDllDirectoryW empty"}},
      {nullptr, {"SetDllDirectoryW empty"}},  // Windows 7 without KB2533623
  };
  for (const auto& [setDefaults, calls] : cases) {
    testing::ScopedTable<DllSearchEntryPoints> table(DllSearchApi(), {setDefaults, &SetDirectory});
    g_calls.clear();
    LoadDllsFromSystemFolderOnly();
    EXPECT_EQ(g_calls, calls);
  }
}

// What a run wrote to its reasons file.
std::string Reasons(std::FILE* file) {
  std::string text(256, '\0');
  std::rewind(file);
  text.resize(std::fread(&text[0], 1, text.size(), file));
  return text;
}

class StoppedApplication : public Application {
 public:
  bool InitInstance() override { throw std::bad_alloc(); }
};

// A list that cannot take another line, as when memory has run out.
class FullList final : public CategoryList {
 public:
  void RemoveAll() override {}
  void Append(const std::wstring&) override { throw std::bad_alloc(); }
  std::size_t Count() const override { return 0; }
  void SelectFirst() override {}
};

TEST(ProgramStart, AnExceptionReachingEitherEntryPointEndsTheProgramQuietly) {
  StoppedApplication application;
  EXPECT_EQ(RunGuarded([] { return RunApplication(); }, "Vantrel", nullptr), kExitStopped);

  testing::FakeMachine machine;
  std::FILE* reasons = std::tmpfile();
  ASSERT_NE(reasons, nullptr);
  const int exitCode = RunGuarded(
      [] {
        std::array<FullList, kCategoryCount> lists;
        std::wstring report;
        return RunCollectionPass(lists, report) == PassResult::kComplete ? 0 : 2;
      },
      "VantrelReport", reasons);
  EXPECT_EQ(exitCode, kExitStopped);
  EXPECT_EQ(Reasons(reasons), "VantrelReport: stopped: out of memory\n");
  std::fclose(reasons);
  EXPECT_EQ(RunGuarded([]() -> int { throw 7; }, "X", nullptr), kExitStopped);
}

// Both programs as their entry points run them, over an injected pass: the DLL search first, then
// the pass's outcome as the exit code, 3 for an exception. A second Vantrel.exe ends at once.
TEST(ProgramStart, BothProgramsStartGuardedAndExitWithThePassOutcome) {
  testing::ScopedTable<DllSearchEntryPoints> table(DllSearchApi(), {&SetDefaultsAccepted, &SetDirectory});
  const std::pair<PassResult, int> outcomes[] = {{PassResult::kComplete, 0}, {PassResult::kWmiUnavailable, 1},
                                                 {PassResult::kIncomplete, 2}, {PassResult::kComplete, kExitStopped}};
  for (const auto& [result, code] : outcomes) {
    const bool throws = code == kExitStopped;
    // Complete only when every category came; the others are left to their notices.
    const PassFunction pass = [result = result, throws](PassObserver& observer) {
      if (throws) throw std::bad_alloc();
      for (const CategoryInfo& info : Categories()) {
        if (result == PassResult::kComplete) observer.Finished(info.category, CategoryOutcome());
      }
      return result;
    };
    g_calls.clear();
    EXPECT_EQ(RunReport(pass), code);
    CVantrelApp application(PassReaders{pass});
    const int exitCode = testing::WhileStepping(RunVantrel, [](HWND shown) {
      if (shown != nullptr) PostMessageW(shown, WM_CLOSE, 0, 0);
      return true;
    });
    EXPECT_EQ(exitCode, code);
    EXPECT_EQ(g_calls, std::vector<std::string>(2, "SetDefaultDllDirectories 2048"));
  }

  // Were the pass started, its window would wait for a close that never comes.
  const UniqueHandle running(CreateMutexW(nullptr, FALSE, kRunningMutexName));
  CVantrelApp second(PassReaders{[](PassObserver&) { return PassResult::kComplete; }});
  EXPECT_EQ(RunVantrel(), 0);
}

HANDLE g_looking = nullptr;  // set when the second start begins looking for the first copy's window

DWORD WINAPI NoProcess() {  // so that this test's own window counts as the first copy's
  SetEvent(g_looking);
  return 0;
}

// The first copy keeps this one from having the mutex (access denied when it runs elevated; here,
// an event has the name). Its one window is hidden, and marked only once the second start has
// looked and found none, as when the first copy is between windows. This thread, whose window it
// is, answers nothing while it waits, so a second start that waited on it would not end. The
// window shows once this thread answers again. With no window at all it gives up after a second.
TEST(ProgramStart, ASecondStartBringsAHungHiddenFirstCopyForwardWithoutWaitingOnIt) {
  testing::ScopedTable<RunningCopyEntryPoints> seam(RunningCopyApi(), {&NoProcess});
  const UniqueHandle taken(CreateEventW(nullptr, TRUE, FALSE, kRunningMutexName)), looking(testing::NewEvent());
  g_looking = looking.get();
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  CVantrelApp second(PassReaders{[](PassObserver&) -> PassResult { throw std::bad_alloc(); }});  // no second pass
  std::future<bool> start = std::async(std::launch::async, [&] { return second.InitInstance(); });
  ASSERT_EQ(WaitForSingleObject(looking.get(), 10000), WAIT_OBJECT_0);
  // It looks every 50 ms for up to a second, and then ends within the 2 s a second start has.
  EXPECT_EQ(start.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout) << "gave up at once";
  MarkProgramWindow(window);
  EXPECT_EQ(start.wait_for(std::chrono::seconds(2)), std::future_status::ready) << "waited on the first copy";
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  EXPECT_FALSE(start.get());
  EXPECT_TRUE(IsWindowVisible(window));
  UnmarkProgramWindow(window);
  DestroyWindow(window);

  const ULONGLONG began = GetTickCount64();
  EXPECT_FALSE(BringRunningCopyForward());
  const ULONGLONG looked = GetTickCount64() - began;
  EXPECT_TRUE(looked >= 1000 && looked < 2000) << looked << " ms";
}

}  // namespace
}  // namespace vantrel
