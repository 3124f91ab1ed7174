// EnumerateAdapters against Wine's real DXGI on the virtual display.
#include <gtest/gtest.h>

#include <string>
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
    // The text ends at the description's terminator: none of the array's padding comes along.
    EXPECT_EQ(adapter.Description.find(L'\0'), std::wstring::npos) << adapter.Description.size() << " characters";
  }
}

}  // namespace
}  // namespace vantrel
