#include "app/programs.h"

#include <fcntl.h>
#include <io.h>

#include <array>
#include <cstdio>
#include <string>

#include "app/program_start.h"
#include "collect/echo.h"

namespace vantrel {
namespace {

constexpr DWORD kCloseWait = 5000;

int WriteReport(const PassReaders& readers) {
  _setmode(_fileno(stdout), _O_BINARY);  // the report's own CR LF, without a second CR
  // Standard output carries the report alone: the diagnostics, "WMI Init Failed" included, go to
  // standard error.
  SetEchoStream(stderr);

  BackgroundPass background(readers);
  background.WaitUntilOver();
  // A pass that ended, or that gave every category whole, is still giving back its share of COM;
  // the process does not end under it, unless a stuck close keeps it past a few seconds.
  if (background.Ended() || background.Result() == PassResult::kComplete) background.WaitForReturn(kCloseWait);
  std::array<MemoryCategoryList, kCategoryCount> lists;
  std::wstring report;
  ShowOutcomes(background.Outcomes(), ListsOf(lists), report);
  WriteWideText(stdout, report);
  std::fflush(stdout);
  return ExitCodeOf(background.Result());
}

}  // namespace

int ExitCodeOf(PassResult result) {
  switch (result) {
    case PassResult::kComplete:
      return kExitComplete;
    case PassResult::kWmiUnavailable:
      return kExitWmiUnavailable;
    case PassResult::kIncomplete:
      return kExitIncomplete;
  }
  return kExitIncomplete;
}

int RunReport(const PassReaders& readers) {
  LoadDllsFromSystemFolderOnly();
  return RunGuarded([&readers] { return WriteReport(readers); }, "VantrelReport", stderr);
}

}  // namespace vantrel
