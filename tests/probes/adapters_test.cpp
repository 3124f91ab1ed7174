// EnumerateAdapters against the fake DXGI: order, skipped adapters, the end of the list,
// failures of the factory and of the enumeration, description and memory values, releases.
#include <gtest/gtest.h>

#include <dxgi.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "fakes/fake_dxgi.h"
#include "fakes/platform_log.h"
#include "probes/adapters.h"
#include "probes/com_ptr.h"
#include "probes/dxgi_entry_points.h"
#include "probes/kernel_thunk_entry_points.h"
#include "probes/kernel_video_memory.h"
#include "probes/system_function.h"

namespace vantrel {
namespace {

using testing::FakeAdapter;
using testing::FakeDxgi;
using testing::PlatformLog;

FakeAdapter Adapter(const std::wstring& description, SIZE_T memory = 0,
                    HRESULT getDescResult = S_OK) {
  FakeAdapter adapter;
  adapter.description = description;
  adapter.dedicatedVideoMemory = memory;
  adapter.getDescResult = getDescResult;
  return adapter;
}

std::vector<std::wstring> Descriptions(const std::vector<AdapterInfo>& adapters) {
  std::vector<std::wstring> descriptions;
  for (const AdapterInfo& adapter : adapters) descriptions.push_back(adapter.Description);
  return descriptions;
}

class AdaptersTest : public ::testing::Test {
 protected:
  void SetUp() override { PlatformLog().clear(); }
  FakeDxgi dxgi;
};

TEST_F(AdaptersTest, ListsAdaptersInIndexOrderAndReleasesEverything) {
  dxgi.adapters = {Adapter(L"Radeon Fake 7", 2147483648u), Adapter(L"Fake Basic Render", 0)};

  const std::vector<AdapterInfo> adapters = EnumerateAdapters().adapters;

  ASSERT_EQ(adapters.size(), 2u);
  EXPECT_EQ(adapters[0].Description, L"Radeon Fake 7");
  EXPECT_EQ(adapters[0].DedicatedVideoMemory, 2147483648u);
  EXPECT_EQ(adapters[1].Description, L"Fake Basic Render");
  EXPECT_EQ(dxgi.enumIndexes, (std::vector<UINT>{0, 1, 2}));
  EXPECT_EQ(dxgi.createCalls, 1);
  EXPECT_EQ(dxgi.AdaptersHandedOut(), 2);
  EXPECT_EQ(dxgi.OutstandingReferences(), 0);
}

TEST_F(AdaptersTest, AsksForTheFactory1Interface) {
  EnumerateAdapters();

  const IID factory1 = {0x770AAE78, 0xF26F, 0x4DBA, {0xA8, 0x29, 0x25, 0x3C, 0x83, 0xD1, 0xB3, 0x87}};
  EXPECT_TRUE(IsEqualIID(dxgi.requestedIid, factory1));
  EXPECT_TRUE(IsEqualIID(dxgi.requestedIid, __uuidof(IDXGIFactory1)));
}

TEST_F(AdaptersTest, NoAdapterAtIndexZeroGivesAnEmptyListAndReleasesTheFactory) {
  const std::vector<AdapterInfo> adapters = EnumerateAdapters().adapters;

  EXPECT_TRUE(adapters.empty());
  EXPECT_EQ(dxgi.enumIndexes, (std::vector<UINT>{0}));
  EXPECT_EQ(dxgi.OutstandingReferences(), 0);
}

// The list says it is short: an adapter of which nothing could be read is not one that is missing.
TEST_F(AdaptersTest, AdapterWhoseDescriptionFailsIsSkippedReleasedAndReported) {
  dxgi.adapters = {Adapter(L"First", 1), Adapter(L"Second", 2, DXGI_ERROR_DEVICE_REMOVED),
                   Adapter(L"Third", 3, E_FAIL)};

  const AdapterList list = EnumerateAdapters();
  const std::vector<AdapterInfo>& adapters = list.adapters;
  EXPECT_EQ(list.failure, DXGI_ERROR_DEVICE_REMOVED) << "the first failure";

  ASSERT_EQ(adapters.size(), 1u);
  EXPECT_EQ(adapters[0].Description, L"First");
  EXPECT_EQ(adapters[0].DedicatedVideoMemory, 1u);
  EXPECT_EQ(dxgi.enumIndexes, (std::vector<UINT>{0, 1, 2, 3}));
  EXPECT_EQ(dxgi.AdaptersHandedOut(), 3);
  EXPECT_EQ(dxgi.OutstandingReferences(), 0);
}

TEST_F(AdaptersTest, KeepsAdaptersWithoutMemoryAndWithEqualDescriptions) {
  dxgi.adapters = {Adapter(L"Same Card", 0), Adapter(L"Same Card", 0)};

  const std::vector<AdapterInfo> adapters = EnumerateAdapters().adapters;

  ASSERT_EQ(adapters.size(), 2u);
  for (const AdapterInfo& adapter : adapters) {
    EXPECT_EQ(adapter.Description, L"Same Card");
    EXPECT_EQ(adapter.DedicatedVideoMemory, 0u);
  }
}

TEST_F(AdaptersTest, DescriptionIsTakenAsItIsUpToItsNul) {
  dxgi.adapters = {Adapter(L"  Padded  Name \t"), Adapter(L""),
                   Adapter(std::wstring(L"Before\0After", 12)), Adapter(L"그래픽 어댑터 \u00e9")};

  const std::vector<AdapterInfo> adapters = EnumerateAdapters().adapters;

  EXPECT_EQ(Descriptions(adapters),
            (std::vector<std::wstring>{L"  Padded  Name \t", L"", L"Before", L"그래픽 어댑터 \u00e9"}));
}

TEST_F(AdaptersTest, DescriptionFillingTheWholeArrayIsReadToItsEndAndNoFurther) {
  FakeAdapter full = Adapter(L"0123456789abcdef", 5);
  full.fillWholeDescription = true;
  dxgi.adapters = {full, Adapter(L"x", 6)};

  const std::vector<AdapterInfo> adapters = EnumerateAdapters().adapters;

  ASSERT_EQ(adapters.size(), 2u);
  std::wstring expected;
  for (int i = 0; i < 8; ++i) expected += L"0123456789abcdef";
  EXPECT_EQ(adapters[0].Description.size(), 128u);
  EXPECT_EQ(adapters[0].Description, expected);
  EXPECT_EQ(adapters[0].DedicatedVideoMemory, 5u);
  // The buffer is cleared again before the next adapter, so nothing of the first remains.
  EXPECT_EQ(adapters[1].Description, L"x");
}

TEST_F(AdaptersTest, LargestMemoryValueIsWidenedWithoutChange) {
  const SIZE_T largest = std::numeric_limits<SIZE_T>::max();
  dxgi.adapters = {Adapter(L"Max", largest)};

  const std::vector<AdapterInfo> adapters = EnumerateAdapters().adapters;

  ASSERT_EQ(adapters.size(), 1u);
  // Zero-extended on a 32-bit build: 4294967295, not a sign-extended 2^64 - 1.
  EXPECT_EQ(adapters[0].DedicatedVideoMemory, static_cast<std::uint64_t>(largest));
}

TEST_F(AdaptersTest, MemoryAboveFourGibibytesIsCarriedUnchanged) {
  if constexpr (sizeof(SIZE_T) == 8) {
    const std::uint64_t sixGibPlusOne = 6ull * 1024 * 1024 * 1024 + 1;
    dxgi.adapters = {Adapter(L"Big", static_cast<SIZE_T>(sixGibPlusOne))};

    const std::vector<AdapterInfo> adapters = EnumerateAdapters().adapters;

    ASSERT_EQ(adapters.size(), 1u);
    EXPECT_EQ(adapters[0].DedicatedVideoMemory, sixGibPlusOne);
  } else {
    GTEST_SKIP() << "SIZE_T holds no more than 4 GiB in a 32-bit build";
  }
}

TEST_F(AdaptersTest, EachCallMakesItsOwnFactory) {
  dxgi.adapters = {Adapter(L"Only", 7)};

  const std::vector<AdapterInfo> first = EnumerateAdapters().adapters;
  const std::vector<AdapterInfo> second = EnumerateAdapters().adapters;

  EXPECT_EQ(Descriptions(first), Descriptions(second));
  EXPECT_EQ(dxgi.createCalls, 2);
  EXPECT_EQ(dxgi.enumIndexes, (std::vector<UINT>{0, 1, 0, 1}));
  EXPECT_EQ(dxgi.OutstandingReferences(), 0);
}

// Factory creation that fails, or succeeds with no factory, ends the enumeration before it
// starts: nothing else is called and there is nothing to release.
class AdaptersWithoutFactoryTest : public AdaptersTest,
                                   public ::testing::WithParamInterface<HRESULT> {};

TEST_P(AdaptersWithoutFactoryTest, FailedCreationGivesAnEmptyListAndCallsNothingElse) {
  dxgi.adapters = {Adapter(L"Unreachable", 1)};
  dxgi.createResult = GetParam();

  EXPECT_EQ(EnumerateAdapters().failure, GetParam());  // and no adapter: none was asked for
  EXPECT_EQ(dxgi.createCalls, 1);
  EXPECT_TRUE(dxgi.enumIndexes.empty());
  EXPECT_EQ(PlatformLog(), (std::vector<std::wstring>{L"CreateDXGIFactory1"}));
  EXPECT_EQ(dxgi.OutstandingReferences(), 0);
}

INSTANTIATE_TEST_SUITE_P(Codes, AdaptersWithoutFactoryTest,
                         ::testing::Values(E_FAIL, E_NOINTERFACE, DXGI_ERROR_UNSUPPORTED,
                                           HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)));

TEST_F(AdaptersTest, SuccessWithoutAFactoryGivesAnEmptyListAndCallsNothingElse) {
  dxgi.adapters = {Adapter(L"Unreachable", 1)};
  for (const HRESULT success : {S_OK, S_FALSE}) {
    dxgi.createResult = success;
    dxgi.giveFactory = false;

    EXPECT_EQ(EnumerateAdapters().failure, E_POINTER);
  }
  EXPECT_EQ(dxgi.createCalls, 2);
  EXPECT_TRUE(dxgi.enumIndexes.empty());
  EXPECT_EQ(dxgi.OutstandingReferences(), 0);
}

// EnumAdapters1 failing with a code other than DXGI_ERROR_NOT_FOUND, or "succeeding" without an
// adapter (E_POINTER), ends the list there and is reported: the records read so far stay, and no
// later index is asked. DXGI_ERROR_NOT_FOUND is the end, not a failure.
struct EnumEnd {
  int at;
  HRESULT answer;
  HRESULT reported;
};

void PrintTo(const EnumEnd& end, std::ostream* out) {
  *out << "index " << end.at << " answer 0x" << std::hex << static_cast<unsigned long>(end.answer);
}

class AdaptersEnumEndTest : public AdaptersTest, public ::testing::WithParamInterface<EnumEnd> {};

TEST_P(AdaptersEnumEndTest, KeepsTheRecordsGatheredBeforeIt) {
  dxgi.adapters = {Adapter(L"A", 10), Adapter(L"B", 20), Adapter(L"C", 30)};
  dxgi.failEnumAt = GetParam().at;
  dxgi.enumFailure = GetParam().answer;

  const AdapterList list = EnumerateAdapters();

  const std::vector<std::wstring> all = {L"A", L"B", L"C"};
  const std::vector<std::wstring> before(all.begin(), all.begin() + GetParam().at);
  EXPECT_EQ(Descriptions(list.adapters), before);
  EXPECT_EQ(list.failure, GetParam().reported);
  std::vector<UINT> asked;
  for (int i = 0; i <= GetParam().at; ++i) asked.push_back(static_cast<UINT>(i));
  EXPECT_EQ(dxgi.enumIndexes, asked);
  EXPECT_EQ(dxgi.AdaptersHandedOut(), GetParam().at);
  EXPECT_EQ(dxgi.OutstandingReferences(), 0);
}

INSTANTIATE_TEST_SUITE_P(Answers, AdaptersEnumEndTest,
                         ::testing::Values(EnumEnd{0, E_FAIL, E_FAIL}, EnumEnd{1, E_FAIL, E_FAIL},
                                           EnumEnd{2, DXGI_ERROR_DEVICE_REMOVED, DXGI_ERROR_DEVICE_REMOVED},
                                           EnumEnd{0, S_OK, E_POINTER}, EnumEnd{2, S_OK, E_POINTER},
                                           EnumEnd{1, S_FALSE, E_POINTER}, EnumEnd{1, DXGI_ERROR_NOT_FOUND, S_OK}));

// The display kernel's 64-bit figure, found by the adapter's LUID. A 32-bit build takes it in
// place of DXGI's when open, query and close all exist and open and query succeed; anything else
// keeps DXGI's figure. A 64-bit build never asks. Close follows each successful open only.
struct KernelCase {
  const char* name;
  LONG openResult;
  LONG queryResult;
  const char* missing;  // the thunk this Windows lacks, or null
  std::vector<std::string> calls;
};

void PrintTo(const KernelCase& kernelCase, std::ostream* out) { *out << kernelCase.name; }

class AdaptersKernelFigureTest : public AdaptersTest, public ::testing::WithParamInterface<KernelCase> {};

TEST_P(AdaptersKernelFigureTest, ReplacesDxgisFigureInA32BitBuildOnlyWhenEveryCallSucceeds) {
  const KernelCase& kernel = GetParam();
  const bool replaces = kernel.openResult >= 0 && kernel.queryResult >= 0 && kernel.missing == nullptr;
  const std::string missing = kernel.missing != nullptr ? kernel.missing : "";
  KernelThunkEntryPoints& thunks = KernelThunkApi();
  if (missing == "open") thunks.openAdapterFromLuid = nullptr;
  if (missing == "query") thunks.queryAdapterInfo = nullptr;
  if (missing == "close") thunks.closeAdapter = nullptr;
  // As Windows gives them: the kernel's 64-bit figures, and DXGI's cut to the process's SIZE_T.
  const std::uint64_t nineGib = 9ull << 30, twoGibAndOne = (2ull << 30) + 1;
  FakeAdapter first = Adapter(L"First", static_cast<SIZE_T>(nineGib));
  FakeAdapter second = Adapter(L"Second", static_cast<SIZE_T>(twoGibAndOne));
  first.kernelVideoMemory = nineGib;
  second.kernelVideoMemory = twoGibAndOne;
  dxgi.adapters = {first, second};
  dxgi.kernelOpenResult = kernel.openResult;
  dxgi.kernelQueryResult = kernel.queryResult;

  std::uint64_t bytes = 7;
  EXPECT_EQ(QueryKernelDedicatedVideoMemory(LUID{0x33330001, 0x44}, &bytes), replaces);
  EXPECT_EQ(bytes, replaces ? twoGibAndOne : 7u);
  EXPECT_EQ(dxgi.kernelCalls, kernel.calls);
  dxgi.kernelCalls.clear();

  const std::vector<AdapterInfo> adapters = EnumerateAdapters().adapters;

  ASSERT_EQ(adapters.size(), 2u);
  if (sizeof(SIZE_T) < sizeof(std::uint64_t)) {
    EXPECT_EQ(adapters[0].DedicatedVideoMemory, replaces ? nineGib : static_cast<std::uint32_t>(nineGib));
    EXPECT_EQ(adapters[1].DedicatedVideoMemory, twoGibAndOne);
    std::vector<std::string> both = kernel.calls;
    both.insert(both.end(), kernel.calls.begin(), kernel.calls.end());
    EXPECT_EQ(dxgi.kernelCalls, both);
  } else {
    EXPECT_EQ(adapters[0].DedicatedVideoMemory, nineGib);
    EXPECT_TRUE(dxgi.kernelCalls.empty());
  }
  EXPECT_EQ(dxgi.KernelHandlesOpen(), 0);
  EXPECT_EQ(dxgi.OutstandingReferences(), 0);
}

constexpr LONG kStatusInvalidParameter = static_cast<LONG>(0xC000000D);
constexpr LONG kStatusNotImplemented = static_cast<LONG>(0xC0000002);

INSTANTIATE_TEST_SUITE_P(
    Thunks, AdaptersKernelFigureTest,
    ::testing::Values(KernelCase{"answered", 0, 0, nullptr, {"open", "query", "close"}},
                      KernelCase{"open_fails", kStatusInvalidParameter, 0, nullptr, {"open"}},
                      KernelCase{"query_not_implemented", 0, kStatusNotImplemented, nullptr, {"open", "query", "close"}},
                      KernelCase{"no_open_by_luid", 0, 0, "open", {}},
                      KernelCase{"no_query", 0, 0, "query", {}},
                      KernelCase{"no_close", 0, 0, "close", {}}),
    [](const ::testing::TestParamInfo<KernelCase>& info) { return std::string(info.param.name); });

TEST(DxgiEntryPointsTest, RealEntryGivesAFactory) {
  ComPtr<IDXGIFactory1> factory;
  const HRESULT created =
      RealDxgiApi().createDxgiFactory1(__uuidof(IDXGIFactory1), factory.PutVoid());

  EXPECT_TRUE(SUCCEEDED(created)) << std::hex << created;
  EXPECT_TRUE(factory);
}

TEST(DxgiEntryPointsTest, MissingDllOrFunctionIsAFailureWithTheWindowsReason) {
  HRESULT failure = S_OK;
  EXPECT_EQ(FindSystemFunction(L"vantrel-no-such-library.dll", "CreateDXGIFactory1", &failure),
            nullptr);
  EXPECT_EQ(failure, HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));

  failure = S_OK;
  EXPECT_EQ(FindSystemFunction(L"kernel32.dll", "CreateDXGIFactory1", &failure), nullptr);
  EXPECT_EQ(failure, HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND));

  failure = E_FAIL;
  EXPECT_NE(FindSystemFunction(L"kernel32.dll", "GetTickCount", &failure), nullptr);
  EXPECT_EQ(failure, S_OK);
}

}  // namespace
}  // namespace vantrel
