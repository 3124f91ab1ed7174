// Diagnostic lines on standard output, with Hangul intact whether the output is a console,
// a file or a pipe.
#pragma once

#include <cstdio>
#include <initializer_list>
#include <string_view>

namespace vantrel {

// Formats like FormatLine and writes the text to the echo stream (standard output unless
// SetEchoStream chose another).
void EchoToStdout(std::wstring_view format, std::initializer_list<std::wstring_view> arguments = {});

// Where EchoToStdout writes; a program that keeps standard output for other text sends the
// diagnostics elsewhere.
void SetEchoStream(std::FILE* stream);
std::FILE* EchoStream();

// Writes wide text to a stream: as UTF-8, every character kept, to a file or pipe; through
// WriteConsoleW to a console, where control characters show as visible stand-ins.
void WriteWideText(std::FILE* stream, std::wstring_view text);

}  // namespace vantrel
