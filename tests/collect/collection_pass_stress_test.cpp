// A machine far larger than any real one: the pass completes and loses no line.
#include <gtest/gtest.h>

#include <array>

#include "collect/collection_pass.h"
#include "fakes/fake_machine.h"
#include "fakes/scripted_machine.h"
#include "support/captured_output.h"

namespace vantrel {
namespace {

TEST(CollectionPassStress, TenThousandDisksWithMegabyteNamesKeepEveryLine) {
  constexpr std::size_t kDisks = 10000;
  constexpr std::size_t kMegabyteName = 1 << 20;
  testing::FakeMachine machine;
  testing::FakeWmi& wmi = machine.wmi;
  testing::AnswerManyDisks(wmi, kDisks, kMegabyteName);

  std::array<MemoryCategoryList, kCategoryCount> lists;
  std::wstring report;
  testing::CapturedOutput output;
  const bool complete = RunCollectionPass(lists, report) == PassResult::kComplete;
  const std::size_t echoedBytes = output.Echoed().size();

  ASSERT_TRUE(complete);
  const auto& disks = lists[kHdd].Lines();
  ASSERT_EQ(disks.size(), kDisks);
  EXPECT_EQ(disks.front(), L"Disk 0 : Model 0 (466 GB) / SCSI");
  EXPECT_EQ(disks[999].size(), std::wstring(L"Disk 999 :  (466 GB) / SCSI").size() + kMegabyteName);
  EXPECT_EQ(disks.back(), L"Disk 9999 : " + std::wstring(kMegabyteName, L'디') + L" (466 GB) / SCSI");
  EXPECT_NE(report.find(disks[5000] + L"\r\n"), std::wstring::npos);
  EXPECT_GT(echoedBytes, 10 * kMegabyteName * 3);  // ten long names, three UTF-8 bytes a unit
  EXPECT_EQ(wmi.OutstandingReferences(), 0);
}

}  // namespace
}  // namespace vantrel
