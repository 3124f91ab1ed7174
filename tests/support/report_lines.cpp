#include "support/report_lines.h"

namespace vantrel::testing {

std::wstring ReportFromCategoryLines(const CategoryLines& categories) {
  const wchar_t* const fallbackLines[9] = {nullptr, nullptr, nullptr, nullptr,          L"",
                                           L"Disk: 없음\r\n", L"Sound: 없음\r\n", L"ODD: 없음\r\n", L""};
  std::wstring report;
  for (std::size_t c = 0; c < categories.size(); ++c) {
    const std::vector<std::wstring>& lines = categories[c];
    if (fallbackLines[c] != nullptr && lines.size() == 1 && lines[0] == L"없음") {
      report += fallbackLines[c];
      continue;
    }
    for (const std::wstring& line : lines) report += line + L"\r\n";
  }
  return report;
}

}  // namespace vantrel::testing
