// Diagnostic lines reach a file or pipe as UTF-8, Hangul intact, byte for byte; a console gets
// the same text with control characters made visible.
#include "collect/echo.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "collect/console_entry_points.h"
#include "fakes/scoped_table.h"
#include "support/captured_output.h"

namespace vantrel {
namespace {

class EchoTest : public ::testing::Test {
 protected:
  testing::CapturedOutput output_;
};

TEST_F(EchoTest, WritesHangulAsUtf8WithTheLineFeedOnly) {
  EchoToStdout(L"ODD: 없음\n");
  EchoToStdout(L"Disk: %s\n", {L"SSD 모델\x1b[0m\x85"});
  EXPECT_EQ(output_.Echoed(), "ODD: \xEC\x97\x86\xEC\x9D\x8C\nDisk: SSD \xEB\xAA\xA8\xEB\x8D\xB8\x1B[0m\xC2\x85\n");
}

TEST_F(EchoTest, ArgumentsAreNotFormats) {
  EchoToStdout(L"Sound: %s\n", {L"%s %n %ls"});
  EXPECT_EQ(output_.Echoed(), "Sound: %s %n %ls\n");
}

TEST_F(EchoTest, CharactersOutsideTheBasicPlaneAndLongTextsSurvive) {
  const std::wstring longName(3 << 20, L'a');  // spans several conversion pieces
  EchoToStdout(L"%s", {L"\U0001F5A5"});
  EchoToStdout(L"%s", {longName});
  const std::string bytes = output_.Echoed();
  ASSERT_EQ(bytes.size(), 4u + longName.size());
  EXPECT_EQ(bytes.substr(0, 4), "\xF0\x9F\x96\xA5");
}

TEST_F(EchoTest, SurrogatePairAcrossAConversionPieceStaysWhole) {
  std::wstring text((1 << 20) - 1, L'a');
  text += L"\U0001F5A5";
  WriteWideText(EchoStream(), text);
  const std::string bytes = output_.Echoed();
  ASSERT_EQ(bytes.size(), ((1u << 20) - 1) + 4);
  EXPECT_EQ(bytes.substr(bytes.size() - 4), "\xF0\x9F\x96\xA5");
}

// NUL is a character device, as a console is; the fake GetConsoleMode takes it for one, and the
// fake WriteConsoleW keeps each piece it is given.
class EchoToConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(stream_, nullptr); }
  void TearDown() override { std::fclose(stream_); }

  static BOOL WINAPI ConsoleMode(HANDLE, LPDWORD mode) {
    *mode = ENABLE_PROCESSED_OUTPUT;
    return TRUE;
  }
  static BOOL WINAPI WriteConsole(HANDLE, const VOID* text, DWORD units, LPDWORD written, LPVOID) {
    pieces_.emplace_back(static_cast<const wchar_t*>(text), units);
    *written = units;
    return TRUE;
  }
  static std::wstring Shown() {
    std::wstring shown;
    for (const std::wstring& piece : pieces_) shown += piece;
    return shown;
  }

  static inline std::vector<std::wstring> pieces_;
  std::FILE* stream_ = _wfopen(L"NUL", L"w");
  testing::ScopedTable<ConsoleEntryPoints> console_{ConsoleApi(), {&ConsoleMode, &WriteConsole}};
};

TEST_F(EchoToConsoleTest, ControlCharactersShowAsStandInsAndSurrogatePairsStayWhole) {
  pieces_.clear();
  WriteWideText(stream_, std::wstring(L"\x1b]52;c;eA==\x07\x1b[2J\x7f\x9b\x80\x9f\xa0 \0\t\r\n모델 \U0001F5A5", 31));
  EXPECT_EQ(Shown(), std::wstring(L"\x241b]52;c;eA==\x2407\x241b[2J\x2421\xfffd\xfffd\xfffd\xa0 \x2400\t\r\n모델 \U0001F5A5", 31));

  pieces_.clear();
  const std::wstring text = std::wstring(0x3FFF, L'a') + L"\U0001F5A5" + std::wstring(0x4000, L'b');
  WriteWideText(stream_, text);
  ASSERT_EQ(pieces_.size(), 3u);
  EXPECT_EQ(pieces_[0].size(), 0x3FFFu);  // the pair goes whole into the next piece
  EXPECT_EQ(Shown(), text);
}

TEST(EchoStream, IsStandardOutputUnlessChosen) {
  EXPECT_EQ(EchoStream(), stdout);
}

}  // namespace
}  // namespace vantrel
