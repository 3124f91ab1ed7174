// The platform's own reading against Wine's platform. Wine 8 makes its SMBIOS table itself from the
// host's /sys/class/dmi/id, which the test machines lack: types 0, 1, 3, 2 and 32, no string, no module.
#include <gtest/gtest.h>

#include <algorithm>

#include "collect/collection_pass.h"
#include "probes/device_entry_points.h"
#include "probes/device_lists.h"
#include "probes/platform_facts.h"
#include "probes/smbios.h"
#include "support/ui_driver.h"

namespace vantrel {
namespace {

// The whole platform reading, as the pass runs it: every WMI category it has a source for, and
// none with a notice. What Wine's SetupAPI lists varies with the prefix; each is a line, else "없음".
TEST(PlatformSourcesIntegrationTest, WinesWholePlatformReadingGivesEveryCategoryWithoutANotice) {
  if (!testing::UnderWine()) GTEST_SKIP() << "what Wine's platform answers";
  ASSERT_EQ(DeviceApi().getSystemFirmwareTable, RealDeviceApi().getSystemFirmwareTable);
  const SmbiosTable table = ReadSmbiosTable();
  std::vector<int> types;
  for (const SmbiosRecord& record : table.records) types.push_back(record.strings.empty() ? record.type : -1);
  EXPECT_EQ(std::make_pair(types, table.failure), std::make_pair(std::vector<int>{0, 1, 3, 2, 32}, S_OK));
  KeptOutcomes kept;
  CollectionReaders().platform(kept);
  for (const Category category : {kOs, kCpu, kRam, kMainBoard, kHdd, kSound, kOdd}) {
    ASSERT_TRUE(kept.outcomes[category].has_value()) << category;
    EXPECT_EQ(kept.outcomes[category]->notice, L"") << category;
    ASSERT_FALSE(kept.outcomes[category]->lines.empty()) << category;
  }
  const auto lines = [&kept](Category category) { return kept.outcomes[category]->lines; };
  // Wine's prefix is 64-bit, so the x86 build is a 32-bit program on 64-bit Windows here.
  const std::wstring os = lines(kOs)[0];
  EXPECT_EQ(os.rfind(L"Microsoft Windows ", 0), 0u) << ::testing::PrintToString(os);
  EXPECT_EQ(os.substr(os.size() - 7), L" (64비트)") << ::testing::PrintToString(os);
  EXPECT_FALSE(lines(kCpu)[0].empty());
  EXPECT_GT(ReadTotalMemory().bytes, 0u);
  // The total alone (Wine's table names no module), and a board of empty strings.
  EXPECT_EQ(lines(kRam).size(), 1u) << ::testing::PrintToString(lines(kRam));
  EXPECT_EQ(lines(kRam)[0].rfind(L"총 RAM: ", 0), 0u) << ::testing::PrintToString(lines(kRam));
  EXPECT_EQ(lines(kMainBoard), std::vector<std::wstring>{L" ()"});
  const auto orNothing = [](std::vector<std::wstring> names) { return names.empty() ? decltype(names){L"없음"} : names; };
  EXPECT_EQ(lines(kSound), orNothing(ReadSoundDeviceNames().names));
  EXPECT_EQ(lines(kOdd), orNothing(ReadOpticalDriveNames().names));
  EXPECT_EQ(lines(kHdd).size(), std::max<std::size_t>(1, ReadPlatformDisks().disks.size()));
}

}  // namespace
}  // namespace vantrel
