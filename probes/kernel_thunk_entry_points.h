// The display kernel thunks of gdi32 that give an adapter's 64-bit video memory figures, in a
// table that tests can fill with fakes. The real table looks them up at run time: they are not
// in every Windows (opening by LUID came with Windows 8), and MinGW ships no header for them,
// so the few documented structures are declared here.
#pragma once

#include <windows.h>

#include <cstddef>

namespace vantrel {

using KmtStatus = LONG;  // an NTSTATUS: negative is failure
using KmtHandle = UINT;

struct KmtOpenAdapterFromLuid {
  LUID AdapterLuid;
  KmtHandle hAdapter;  // out
};

// The query type KMTQAITYPE_GETSEGMENTSIZE and the answer it fills.
constexpr UINT kKmtQueryGetSegmentSize = 3;
struct alignas(8) KmtSegmentSizeInfo {
  ULONGLONG DedicatedVideoMemorySize;
  ULONGLONG DedicatedSystemMemorySize;
  ULONGLONG SharedSystemMemorySize;
};

struct KmtQueryAdapterInfo {
  KmtHandle hAdapter;
  UINT Type;
  void* pPrivateDriverData;
  UINT PrivateDriverDataSize;
};

struct KmtCloseAdapter {
  KmtHandle hAdapter;
};

// The platform's layouts, for both architectures.
static_assert(sizeof(KmtOpenAdapterFromLuid) == 12, "D3DKMT_OPENADAPTERFROMLUID");
static_assert(sizeof(KmtSegmentSizeInfo) == 24 && alignof(KmtSegmentSizeInfo) == 8, "D3DKMT_SEGMENTSIZEINFO");
static_assert(sizeof(KmtQueryAdapterInfo) == (sizeof(void*) == 8 ? 24 : 16), "D3DKMT_QUERYADAPTERINFO");
static_assert(offsetof(KmtQueryAdapterInfo, pPrivateDriverData) == 8, "D3DKMT_QUERYADAPTERINFO");
static_assert(sizeof(KmtCloseAdapter) == 4, "D3DKMT_CLOSEADAPTER");

// A null entry is a function this Windows lacks.
struct KernelThunkEntryPoints {
  KmtStatus(APIENTRY* openAdapterFromLuid)(KmtOpenAdapterFromLuid* open);
  KmtStatus(APIENTRY* queryAdapterInfo)(const KmtQueryAdapterInfo* query);
  KmtStatus(APIENTRY* closeAdapter)(const KmtCloseAdapter* close);
};

KernelThunkEntryPoints& KernelThunkApi();
const KernelThunkEntryPoints& RealKernelThunkApi();

}  // namespace vantrel
