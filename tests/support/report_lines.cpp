#include "support/report_lines.h"

namespace vantrel::testing {

std::wstring ReportFromCategoryLines(const CategoryLines& categories) {
  std::wstring report;
  for (std::size_t c = 0; c < categories.size(); ++c) {
    const std::vector<std::wstring>& lines = categories[c];
    const CategoryInfo& info = Categories()[c];
    if (info.whenEmpty != WhenEmpty::kNeverEmpty && lines.size() == 1 && lines[0] == L"없음") {
      if (info.whenEmpty != WhenEmpty::kListOnly) report += std::wstring(info.reportName) + L": 없음\r\n";
      continue;
    }
    for (const std::wstring& line : lines) report += line + L"\r\n";
  }
  return report;
}

}  // namespace vantrel::testing
