// EnumerateAdapters against Wine's real DXGI on the virtual display.
#include <gtest/gtest.h>

#include <vector>

#include "probes/adapters.h"
#include "probes/dxgi_entry_points.h"

namespace vantrel {
namespace {

TEST(AdaptersIntegrationTest, ListsAtLeastOneAdapterWithADescription) {
  ASSERT_EQ(DxgiApi().createDxgiFactory1, RealDxgiApi().createDxgiFactory1);

  const std::vector<AdapterInfo> adapters = EnumerateAdapters();

  ASSERT_FALSE(adapters.empty());
  for (const AdapterInfo& adapter : adapters) {
    EXPECT_FALSE(adapter.Description.empty());
    EXPECT_LE(adapter.Description.size(), 128u);
  }
}

}  // namespace
}  // namespace vantrel
