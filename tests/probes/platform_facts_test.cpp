// The OS line, the processor's name and the memory total from scripted registry values and
// kernel32 answers: what is read, what is refused, and every key given back.
#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_devices.h"
#include "probes/platform_facts.h"

namespace vantrel {
namespace {

using testing::FakeDevices;

const std::wstring kCurrentVersion = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\";
const std::wstring kProcessor = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0\\";

// Only the native architecture is asked, so in the x86 build every 64-bit row is also a 32-bit
// program on 64-bit Windows.
TEST(PlatformFactsTest, OsLineFromProductNameBuildAndNativeArchitecture) {
  const WORD kX64 = PROCESSOR_ARCHITECTURE_AMD64;
  const struct { const wchar_t *product, *build; WORD architecture; const wchar_t* line; } cases[] = {
      {L"Windows 7 Professional", L"7601", kX64, L"Microsoft Windows 7 Professional (64비트)"},
      {L"Windows 10 Pro", L"19045", kX64, L"Microsoft Windows 10 Pro (64비트)"},
      {L"Windows 10 Pro", L"22631", kX64, L"Microsoft Windows 11 Pro (64비트)"},
      {L"Windows 10 Home", L"22000", PROCESSOR_ARCHITECTURE_ARM64, L"Microsoft Windows 11 Home (64비트)"},
      {L"Windows 10 Enterprise", L"21999", kX64, L"Microsoft Windows 10 Enterprise (64비트)"},
      {L"Microsoft Windows 10", L"26100", kX64, L"Microsoft Windows 11 (64비트)"},
      {L"Microsoft Windows 7", L"7601", kX64, L"Microsoft Windows 7 (64비트)"},  // as Wine names it
      {L"Windows 7 Ultimate", L"7601", PROCESSOR_ARCHITECTURE_INTEL, L"Microsoft Windows 7 Ultimate (32비트)"},
      {L"Windows 10 Pro", L"", kX64, L"Microsoft Windows 10 Pro (64비트)"},
      {L"Windows 10 Pro", L"22631a", kX64, L"Microsoft Windows 10 Pro (64비트)"},
      {L"Windows 100", L"22631", kX64, L"Microsoft Windows 100 (64비트)"},
      {L"Windows Server 2025 Datacenter", L"26100", kX64, L"Microsoft Windows Server 2025 Datacenter (64비트)"},
      {L"Windows 10 Pro", L"19045", PROCESSOR_ARCHITECTURE_UNKNOWN, nullptr},
      {nullptr, L"19045", kX64, nullptr},
  };
  for (const auto& row : cases) {
    FakeDevices devices;
    devices.registry = {{kCurrentVersion + L"CurrentBuildNumber", FakeDevices::Text(row.build)}};
    if (row.product) devices.registry.push_back({kCurrentVersion + L"ProductName", FakeDevices::Text(row.product)});
    devices.nativeArchitecture = row.architecture;
    const TextFact os = ReadOsLine();
    EXPECT_EQ(os.text, row.line != nullptr ? row.line : L"") << "case " << &row - cases;
    EXPECT_EQ(os.failure == S_OK, row.line != nullptr) << "case " << &row - cases;
    EXPECT_EQ(devices.openNow, 0);
  }
}

TEST(PlatformFactsTest, RegistryTextOnlyOfATextTypeUpToItsNulWithinItsSize) {
  const std::wstring kName = L"AMD Ryzen 5 3600 6-Core Processor             ", kLongest(32767, L'x');
  FakeDevices::RegistryValue noNul = FakeDevices::Text(L"Intel"), odd = noNul;
  noNul.bytes.resize(10), odd.bytes.resize(9);
  const HRESULT kWrongType = HRESULT_FROM_WIN32(ERROR_INVALID_DATATYPE), kInvalid = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
  const struct { FakeDevices::RegistryValue value; std::wstring text; HRESULT failure; } cases[] = {
      {FakeDevices::Text(kName), kName, S_OK},
      {FakeDevices::Text(L"%CPU%", REG_EXPAND_SZ), L"%CPU%", S_OK},
      {FakeDevices::Text(L"Intel", REG_MULTI_SZ), L"", kWrongType},
      {{REG_DWORD, {1, 0, 0, 0}}, L"", kWrongType},
      {noNul, L"Intel", S_OK},
      {odd, L"Inte", S_OK},
      {FakeDevices::Text(std::wstring(L"Intel\0(R)", 9)), L"Intel", S_OK},
      {{REG_SZ, {}}, L"", S_OK},
      {FakeDevices::Text(kLongest), kLongest, S_OK},
      {FakeDevices::Text(kLongest + L"x"), L"", kInvalid},
  };
  for (const auto& row : cases) {
    FakeDevices devices;
    devices.registry = {{kProcessor + L"ProcessorNameString", row.value}};
    const TextFact name = ReadProcessorName();
    EXPECT_EQ(name.text, row.text) << "case " << &row - cases;
    EXPECT_EQ(name.failure, row.failure) << "case " << &row - cases;
    EXPECT_EQ(devices.openNow, 0);
  }
  FakeDevices devices;  // the key without the value, then no key
  devices.registry = {{kProcessor + L"Identifier", FakeDevices::Text(L"x86 Family 23 Model 113 Stepping 0")}};
  EXPECT_EQ(ReadProcessorName().failure, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  devices.registry.clear();
  EXPECT_EQ(ReadProcessorName().failure, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(devices.openNow, 0);
}

TEST(PlatformFactsTest, TotalMemoryIsTheTotalPhysicalMemoryOrTheFailure) {
  const struct { DWORDLONG total; DWORD error; HRESULT failure; } cases[] = {
      {24ull << 30, 0, S_OK},
      {0, 0, HRESULT_FROM_WIN32(ERROR_INVALID_DATA)},
      {24ull << 30, ERROR_ACCESS_DENIED, HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)},
  };
  for (const auto& row : cases) {
    FakeDevices devices;
    devices.totalMemory = row.total, devices.memoryError = row.error;
    const ByteCountFact memory = ReadTotalMemory();
    EXPECT_EQ(memory.bytes, row.failure == S_OK ? row.total : 0);
    EXPECT_EQ(memory.failure, row.failure);
  }
}

}  // namespace
}  // namespace vantrel
