#include "support/report_lines.h"

#include <windows.h>

namespace vantrel::testing {

std::wstring ReportFromCategoryLines(const CategoryLines& categories) {
  const wchar_t* const fallbackLines[8] = {nullptr, nullptr, nullptr, nullptr,
                                           L"", L"Disk: 없음\r\n", L"Sound: 없음\r\n", L"ODD: 없음\r\n"};
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

std::wstring WideOfUtf8(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], units);
  return wide;
}

}  // namespace vantrel::testing
