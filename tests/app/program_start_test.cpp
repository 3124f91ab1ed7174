// What both programs do around their body: where DLLs come from, and a quiet end when an
// exception reaches the entry point.
#include "app/program_start.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "collect/collection_pass.h"
#include "fakes/fake_dxgi.h"
#include "fakes/fake_wmi.h"
#include "fakes/scoped_table.h"
#include "window/application.h"

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

  testing::FakeWmi wmi;
  testing::FakeDxgi dxgi;
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

}  // namespace
}  // namespace vantrel
