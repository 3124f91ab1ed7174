// Byte counts from WMI texts: the reading of _wcstoui64 with base 10, signs excepted.
#include "collect/byte_count.h"

#include <gtest/gtest.h>

#include <limits>

namespace vantrel {
namespace {

constexpr std::uint64_t kLargest = std::numeric_limits<std::uint64_t>::max();

TEST(ReadByteCount, ReadsDigitsAfterLeadingWhiteSpaceUpToTheFirstOtherCharacter) {
  EXPECT_EQ(ReadByteCount(L"17113022464"), 17113022464u);
  EXPECT_EQ(ReadByteCount(L" \t\r\n 42"), 42u);
  EXPECT_EQ(ReadByteCount(L"8589934592 bytes"), 8589934592u);
  EXPECT_EQ(ReadByteCount(L"12 34"), 12u);
  EXPECT_EQ(ReadByteCount(L"007"), 7u);
}

TEST(ReadByteCount, TextWithoutLeadingDigitsReadsAsZero) {
  EXPECT_EQ(ReadByteCount(L""), 0u);
  EXPECT_EQ(ReadByteCount(L"   "), 0u);
  EXPECT_EQ(ReadByteCount(L"unknown"), 0u);
  EXPECT_EQ(ReadByteCount(L"0x10"), 0u);
  EXPECT_EQ(ReadByteCount(L"\x0663"), 0u);  // an Arabic-Indic digit is not a decimal digit here
}

TEST(ReadByteCount, SignsAreNotDigits) {
  EXPECT_EQ(ReadByteCount(L"-5"), 0u);
  EXPECT_EQ(ReadByteCount(L"+5"), 0u);
  EXPECT_EQ(ReadByteCount(L" -18446744073709551615"), 0u);
}

TEST(ReadByteCount, NumbersBeyondSixtyFourBitsGiveTheLargestValue) {
  EXPECT_EQ(ReadByteCount(L"18446744073709551615"), kLargest);
  EXPECT_EQ(ReadByteCount(L"18446744073709551614"), kLargest - 1);
  EXPECT_EQ(ReadByteCount(L"18446744073709551616"), kLargest);
  EXPECT_EQ(ReadByteCount(L"123456789012345678901234567890"), kLargest);
  EXPECT_EQ(ReadByteCount(std::wstring(100000, L'9')), kLargest);
}

}  // namespace
}  // namespace vantrel
