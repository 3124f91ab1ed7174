#include "probes/kernel_thunk_entry_points.h"

#include "probes/system_function.h"

namespace vantrel {
namespace {

// A FARPROC is a generic function address; each exported thunk has the signature of its entry.
template <class Function>
Function FindThunk(const char* name) {
  HRESULT failure = S_OK;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(FindSystemFunction(L"gdi32.dll", name, &failure)));
}

}  // namespace

const KernelThunkEntryPoints& RealKernelThunkApi() {
  // Looked up once: gdi32 stays loaded, and a function missing now is missing for good.
  static const KernelThunkEntryPoints real{
      FindThunk<decltype(KernelThunkEntryPoints::openAdapterFromLuid)>("D3DKMTOpenAdapterFromLuid"),
      FindThunk<decltype(KernelThunkEntryPoints::queryAdapterInfo)>("D3DKMTQueryAdapterInfo"),
      FindThunk<decltype(KernelThunkEntryPoints::closeAdapter)>("D3DKMTCloseAdapter"),
  };
  return real;
}

KernelThunkEntryPoints& KernelThunkApi() {
  static KernelThunkEntryPoints live = RealKernelThunkApi();
  return live;
}

}  // namespace vantrel
