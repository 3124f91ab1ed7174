// Display lines: %s takes the next text, %% gives %, and arguments are never read as formats.
#include "collect/line_format.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(FormatLine, PutsTheArgumentsInOrder) {
  EXPECT_EQ(FormatLine(L"%s / %s : %s / %s MHz / %s / %s", {L"DIMM 0", L"P0 CHANNEL A", L"8 GB", L"3200", L"VendorA", L"PN"}),
            L"DIMM 0 / P0 CHANNEL A : 8 GB / 3200 MHz / VendorA / PN");
  EXPECT_EQ(FormatLine(L"총 RAM: %s", {L"16 GB"}), L"총 RAM: 16 GB");
  EXPECT_EQ(FormatLine(L"%s (%s)", {L"", L""}), L" ()");
}

TEST(FormatLine, ArgumentsThatLookLikeFormatsAreCopiedAsTheyStand) {
  EXPECT_EQ(FormatLine(L"Disk: %s\n", {L"%s%n%d 100%"}), L"Disk: %s%n%d 100%\n");
}

TEST(FormatLine, PercentSignsInTheFormat) {
  EXPECT_EQ(FormatLine(L"100%% %s", {L"x"}), L"100% x");
  EXPECT_EQ(FormatLine(L"%d %", {}), L"%d %");
  EXPECT_EQ(FormatLine(L"a %s b %s", {L"1"}), L"a 1 b ");
}

TEST(FormatLine, KeepsLongTextsWhole) {
  const std::wstring megabyte(1 << 20, L'가');
  const std::wstring line = FormatLine(L"[%s]", {megabyte});
  ASSERT_EQ(line.size(), megabyte.size() + 2);
  EXPECT_EQ(line.substr(1, megabyte.size()), megabyte);
}

}  // namespace
}  // namespace vantrel
