// Diagnostic lines reach a file or pipe as UTF-8, Hangul intact, byte for byte.
#include "collect/echo.h"

#include <gtest/gtest.h>

#include <string>

#include "support/captured_output.h"

namespace vantrel {
namespace {

class EchoTest : public ::testing::Test {
 protected:
  testing::CapturedOutput output_;
};

TEST_F(EchoTest, WritesHangulAsUtf8WithTheLineFeedOnly) {
  EchoToStdout(L"ODD: 없음\n");
  EchoToStdout(L"Disk: %s\n", {L"SSD 모델"});
  EXPECT_EQ(output_.Echoed(), "ODD: \xEC\x97\x86\xEC\x9D\x8C\nDisk: SSD \xEB\xAA\xA8\xEB\x8D\xB8\n");
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

TEST(EchoStream, IsStandardOutputUnlessChosen) {
  EXPECT_EQ(EchoStream(), stdout);
}

}  // namespace
}  // namespace vantrel
