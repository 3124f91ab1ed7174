// VantrelReport.exe: runs the collection pass without a window and writes the spec report to
// standard output as UTF-8 (CR LF kept, nothing added). Diagnostics go to standard error, so
// standard output carries the report alone. Exit 0 after a complete pass, 1 when WMI could not
// be opened, 2 when WMI did not answer every statement in time (the report says which categories
// are incomplete), 3 when the program was stopped by an error (said on standard error).
#include <fcntl.h>
#include <io.h>

#include <array>
#include <cstdio>
#include <iostream>
#include <string>

#include "app/program_start.h"
#include "collect/collection_pass.h"
#include "collect/echo.h"

namespace {

int ExitCodeOf(vantrel::PassResult result) {
  switch (result) {
    case vantrel::PassResult::kComplete:
      return 0;
    case vantrel::PassResult::kWmiUnavailable:
      return 1;
    case vantrel::PassResult::kIncomplete:
      return 2;
  }
  return 2;
}

int WriteReport() {
  _setmode(_fileno(stdout), _O_BINARY);  // the report's own CR LF, without a second CR
  vantrel::SetEchoStream(stderr);
  std::streambuf* const standardOutput = std::cout.rdbuf(std::cerr.rdbuf());

  std::array<vantrel::MemoryCategoryList, vantrel::kCategoryCount> lists;
  std::wstring report;
  const vantrel::PassResult result = vantrel::RunCollectionPass(lists, report);

  std::cout.flush();
  std::cout.rdbuf(standardOutput);
  vantrel::WriteWideText(stdout, report);
  return ExitCodeOf(result);
}

}  // namespace

int main() {
  vantrel::LoadDllsFromSystemFolderOnly();
  return vantrel::RunGuarded(WriteReport, "VantrelReport", stderr);
}
