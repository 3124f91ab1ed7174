// The fake DXGI factory and adapters. They never delete themselves: FakeDxgi owns them and
// reads their reference counts, so a test sees every reference that was not given back.
#include "fakes/fake_dxgi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fakes/fake_com.h"
#include "fakes/platform_log.h"

namespace vantrel::testing {

namespace {

FakeDxgi* g_active = nullptr;

constexpr UINT kFakeVendorId = 0x12345678;
constexpr UINT kFakeDeviceId = 0x9ABCDEF0;
constexpr UINT kFakeSubSysId = 0x0F1E2D3C;
constexpr UINT kFakeRevision = 0x4B5A6978;
constexpr SIZE_T kFakeDedicatedSystemMemory = 0x11111111;
constexpr SIZE_T kFakeSharedSystemMemory = 0x22222222;
constexpr DWORD kLuidBase = 0x33330000;

}  // namespace

// A counted fake that implements Interface, the last of the DXGI interfaces Bases lead to: IUnknown
// and IDXGIObject answered once for both fakes. A Release with nothing to give back is a fault of
// the code under test, not of the fake.
template <class Interface, class... Bases>
class FakeDxgiObject : public Interface {
 public:
  explicit FakeDxgiObject(const char* what) : what_(what) {}

  LONG References() const { return references_.Count(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    return QueryFakeInterface<Interface, IDXGIObject, Bases...>(this, iid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return references_.Add(); }
  ULONG STDMETHODCALLTYPE Release() override {
    if (references_.Count() == 0) ADD_FAILURE() << what_ << " released more often than it was handed out";
    return references_.Remove();
  }

  VANTREL_FAKE_NOT_USED(SetPrivateData, (REFGUID, UINT, const void*))
  VANTREL_FAKE_NOT_USED(SetPrivateDataInterface, (REFGUID, const IUnknown*))
  VANTREL_FAKE_NOT_USED(GetPrivateData, (REFGUID, UINT*, void*))
  VANTREL_FAKE_NOT_USED(GetParent, (REFIID, void**))

 private:
  const char* what_;
  ReferenceCount references_;
};

class FakeDxgiFactory final : public FakeDxgiObject<IDXGIFactory1, IDXGIFactory> {
 public:
  explicit FakeDxgiFactory(FakeDxgi& owner) : FakeDxgiObject("the DXGI factory"), owner_(owner) {}

  VANTREL_FAKE_NOT_USED(EnumAdapters, (UINT, IDXGIAdapter**))
  VANTREL_FAKE_NOT_USED(MakeWindowAssociation, (HWND, UINT))
  VANTREL_FAKE_NOT_USED(GetWindowAssociation, (HWND*))
  VANTREL_FAKE_NOT_USED(CreateSwapChain, (IUnknown*, DXGI_SWAP_CHAIN_DESC*, IDXGISwapChain**))
  VANTREL_FAKE_NOT_USED(CreateSoftwareAdapter, (HMODULE, IDXGIAdapter**))

  HRESULT STDMETHODCALLTYPE EnumAdapters1(UINT index, IDXGIAdapter1** adapter) override {
    return owner_.EnumAdapters1(index, adapter);
  }
  BOOL STDMETHODCALLTYPE IsCurrent() override { return FALSE; }

 private:
  FakeDxgi& owner_;
};

class FakeDxgiAdapter final : public FakeDxgiObject<IDXGIAdapter1, IDXGIAdapter> {
 public:
  FakeDxgiAdapter(const FakeAdapter& data, UINT index) : FakeDxgiObject("a DXGI adapter"), data_(data), index_(index) {}

  VANTREL_FAKE_NOT_USED(EnumOutputs, (UINT, IDXGIOutput**))
  VANTREL_FAKE_NOT_USED(GetDesc, (DXGI_ADAPTER_DESC*))
  VANTREL_FAKE_NOT_USED(CheckInterfaceSupport, (REFGUID, LARGE_INTEGER*))

  HRESULT STDMETHODCALLTYPE GetDesc1(DXGI_ADAPTER_DESC1* desc) override {
    if (desc == nullptr) return E_INVALIDARG;
    const unsigned char* const bytes = reinterpret_cast<const unsigned char*>(desc);
    if (std::any_of(bytes, bytes + sizeof *desc, [](unsigned char b) { return b != 0; })) {
      ADD_FAILURE() << "GetDesc1 was given a DXGI_ADAPTER_DESC1 that was not cleared";
    }
    if (FAILED(data_.getDescResult)) return data_.getDescResult;

    constexpr std::size_t kUnits = sizeof desc->Description / sizeof desc->Description[0];
    const std::wstring& text = data_.description;
    if (data_.fillWholeDescription) {
      for (std::size_t i = 0; i < kUnits; ++i) {
        desc->Description[i] = text.empty() ? L'#' : text[i % text.size()];
      }
    } else {
      const std::size_t length = std::min(text.size(), kUnits - 1);
      std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length), desc->Description);
      desc->Description[length] = L'\0';
    }
    desc->VendorId = kFakeVendorId;
    desc->DeviceId = kFakeDeviceId;
    desc->SubSysId = kFakeSubSysId;
    desc->Revision = kFakeRevision;
    desc->DedicatedVideoMemory = data_.dedicatedVideoMemory;
    desc->DedicatedSystemMemory = kFakeDedicatedSystemMemory;
    desc->SharedSystemMemory = kFakeSharedSystemMemory;
    desc->AdapterLuid.LowPart = kLuidBase + index_;
    desc->AdapterLuid.HighPart = 0x44;
    desc->Flags = DXGI_ADAPTER_FLAG_REMOTE;
    return data_.getDescResult;
  }

