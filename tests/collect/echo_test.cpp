// Diagnostic lines reach a file or pipe as UTF-8, Hangul intact, byte for byte.
#include "collect/echo.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace vantrel {
namespace {

std::string ReadBack(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string bytes;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, n);
  return bytes;
}

class EchoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = std::tmpfile();
    ASSERT_NE(file_, nullptr);
    SetEchoStream(file_);
  }
  void TearDown() override {
    SetEchoStream(nullptr);
    std::fclose(file_);
  }
  std::FILE* file_ = nullptr;
};

TEST_F(EchoTest, WritesHangulAsUtf8WithTheLineFeedOnly) {
  EchoToStdout(L"ODD: 없음\n");
  EchoToStdout(L"Disk: %s\n", {L"SSD 모델"});
  EXPECT_EQ(ReadBack(file_), "ODD: \xEC\x97\x86\xEC\x9D\x8C\nDisk: SSD \xEB\xAA\xA8\xEB\x8D\xB8\n");
}

TEST_F(EchoTest, ArgumentsAreNotFormats) {
  EchoToStdout(L"Sound: %s\n", {L"%s %n %ls"});
  EXPECT_EQ(ReadBack(file_), "Sound: %s %n %ls\n");
}

TEST_F(EchoTest, CharactersOutsideTheBasicPlaneAndLongTextsSurvive) {
  const std::wstring longName(3 << 20, L'a');  // spans several conversion pieces
  EchoToStdout(L"%s", {L"\U0001F5A5"});
  EchoToStdout(L"%s", {longName});
  const std::string bytes = ReadBack(file_);
  ASSERT_EQ(bytes.size(), 4u + longName.size());
  EXPECT_EQ(bytes.substr(0, 4), "\xF0\x9F\x96\xA5");
}

TEST_F(EchoTest, SurrogatePairAcrossAConversionPieceStaysWhole) {
  std::wstring text((1 << 20) - 1, L'a');
  text += L"\U0001F5A5";
  WriteWideText(file_, text);
  const std::string bytes = ReadBack(file_);
  ASSERT_EQ(bytes.size(), ((1u << 20) - 1) + 4);
  EXPECT_EQ(bytes.substr(bytes.size() - 4), "\xF0\x9F\x96\xA5");
}

TEST(EchoStream, IsStandardOutputUnlessChosen) {
  EXPECT_EQ(EchoStream(), stdout);
}

}  // namespace
}  // namespace vantrel
