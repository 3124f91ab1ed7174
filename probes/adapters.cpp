// Lists the graphics adapters through DXGI: one record per adapter whose description reads, and
// the first failure that left the list short.
#include "probes/adapters.h"

#include <dxgi.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

#include "probes/com_ptr.h"
#include "probes/dxgi_entry_points.h"
#include "probes/kernel_video_memory.h"

namespace vantrel {

namespace {

// The description array need not hold a NUL; the text then takes all of it and no more.
std::wstring DescriptionText(const DXGI_ADAPTER_DESC1& desc) {
  const WCHAR* const begin = std::begin(desc.Description);
  const WCHAR* const end = std::find(begin, std::end(desc.Description), L'\0');
  return std::wstring(begin, end);
}

// DXGI's figure is pointer-sized: in a 32-bit process a card of 4 GiB or more comes back with
// only the low 32 bits (an 8 GiB card reads 0). There the display kernel gives the same figure
// in 64 bits; where it cannot, DXGI's figure stays. A 64-bit build asks DXGI only.
std::uint64_t DedicatedVideoMemoryOf(const DXGI_ADAPTER_DESC1& desc) {
  std::uint64_t bytes = desc.DedicatedVideoMemory;
  if constexpr (sizeof desc.DedicatedVideoMemory < sizeof bytes) {
    QueryKernelDedicatedVideoMemory(desc.AdapterLuid, &bytes);
  }
  return bytes;
}

}  // namespace

AdapterList EnumerateAdapters() {
  AdapterList list;

  ComPtr<IDXGIFactory1> factory;
  const HRESULT created =
      DxgiApi().createDxgiFactory1(__uuidof(IDXGIFactory1), factory.PutVoid());
  if (!factory.Receive(created)) {
    list.failure = FAILED(created) ? created : E_POINTER;  // "succeeded" without a factory
    return list;
  }

  for (UINT index = 0;; ++index) {
    ComPtr<IDXGIAdapter1> adapter;
    // DXGI_ERROR_NOT_FOUND is the end of the list. Any other failure ends it as well: the
    // next index is no more likely to answer, and the adapters read so far are still true.
    const HRESULT enumerated = factory->EnumAdapters1(index, adapter.Put());
    if (!adapter.Receive(enumerated)) {
      if (enumerated != DXGI_ERROR_NOT_FOUND && list.failure == S_OK) {
        list.failure = FAILED(enumerated) ? enumerated : E_POINTER;
      }
      break;
    }

    // Cleared as raw bytes, so a description that the adapter leaves short still ends in NULs.
    DXGI_ADAPTER_DESC1 desc;
    std::memset(&desc, 0, sizeof desc);
    // An adapter that cannot describe itself is not shown, but the list says it is short.
    const HRESULT described = adapter->GetDesc1(&desc);
    if (FAILED(described)) {
      if (list.failure == S_OK) list.failure = described;
      continue;
    }

    AdapterInfo info;
    info.Description = DescriptionText(desc);
    info.DedicatedVideoMemory = DedicatedVideoMemoryOf(desc);
    list.adapters.push_back(std::move(info));
  }
  return list;
}

}  // namespace vantrel
