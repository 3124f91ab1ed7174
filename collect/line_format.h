// Display lines from printf-style formats whose only conversion is %s (a wide text).
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace vantrel {

// Replaces each %s of the format by the next argument and %% by %; texts from the probes are
// only ever arguments, so a % inside them is copied as it stands. A %s without an argument
// gives nothing.
std::wstring FormatLine(std::wstring_view format, std::initializer_list<std::wstring_view> arguments = {});

}  // namespace vantrel
