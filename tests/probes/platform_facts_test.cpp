// The OS line, the processor's name and the memory total from scripted registry values and
// kernel32 answers, every key given back.
#include <gtest/gtest.h>

#include "fakes/fake_devices.h"
#include "probes/platform_facts.h"

namespace vantrel {
namespace {

using testing::FakeDevices;

// Only the native architecture is asked, so in the x86 build a 64-bit row is a 32-bit program on
// 64-bit Windows.
TEST(PlatformFactsTest, OsLineFromProductNameBuildAndNativeArchitecture) {
  const std::wstring kKey = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\";
  const WORD kX64 = PROCESSOR_ARCHITECTURE_AMD64;
  const struct { const wchar_t *product, *build; WORD architecture; const wchar_t* line; } cases[] = {
      {L"Windows 7 Professional", L"7601", kX64, L"Microsoft Windows 7 Professional (64비트)"},
      {L"Windows 10 Pro", L"19045", kX64, L"Microsoft Windows 10 Pro (64비트)"},
      {L"Windows 10 Pro", L"22631", kX64, L"Microsoft Windows 11 Pro (64비트)"},
      {L"Windows 10 Home", L"22000", PROCESSOR_ARCHITECTURE_ARM64, L"Microsoft Windows 11 Home (64비트)"},
      {L"Microsoft Windows 7", L"7601", kX64, L"Microsoft Windows 7 (64비트)"},  // as Wine names it
      {L"Windows 7 Ultimate", L"7601", PROCESSOR_ARCHITECTURE_INTEL, L"Microsoft Windows 7 Ultimate (32비트)"},
      {L"Windows 10 Pro", L"", kX64, L"Microsoft Windows 10 Pro (64비트)"},
      {L"Windows 10 Pro", L"22631a", kX64, L"Microsoft Windows 10 Pro (64비트)"},
      {L"Windows Server 2025 Datacenter", L"26100", kX64, L"Microsoft Windows Server 2025 Datacenter (64비트)"},
      {L"Windows 10 Pro", L"19045", PROCESSOR_ARCHITECTURE_UNKNOWN, nullptr},
      {nullptr, L"19045", kX64, nullptr},
  };
  for (const auto& row : cases) {
    FakeDevices devices;
    devices.registry = {{kKey + L"CurrentBuildNumber", FakeDevices::Text(row.build)}};
    if (row.product) devices.registry.push_back({kKey + L"ProductName", FakeDevices::Text(row.product)});
    devices.nativeArchitecture = row.architecture;
    const TextFact os = ReadOsLine();
    EXPECT_EQ(os.text, row.line != nullptr ? row.line : L"") << "case " << &row - cases;
    EXPECT_EQ(os.failure == S_OK, row.line != nullptr) << "case " << &row - cases;
    EXPECT_EQ(devices.openNow, 0);
  }
}

TEST(PlatformFactsTest, RegistryTextOnlyOfATextTypeUpToItsNulWithinItsSizeAndTheMemoryTotal) {
  const std::wstring kName = L"AMD Ryzen 5 3600 6-Core Processor             ", kTooLong(32768, L'x');
  FakeDevices::RegistryValue noNul = FakeDevices::Text(L"Intel"), odd = noNul;
  noNul.bytes.resize(10), odd.bytes.resize(9);
  const HRESULT kType = HRESULT_FROM_WIN32(ERROR_INVALID_DATATYPE), kInvalid = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
  const struct { FakeDevices::RegistryValue value; std::wstring text; HRESULT failure; } cases[] = {
      {FakeDevices::Text(kName), kName, S_OK},
      {FakeDevices::Text(L"%CPU%", REG_EXPAND_SZ), L"%CPU%", S_OK},
      {FakeDevices::Text(L"Intel", REG_MULTI_SZ), L"", kType},
      {noNul, L"Intel", S_OK},
      {odd, L"Inte", S_OK},
      {FakeDevices::Text(kTooLong), L"", kInvalid},
  };
  for (const auto& row : cases) {
    FakeDevices devices;
    devices.registry = {{L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0\\ProcessorNameString", row.value}};
    const TextFact name = ReadProcessorName();
    EXPECT_EQ(std::make_pair(name.text, name.failure), std::make_pair(row.text, row.failure)) << &row - cases;
    EXPECT_EQ(devices.openNow, 0);
  }
  FakeDevices devices;  // no value; then the memory total, none, a failure
  EXPECT_EQ(ReadProcessorName().failure, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(ReadTotalMemory().bytes, 16ull << 30);
  devices.totalMemory = 0;
  EXPECT_EQ(ReadTotalMemory().failure, HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
  devices.memoryError = ERROR_ACCESS_DENIED;
  EXPECT_EQ(ReadTotalMemory().failure, HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
}

}  // namespace
}  // namespace vantrel
