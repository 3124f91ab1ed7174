// EnumerateAdapters against Wine's real DXGI on the virtual display.
#include <gtest/gtest.h>

#include <dxgi.h>

#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "probes/adapters.h"
#include "probes/com_ptr.h"
#include "probes/dxgi_entry_points.h"
#include "probes/kernel_video_memory.h"

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

// Each figure is DXGI's own, except in a 32-bit build where the display kernel answers for the
// adapter's LUID. Wine's kernel query is not implemented, so there every figure stays DXGI's.
TEST(AdaptersIntegrationTest, VideoMemoryIsDxgisFigureUnlessA32BitBuildHasTheKernels) {
  ComPtr<IDXGIFactory1> factory;
  ASSERT_TRUE(factory.Receive(RealDxgiApi().createDxgiFactory1(__uuidof(IDXGIFactory1), factory.PutVoid())));
  std::vector<std::uint64_t> expected;
  ComPtr<IDXGIAdapter1> adapter;
  for (UINT index = 0; adapter.Receive(factory->EnumAdapters1(index, adapter.Put())); ++index) {
    DXGI_ADAPTER_DESC1 desc{};
    ASSERT_TRUE(SUCCEEDED(adapter->GetDesc1(&desc)));
    std::uint64_t bytes = desc.DedicatedVideoMemory;
    const bool kernelAnswers = QueryKernelDedicatedVideoMemory(desc.AdapterLuid, &bytes);
    if (sizeof(SIZE_T) == sizeof(std::uint64_t)) bytes = desc.DedicatedVideoMemory;
    if (kernelAnswers) std::cout << "[ NOTE     ] the display kernel answers for adapter " << index << '\n';
    expected.push_back(bytes);
  }

  std::vector<std::uint64_t> figures;
  for (const AdapterInfo& info : EnumerateAdapters()) figures.push_back(info.DedicatedVideoMemory);
  EXPECT_EQ(figures, expected);
}

}  // namespace
}  // namespace vantrel
