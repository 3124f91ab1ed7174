// The platform's own sources against Wine's. Wine 8 makes its SMBIOS table itself from the host's
// /sys/class/dmi/id, which the test machines lack: types 0, 1, 3, 2 and 32, no string, no module.
#include <gtest/gtest.h>

#include "probes/device_entry_points.h"
#include "probes/platform_facts.h"
#include "probes/smbios.h"
#include "support/ui_driver.h"

namespace vantrel {
namespace {

TEST(PlatformSourcesIntegrationTest, WinesTableHasAnEmptyBoardAndNoModuleAndItsRegistryTheNames) {
  if (!testing::UnderWine()) GTEST_SKIP() << "what Wine's platform answers";
  ASSERT_EQ(DeviceApi().getSystemFirmwareTable, RealDeviceApi().getSystemFirmwareTable);
  const SmbiosTable table = ReadSmbiosTable();
  std::vector<int> types;
  for (const SmbiosRecord& record : table.records) types.push_back(record.strings.empty() ? record.type : -1);
  EXPECT_EQ(std::make_pair(types, table.failure), std::make_pair(std::vector<int>{0, 1, 3, 2, 32}, S_OK));
  EXPECT_TRUE(FindBaseBoard(table.records).has_value());
  EXPECT_TRUE(MemoryModules(table.records).empty());
  // Wine's prefix is 64-bit, so the x86 build is a 32-bit program on 64-bit Windows here.
  const TextFact os = ReadOsLine(), processor = ReadProcessorName();
  EXPECT_EQ(std::make_pair(os.text.find(L"Microsoft Windows "), os.failure), std::make_pair(std::size_t{0}, S_OK));
  EXPECT_EQ(os.text.substr(os.text.size() - 7), L" (64비트)") << ::testing::PrintToString(os.text);
  EXPECT_EQ(processor.failure, S_OK);
  EXPECT_FALSE(processor.text.empty());
  EXPECT_GT(ReadTotalMemory().bytes, 0u);
}

}  // namespace
}  // namespace vantrel
