// Byte counts as WMI gives them: decimal digits in a text.
#pragma once

#include <cstdint>
#include <string_view>

namespace vantrel {

// Reads an unsigned decimal count the way _wcstoui64 does with base 10: leading white space
// skipped, digits up to the first other character, no leading digits gives 0, and a number
// beyond 64 bits gives the largest 64-bit value. A sign is not a digit: "-5" reads as 0
// (the runtime would wrap it to 2^64 - 5 bytes, a size no machine has).
std::uint64_t ReadByteCount(std::wstring_view text);

}  // namespace vantrel
