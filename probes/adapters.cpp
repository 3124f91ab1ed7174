// Lists the graphics adapters through DXGI: one record per adapter whose description reads.
#include "probes/adapters.h"

#include <dxgi.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

#include "probes/com_ptr.h"
#include "probes/dxgi_entry_points.h"

namespace vantrel {

namespace {

// The description array need not hold a NUL; the text then takes all of it and no more.
std::wstring DescriptionText(const DXGI_ADAPTER_DESC1& desc) {
  const WCHAR* const begin = std::begin(desc.Description);
  const WCHAR* const end = std::find(begin, std::end(desc.Description), L'\0');
  return std::wstring(begin, end);
}

}  // namespace

std::vector<AdapterInfo> EnumerateAdapters() {
  std::vector<AdapterInfo> adapters;

  ComPtr<IDXGIFactory1> factory;
  const HRESULT created =
      DxgiApi().createDxgiFactory1(__uuidof(IDXGIFactory1), factory.PutVoid());
  if (FAILED(created)) {
    // Whatever a failed call left in the out parameter was never handed to us.
    factory.Detach();
    return adapters;
  }
  if (!factory) return adapters;

  for (UINT index = 0;; ++index) {
    ComPtr<IDXGIAdapter1> adapter;
    const HRESULT found = factory->EnumAdapters1(index, adapter.Put());
    if (FAILED(found)) {
      // DXGI_ERROR_NOT_FOUND is the end of the list. Any other failure ends it as well: the
      // next index is no more likely to answer, and the adapters read so far are still true.
      adapter.Detach();
      break;
    }
    if (!adapter) break;

    // Cleared as raw bytes, so a description that the adapter leaves short still ends in NULs.
    DXGI_ADAPTER_DESC1 desc;
    std::memset(&desc, 0, sizeof desc);
    if (FAILED(adapter->GetDesc1(&desc))) continue;

    AdapterInfo info;
    info.Description = DescriptionText(desc);
    info.DedicatedVideoMemory = static_cast<std::uint64_t>(desc.DedicatedVideoMemory);
    adapters.push_back(std::move(info));
  }
  return adapters;
}

}  // namespace vantrel
