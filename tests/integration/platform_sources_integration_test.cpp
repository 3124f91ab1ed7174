// The platform's own sources against Wine's real platform. Wine 8 makes its SMBIOS table itself
// from the host's /sys/class/dmi/id (absent on the test machines): no memory device, no strings.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "probes/device_entry_points.h"
#include "probes/platform_facts.h"
#include "probes/smbios.h"
#include "support/ui_driver.h"

namespace vantrel {
namespace {

// A host file of Wine's table, less its line end; empty where the host has none.
std::wstring HostDmi(const char* name) {
  std::ifstream file(std::string("Z:\\sys\\class\\dmi\\id\\") + name);
  std::string text;
  std::getline(file, text);
  return std::wstring(text.begin(), text.end());
}

TEST(PlatformSourcesIntegrationTest, WinesTableHasTheBoardAndNoModuleAndItsRegistryTheNames) {
  if (!testing::UnderWine()) GTEST_SKIP() << "what Wine's platform answers";
  ASSERT_EQ(DeviceApi().getSystemFirmwareTable, RealDeviceApi().getSystemFirmwareTable);
  const SmbiosTable table = ReadSmbiosTable();
  ASSERT_EQ(table.failure, S_OK);
  std::vector<int> types;
  for (const SmbiosRecord& record : table.records) types.push_back(record.type);
  EXPECT_EQ(types, (std::vector<int>{0, 1, 3, 2, 32}));
  const std::optional<BaseBoard> board = FindBaseBoard(table.records);
  ASSERT_TRUE(board.has_value());
  EXPECT_EQ(board->manufacturer, HostDmi("board_vendor"));
  EXPECT_EQ(board->product, HostDmi("board_name"));
  EXPECT_TRUE(MemoryModules(table.records).empty());

  // Wine's prefix is 64-bit, so a 32-bit build is a 32-bit program on 64-bit Windows here too.
  const TextFact os = ReadOsLine(), processor = ReadProcessorName();
  EXPECT_EQ(os.failure, S_OK);
  EXPECT_EQ(os.text.rfind(L"Microsoft Windows ", 0), 0u) << ::testing::PrintToString(os.text);
  EXPECT_EQ(os.text.substr(os.text.size() - 7), L" (64비트)") << ::testing::PrintToString(os.text);
  EXPECT_EQ(processor.failure, S_OK);
  EXPECT_FALSE(processor.text.empty());
  const ByteCountFact memory = ReadTotalMemory();
  EXPECT_EQ(memory.failure, S_OK);
  EXPECT_GT(memory.bytes, 0u);
}

}  // namespace
}  // namespace vantrel
