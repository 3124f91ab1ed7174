// The graphics adapters of the machine, listed through DXGI.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

struct AdapterInfo {
  std::wstring Description;
  std::uint64_t DedicatedVideoMemory = 0;  // bytes, as the platform gives it
};

// Adapters in the factory's index order; a platform failure gives fewer records or none.
std::vector<AdapterInfo> EnumerateAdapters();

}  // namespace vantrel
