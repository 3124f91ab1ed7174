#include "collect/line_format.h"

namespace vantrel {

std::wstring FormatLine(std::wstring_view format, std::initializer_list<std::wstring_view> arguments) {
  std::size_t size = format.size();
  for (std::wstring_view argument : arguments) size += argument.size();
  std::wstring line;
  line.reserve(size);

  auto next = arguments.begin();
  for (std::size_t at = 0; at < format.size(); ++at) {
    if (format[at] == L'%' && at + 1 < format.size()) {
      if (format[at + 1] == L's') {
        if (next != arguments.end()) line.append(*next++);
        ++at;
        continue;
      }
      if (format[at + 1] == L'%') {
        line.push_back(L'%');
        ++at;
        continue;
      }
    }
    line.push_back(format[at]);
  }
  return line;
}

}  // namespace vantrel
