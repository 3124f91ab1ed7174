#include "probes/kernel_video_memory.h"

#include "probes/kernel_thunk_entry_points.h"

namespace vantrel {

bool QueryKernelDedicatedVideoMemory(const LUID& adapterLuid, std::uint64_t* bytes) {
  const KernelThunkEntryPoints& kernel = KernelThunkApi();
  if (kernel.openAdapterFromLuid == nullptr || kernel.queryAdapterInfo == nullptr || kernel.closeAdapter == nullptr) {
    return false;
  }
  KmtOpenAdapterFromLuid open{};
  open.AdapterLuid = adapterLuid;
  if (kernel.openAdapterFromLuid(&open) < 0) return false;

  KmtSegmentSizeInfo sizes{};
  KmtQueryAdapterInfo query{};
  query.hAdapter = open.hAdapter;
  query.Type = kKmtQueryGetSegmentSize;
  query.pPrivateDriverData = &sizes;
  query.PrivateDriverDataSize = sizeof sizes;
  const bool answered = kernel.queryAdapterInfo(&query) >= 0;

  KmtCloseAdapter close{};
  close.hAdapter = open.hAdapter;
  kernel.closeAdapter(&close);

  if (answered) *bytes = sizes.DedicatedVideoMemorySize;
  return answered;
}

}  // namespace vantrel
