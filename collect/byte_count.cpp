#include "collect/byte_count.h"

#include <limits>

namespace vantrel {
namespace {

bool IsWhiteSpace(wchar_t c) {
  return c == L' ' || (c >= L'\t' && c <= L'\r');
}

}  // namespace

std::uint64_t ReadByteCount(std::wstring_view text) {
  constexpr std::uint64_t kLargest = std::numeric_limits<std::uint64_t>::max();
  std::size_t at = 0;
  while (at < text.size() && IsWhiteSpace(text[at])) ++at;

  std::uint64_t count = 0;
  for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9'; ++at) {
    const unsigned digit = static_cast<unsigned>(text[at] - L'0');
    if (count > (kLargest - digit) / 10) return kLargest;
    count = count * 10 + digit;
  }
  return count;
}

}  // namespace vantrel
