// A fake DXGI for tests: a factory and adapters that count their references and answer
// from a list of adapters, installed in DxgiApi() for the life of a FakeDxgi.
#pragma once

#include <windows.h>
#include <dxgi.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fakes/scoped_table.h"
#include "probes/dxgi_entry_points.h"
#include "probes/kernel_thunk_entry_points.h"

namespace vantrel::testing {

struct FakeAdapter {
  std::wstring description;           // copied into DXGI_ADAPTER_DESC1::Description (truncated to 127)
  SIZE_T dedicatedVideoMemory = 0;
  std::uint64_t kernelVideoMemory = 0;  // the display kernel's figure for the adapter's LUID
  HRESULT getDescResult = S_OK;       // a failure code makes GetDesc1 fail
  bool fillWholeDescription = false;  // fill all 128 units with no terminating NUL
};

class FakeDxgiFactory;
class FakeDxgiAdapter;

// While it lives, DxgiApi().createDxgiFactory1 answers from this object. At most one is in use
// at a time; a nested one takes over and gives the table back when it goes.
//
// EnumAdapters1(index) answers, in this order: enumFailure when index == failEnumAt (S_OK or
// S_FALSE there gives a "successful" answer without an adapter); DXGI_ERROR_NOT_FOUND past the
// last entry of `adapters`; otherwise a new adapter object for adapters[index], read when it is
// handed out. GetDesc1 fills the whole description (identifiers, system memory, LUID and flags
// with non-zero values, so that a read past Description shows) and fails any test whose buffer
// does not come in cleared. With fillWholeDescription, the 128 units repeat `description`
// (or hold L'#' where it is empty). Adapter i has the LUID {0x33330000 + i, 0x44}.
//
// A failed call leaves an object without a reference in its out parameter, as a careless
// implementation may: releasing it fails the test.
//
// The display kernel's thunks (KernelThunkApi) answer too: opening by a LUID of the list gives
// handle i + 1, and the segment-size query gives that adapter's kernelVideoMemory. By default
// the query fails as Wine's does (not implemented). A test removes a thunk by setting its entry
// in KernelThunkApi() to null; the table is restored with the rest.
class FakeDxgi {
 public:
  FakeDxgi();
  ~FakeDxgi();
  FakeDxgi(const FakeDxgi&) = delete;
  FakeDxgi& operator=(const FakeDxgi&) = delete;

  std::vector<FakeAdapter> adapters;
  HRESULT createResult = S_OK;         // CreateDXGIFactory1's answer
  bool giveFactory = true;             // false: succeed without a factory
  int failEnumAt = -1;                 // index at which EnumAdapters1 fails with enumFailure
  HRESULT enumFailure = E_FAIL;
  int createCalls = 0;                 // entry point calls
  std::vector<UINT> enumIndexes;       // indexes asked of EnumAdapters1, in order
  IID requestedIid{};                  // the iid CreateDXGIFactory1 got
  LONG OutstandingReferences() const;  // references handed out and not yet released

  LONG kernelOpenResult = 0;                      // an NTSTATUS
  LONG kernelQueryResult = static_cast<LONG>(0xC0000002);  // STATUS_NOT_IMPLEMENTED
  std::vector<std::string> kernelCalls;           // "open", "query", "close", in order
  int KernelHandlesOpen() const { return kernelHandlesOpen_; }

  // Adapter objects handed out so far, one per successful EnumAdapters1.
  int AdaptersHandedOut() const { return static_cast<int>(handedOut_.size()); }

 private:
  friend class FakeDxgiFactory;
  static HRESULT WINAPI CreateDxgiFactory1(REFIID iid, void** factory);
  HRESULT EnumAdapters1(UINT index, IDXGIAdapter1** adapter);
  static LONG APIENTRY OpenAdapterFromLuid(KmtOpenAdapterFromLuid* open);
  static LONG APIENTRY QueryAdapterInfo(const KmtQueryAdapterInfo* query);
  static LONG APIENTRY CloseAdapter(const KmtCloseAdapter* close);
  static KernelThunkEntryPoints KernelTable();

  FakeDxgi* previous_;
  ScopedTable<DxgiEntryPoints> table_;
  ScopedTable<KernelThunkEntryPoints> kernelTable_;
  int kernelHandlesOpen_ = 0;
  std::unique_ptr<FakeDxgiFactory> factory_;
  std::vector<std::unique_ptr<FakeDxgiAdapter>> handedOut_;
  std::unique_ptr<FakeDxgiAdapter> stray_;  // what a failed EnumAdapters1 leaves behind
};

}  // namespace vantrel::testing
