#include "collect/echo.h"

#include <windows.h>
#include <io.h>

#include <string>

#include "collect/console_entry_points.h"
#include "collect/line_format.h"

namespace vantrel {
namespace {

std::FILE* g_echoStream = nullptr;  // null: standard output

// The console handle behind a stream, or null when the stream leads to a file, a pipe or nowhere.
HANDLE ConsoleOf(std::FILE* stream) {
  const int descriptor = _fileno(stream);
  if (descriptor < 0) return nullptr;
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_CHAR ||
      !ConsoleApi().getConsoleMode(handle, &mode)) {
    return nullptr;
  }
  return handle;
}

// The length of the next piece of at most `limit` units that does not end inside a surrogate pair.
std::size_t PieceLength(std::wstring_view text, std::size_t limit) {
  std::size_t length = text.size() < limit ? text.size() : limit;
  if (length < text.size() && IS_HIGH_SURROGATE(text[length - 1])) --length;
  return length;
}

// A terminal acts on C0 controls (escape sequences above all), DEL and C1 controls. Disk models
// and device names come from device firmware, so on a console each such character shows as a
// visible stand-in instead: a control picture, or the replacement character for C1.
wchar_t ConsoleVisible(wchar_t unit) {
  if (unit < 0x20) return unit == L'\t' || unit == L'\n' || unit == L'\r' ? unit : static_cast<wchar_t>(0x2400 + unit);
  if (unit == 0x7F) return L'\x2421';
  if (unit >= 0x80 && unit <= 0x9F) return L'\xFFFD';
  return unit;
}

void WriteToConsole(HANDLE console, std::wstring_view text) {
  constexpr std::size_t kPiece = 0x4000;
  std::wstring visible(text);
  for (wchar_t& unit : visible) unit = ConsoleVisible(unit);
  std::wstring_view rest = visible;
  while (!rest.empty()) {
    const std::size_t units = PieceLength(rest, kPiece);
    DWORD written = 0;
    if (!ConsoleApi().writeConsole(console, rest.data(), static_cast<DWORD>(units), &written, nullptr) ||
        written == 0) {
      return;
    }
    rest.remove_prefix(written < units ? written : units);
  }
}

// Converts in pieces that keep the platform's int lengths safe, never splitting a surrogate pair.
std::string ToUtf8(std::wstring_view text) {
  constexpr std::size_t kPiece = 1 << 20;
  std::string utf8;
  while (!text.empty()) {
    const std::size_t length = PieceLength(text, kPiece);
    const int units = static_cast<int>(length);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
    const std::size_t start = utf8.size();
    utf8.resize(start + static_cast<std::size_t>(bytes));
    if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), units, &utf8[start], bytes, nullptr, nullptr);
    text.remove_prefix(length);
  }
  return utf8;
}

}  // namespace

void SetEchoStream(std::FILE* stream) { g_echoStream = stream; }

std::FILE* EchoStream() { return g_echoStream != nullptr ? g_echoStream : stdout; }

void WriteWideText(std::FILE* stream, std::wstring_view text) {
  if (HANDLE console = ConsoleOf(stream)) {
    std::fflush(stream);  // keep the order of anything the stream buffered before
    WriteToConsole(console, text);
    return;
  }
  const std::string utf8 = ToUtf8(text);
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
  std::fflush(stream);
}

void EchoToStdout(std::wstring_view format, std::initializer_list<std::wstring_view> arguments) {
  WriteWideText(EchoStream(), FormatLine(format, arguments));
}

}  // namespace vantrel