 private:
  FakeAdapter data_;
  UINT index_;
};

FakeDxgi::FakeDxgi()
    : previous_(g_active),
      table_(DxgiApi(), DxgiEntryPoints{&FakeDxgi::CreateDxgiFactory1}),
      kernelTable_(KernelThunkApi(), KernelTable()),
      factory_(std::make_unique<FakeDxgiFactory>(*this)) {
  g_active = this;
}

FakeDxgi::~FakeDxgi() { g_active = previous_; }

LONG FakeDxgi::OutstandingReferences() const {
  LONG total = factory_->References();
  for (const auto& adapter : handedOut_) total += adapter->References();
  return total;
}

HRESULT WINAPI FakeDxgi::CreateDxgiFactory1(REFIID iid, void** factory) {
  FakeDxgi* const self = g_active;
  if (self == nullptr) {
    ADD_FAILURE() << "the fake CreateDXGIFactory1 was called with no FakeDxgi alive";
    return E_UNEXPECTED;
  }
  ++self->createCalls;
  self->requestedIid = iid;
  PlatformLog().push_back(L"CreateDXGIFactory1");
  if (factory == nullptr) return E_POINTER;
  *factory = nullptr;
  if (FAILED(self->createResult)) {
    *factory = static_cast<IDXGIFactory1*>(self->factory_.get());  // not a reference to release
    return self->createResult;
  }
  if (!self->giveFactory) return self->createResult;
  // As the real one does, an interface that the factory lacks is refused.
  const HRESULT given = self->factory_->QueryInterface(iid, factory);
  if (FAILED(given)) return given;
  return self->createResult;
}

HRESULT FakeDxgi::EnumAdapters1(UINT index, IDXGIAdapter1** adapter) {
  enumIndexes.push_back(index);
  if (adapter == nullptr) return DXGI_ERROR_INVALID_CALL;
  *adapter = nullptr;
  const bool fails = failEnumAt >= 0 && index == static_cast<UINT>(failEnumAt);
  if (fails || index >= adapters.size()) {
    const HRESULT answer = fails ? enumFailure : DXGI_ERROR_NOT_FOUND;
    if (FAILED(answer)) {
      if (!stray_) stray_ = std::make_unique<FakeDxgiAdapter>(FakeAdapter(), index);
      *adapter = stray_.get();  // not a reference to release
    }
    return answer;
  }
  handedOut_.push_back(std::make_unique<FakeDxgiAdapter>(adapters[index], index));
  handedOut_.back()->AddRef();
  *adapter = handedOut_.back().get();
  return S_OK;
}

KernelThunkEntryPoints FakeDxgi::KernelTable() {
  return {&FakeDxgi::OpenAdapterFromLuid, &FakeDxgi::QueryAdapterInfo, &FakeDxgi::CloseAdapter};
}

LONG APIENTRY FakeDxgi::OpenAdapterFromLuid(KmtOpenAdapterFromLuid* open) {
  FakeDxgi& self = *g_active;
  self.kernelCalls.push_back("open");
  if (self.kernelOpenResult < 0) return self.kernelOpenResult;
  const UINT index = open->AdapterLuid.LowPart - kLuidBase;
  if (open->AdapterLuid.HighPart != 0x44 || index >= self.adapters.size()) return static_cast<LONG>(0xC000000D);
  open->hAdapter = index + 1;
  ++self.kernelHandlesOpen_;
  return self.kernelOpenResult;
}

LONG APIENTRY FakeDxgi::QueryAdapterInfo(const KmtQueryAdapterInfo* query) {
  FakeDxgi& self = *g_active;
  self.kernelCalls.push_back("query");
  if (self.kernelQueryResult < 0) return self.kernelQueryResult;
  // Read and answered as the kernel does, by the documented layouts rather than the probe's own:
  // handle, type, buffer, its size; type 3 is the segment sizes, 24 bytes, dedicated video first.
  struct { UINT adapter, type; unsigned char* answer; UINT size; } asked;
  std::memcpy(&asked, query, sizeof asked);
  if (asked.type != 3 || asked.size != 24 || asked.adapter == 0 || asked.adapter > self.adapters.size()) {
    return static_cast<LONG>(0xC000000D);  // STATUS_INVALID_PARAMETER
  }
  const std::uint64_t figures[] = {self.adapters[asked.adapter - 1].kernelVideoMemory, kFakeDedicatedSystemMemory,
                                   kFakeSharedSystemMemory};
  std::memcpy(asked.answer, figures, sizeof figures);
  return self.kernelQueryResult;
}

LONG APIENTRY FakeDxgi::CloseAdapter(const KmtCloseAdapter* close) {
  FakeDxgi& self = *g_active;
  self.kernelCalls.push_back("close");
  if (close->hAdapter == 0 || close->hAdapter > self.adapters.size()) ADD_FAILURE() << "closed a handle never opened";
  --self.kernelHandlesOpen_;
  return 0;
}

}  // namespace vantrel::testing
