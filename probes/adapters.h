// The graphics adapters of the machine, listed through DXGI.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

struct AdapterInfo {
  std::wstring Description;
  std::uint64_t DedicatedVideoMemory = 0;  // bytes, as the platform gives it
};

struct AdapterList {
  std::vector<AdapterInfo> adapters;  // in the factory's index order
  // Why the list may be short: the factory could not be made, the enumeration failed before its
  // end, or an adapter could not describe itself (it is left out; the others are still read).
  // S_OK when every adapter was read.
  HRESULT failure = S_OK;
};

AdapterList EnumerateAdapters();

}  // namespace vantrel
