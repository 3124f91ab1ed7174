// FormatGB and FormatDiskSize over the worked examples: zero texts, half-unit ties, the switch
// to terabytes at exactly 2^40 bytes, and the largest count.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "collect/size_text.h"

namespace vantrel {
namespace {

struct SizeRow {
  std::uint64_t bytes;
  const wchar_t* gigabytes;  // FormatGB
  const wchar_t* disk;       // FormatDiskSize
};

void PrintTo(const SizeRow& row, std::ostream* out) { *out << row.bytes << " bytes"; }

class SizeTextTest : public ::testing::TestWithParam<SizeRow> {};

TEST_P(SizeTextTest, GivesTheExpectedTexts) {
  EXPECT_EQ(FormatGB(GetParam().bytes), GetParam().gigabytes);
  EXPECT_EQ(FormatDiskSize(GetParam().bytes), GetParam().disk);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, SizeTextTest,
    ::testing::Values(SizeRow{0ull, L"0 GB", L"0"},
                      SizeRow{1ull, L"0 GB", L"0 GB"},
                      SizeRow{536870912ull, L"0 GB", L"0 GB"},                // 0.5 GB
                      SizeRow{536870913ull, L"1 GB", L"1 GB"},
                      SizeRow{1073741824ull, L"1 GB", L"1 GB"},
                      SizeRow{1610612736ull, L"2 GB", L"2 GB"},               // 1.5 GB
                      SizeRow{2684354560ull, L"2 GB", L"2 GB"},               // 2.5 GB
                      SizeRow{4294967295ull, L"4 GB", L"4 GB"},
                      SizeRow{8589934592ull, L"8 GB", L"8 GB"},
                      SizeRow{17076154368ull, L"16 GB", L"16 GB"},            // 15.9 GB
                      SizeRow{17179869184ull, L"16 GB", L"16 GB"},
                      SizeRow{500107862016ull, L"466 GB", L"466 GB"},
                      SizeRow{1000204886016ull, L"932 GB", L"932 GB"},
                      SizeRow{1098974756864ull, L"1024 GB", L"1024 GB"},      // 1023.5 GB
                      SizeRow{1099511627775ull, L"1024 GB", L"1024 GB"},      // 2^40 - 1
                      SizeRow{1099511627776ull, L"1024 GB", L"1 TB"},         // 2^40
                      SizeRow{1649267441664ull, L"1536 GB", L"2 TB"},         // 1.5 TB
                      SizeRow{2000398934016ull, L"1863 GB", L"2 TB"},
                      SizeRow{2199023255552ull, L"2048 GB", L"2 TB"},
                      SizeRow{2748779069440ull, L"2560 GB", L"2 TB"},         // 2.5 TB
                      SizeRow{2748779069441ull, L"2560 GB", L"3 TB"},
                      SizeRow{4000787030016ull, L"3726 GB", L"4 TB"},
                      SizeRow{18446744073709551615ull, L"17179869184 GB", L"16777216 TB"}));

// Above 2^53 the count is first rounded to the nearest double: 2^54 + 2^29 + 1 becomes
// 2^54 + 2^29, exactly 16777216.5 GB, which goes to the even 16777216.
INSTANTIATE_TEST_SUITE_P(
    CountsBeyondDoublePrecision, SizeTextTest,
    ::testing::Values(SizeRow{18014399046352897ull, L"16777216 GB", L"16384 TB"},
                      SizeRow{18014399046352899ull, L"16777217 GB", L"16384 TB"}));

}  // namespace
}  // namespace vantrel
