// UTF-8 and wide text, converted the way the tests compare a program's output with its lines.
#pragma once

#include <string>

namespace vantrel::testing {

std::string Utf8Of(const std::wstring& text);
std::wstring WideOfUtf8(const std::string& utf8);

// The bytes a program wrote, read as text: the C runtime keeps a program's standard streams in
// text mode, where every line feed leaves as CR LF.
std::string AsText(const std::string& bytes);

}  // namespace vantrel::testing
