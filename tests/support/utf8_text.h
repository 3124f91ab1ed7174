// UTF-8 and wide text, converted the way the tests compare a program's output with its lines.
#pragma once

#include <string>

namespace vantrel::testing {

std::string Utf8Of(const std::wstring& text);
std::wstring WideOfUtf8(const std::string& utf8);

}  // namespace vantrel::testing
