// The collection pass and VantrelReport.exe against Wine's real WMI and DXGI.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "collect/collection_pass.h"
#include "support/captured_output.h"
#include "support/program_under_test.h"
#include "support/report_lines.h"
#include "support/utf8_text.h"

namespace vantrel {
namespace {

struct RealPass {
  bool complete = false;
  std::array<MemoryCategoryList, kCategoryCount> lists;
  std::wstring report;
};

RealPass RunRealPass() {
  RealPass result;
  testing::CapturedOutput quiet;  // keeps the test's own output clean
  result.complete = RunCollectionPass(result.lists, result.report) == vantrel::PassResult::kComplete;
  return result;
}

std::wstring ReportFromLists(const RealPass& pass) {
  testing::CategoryLines lines;
  for (std::size_t c = 0; c < kCategoryCount; ++c) lines[c] = pass.lists[c].Lines();
  return testing::ReportFromCategoryLines(lines);
}

TEST(CollectionPassIntegration, FillsEveryCategoryInOrderFromTheRealMachine) {
  const RealPass pass = RunRealPass();
  ASSERT_TRUE(pass.complete);

  std::size_t lineCount = 0;
  for (std::size_t at = 0; (at = pass.report.find(L"\r\n", at)) != std::wstring::npos; at += 2) ++lineCount;
  EXPECT_GE(lineCount, 7u);
  EXPECT_EQ(pass.report, ReportFromLists(pass));

  for (const MemoryCategoryList& list : pass.lists) {
    EXPECT_FALSE(list.Lines().empty());
    EXPECT_EQ(list.Selected(), 0);
  }
  EXPECT_EQ(pass.lists[kRam].Lines().front().rfind(L"총 RAM: ", 0), 0u);
  EXPECT_NE(pass.lists[kOs].Lines().front(), L"");
  EXPECT_NE(pass.lists[kCpu].Lines().front(), L"");
}

TEST(CollectionPassIntegration, ReportProgramPrintsThePassReportAsUtf8) {
  const RealPass pass = RunRealPass();
  ASSERT_TRUE(pass.complete);

  const testing::ChildResult child = testing::RunChild(testing::VantrelReportExe());
  ASSERT_TRUE(child.started);
  EXPECT_EQ(child.exitCode, 0u);
  EXPECT_EQ(child.standardOutput, testing::Utf8Of(pass.report));
  EXPECT_NE(child.standardError.find("ODD: "), std::string::npos) << "diagnostics go to standard error";
}

}  // namespace
}  // namespace vantrel
