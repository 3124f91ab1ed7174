// VantrelReport.exe: runs the collection pass without a window and writes the spec report to
// standard output as UTF-8 (CR LF kept, nothing added). Diagnostics go to standard error, so
// standard output carries the report alone. Exit 0 after a complete pass, 1 when WMI could not
// be opened.
#include <fcntl.h>
#include <io.h>

#include <array>
#include <cstdio>
#include <iostream>
#include <string>

#include "collect/collection_pass.h"
#include "collect/echo.h"

int main() {
  _setmode(_fileno(stdout), _O_BINARY);  // the report's own CR LF, without a second CR
  vantrel::SetEchoStream(stderr);
  std::streambuf* const standardOutput = std::cout.rdbuf(std::cerr.rdbuf());

  std::array<vantrel::MemoryCategoryList, vantrel::kCategoryCount> lists;
  std::wstring report;
  const bool complete = vantrel::RunCollectionPass(lists, report);

  std::cout.flush();
  std::cout.rdbuf(standardOutput);
  vantrel::WriteWideText(stdout, report);
  return complete ? 0 : 1;
}
