// The probes that do not ask WMI, against Wine's real platform: EnumerateAdapters on the virtual
// display, the drive kind and the batteries.
#include <gtest/gtest.h>

#include <dxgi.h>

#include <cstdint>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "probes/adapters.h"
#include "probes/batteries.h"
#include "probes/com_ptr.h"
#include "probes/device_entry_points.h"
#include "probes/drive_kind.h"
#include "probes/dxgi_entry_points.h"
#include "fakes/scoped_table.h"
#include "support/ui_driver.h"

namespace vantrel {
namespace {

TEST(AdaptersIntegrationTest, ListsAtLeastOneAdapterWithADescription) {
  ASSERT_EQ(DxgiApi().createDxgiFactory1, RealDxgiApi().createDxgiFactory1);

  const std::vector<AdapterInfo> adapters = EnumerateAdapters().adapters;

  ASSERT_FALSE(adapters.empty());
  for (const AdapterInfo& adapter : adapters) {
    EXPECT_FALSE(adapter.Description.empty());
    // The text ends at the description's terminator: none of the array's padding comes along.
    EXPECT_EQ(adapter.Description.find(L'\0'), std::wstring::npos) << adapter.Description.size() << " characters";
  }
}

// The display kernel's 64-bit figure for a LUID, asked here without the probe: gdi32's thunks
// with the documented layouts (query type 3, segment sizes: 24 bytes, dedicated video memory in
// the first 8). False when this Windows lacks them or does not answer (Wine: not implemented).
bool KernelFigure(const LUID& luid, std::uint64_t* bytes) {
  using Thunk = LONG(APIENTRY*)(void*);
  HMODULE gdi32 = LoadLibraryW(L"gdi32.dll");  // a known DLL: always the system's
  const auto Find = [gdi32](const char* name) {
    return reinterpret_cast<Thunk>(reinterpret_cast<void*>(GetProcAddress(gdi32, name)));
  };
  const Thunk open = Find("D3DKMTOpenAdapterFromLuid"), query = Find("D3DKMTQueryAdapterInfo");
  const Thunk close = Find("D3DKMTCloseAdapter");
  struct { LUID luid; UINT adapter; } opened{luid, 0};
  if (open == nullptr || query == nullptr || close == nullptr || open(&opened) < 0) return false;
  unsigned char answer[24] = {};
  struct { UINT adapter, type; void* answer; UINT size; } asked{opened.adapter, 3, answer, sizeof answer};
  const bool answered = query(&asked) >= 0;
  close(&opened.adapter);
  if (answered) std::memcpy(bytes, answer, 8);
  return answered;
}

// DXGI's figure is whole in a 64-bit process; in a 32-bit one Windows cuts it to 32 bits, so
// there the kernel's figure is the truth wherever the kernel answers.
TEST(AdaptersIntegrationTest, VideoMemoryIsDxgisFigureUnlessA32BitBuildHasTheKernels) {
  ComPtr<IDXGIFactory1> factory;
  ASSERT_TRUE(factory.Receive(RealDxgiApi().createDxgiFactory1(__uuidof(IDXGIFactory1), factory.PutVoid())));
  std::vector<std::uint64_t> expected;
  ComPtr<IDXGIAdapter1> adapter;
  for (UINT index = 0; adapter.Receive(factory->EnumAdapters1(index, adapter.Put())); ++index) {
    DXGI_ADAPTER_DESC1 desc{};
    ASSERT_TRUE(SUCCEEDED(adapter->GetDesc1(&desc)));
    std::uint64_t kernel = 0;
    const bool kernelAnswers = KernelFigure(desc.AdapterLuid, &kernel);
    std::cout << "[ NOTE     ] adapter " << index << (kernelAnswers ? ": kernel answers\n" : ": no kernel answer\n");
    expected.push_back(sizeof(void*) == 8 || !kernelAnswers ? desc.DedicatedVideoMemory : kernel);
  }

  std::vector<std::uint64_t> figures;
  for (const AdapterInfo& info : EnumerateAdapters().adapters) figures.push_back(info.DedicatedVideoMemory);
  EXPECT_EQ(figures, expected);
}

// What the probes asked Wine's devices and what these answered, noted on the way to the real calls.
std::vector<std::string> g_answers;

// Notes `what` (or the error, which it keeps for the caller) and gives back `done`.
BOOL Noted(BOOL done, const std::string& question, const std::string& what) {
  const DWORD error = GetLastError();
  g_answers.push_back(question + ": " + (done ? what : "error " + std::to_string(error)));
  SetLastError(error);
  return done;
}

BOOL WINAPI AskNoting(HANDLE device, DWORD code, LPVOID question, DWORD questionSize, LPVOID answer, DWORD answerSize,
                      LPDWORD returned, LPOVERLAPPED overlapped) {
  const BOOL done =
      RealDeviceApi().deviceIoControl(device, code, question, questionSize, answer, answerSize, returned, overlapped);
  ULONG property = 0, bus = 0;  // STORAGE_PROPERTY_QUERY's first field; BusType at offset 28
  std::memcpy(&property, question, sizeof property);
  if (done && *returned >= 32) std::memcpy(&bus, static_cast<const char*>(answer) + 28, sizeof bus);
  return Noted(done, "property " + std::to_string(property), "bus " + std::to_string(bus));
}

BOOL WINAPI EnumerateNoting(HDEVINFO list, PSP_DEVINFO_DATA device, const GUID* interfaceClass, DWORD index,
                            PSP_DEVICE_INTERFACE_DATA data) {
  return Noted(RealDeviceApi().setupDiEnumDeviceInterfaces(list, device, interfaceClass, index, data),
               "interface " + std::to_string(index), "found");
}

// Wine 8 opens drive 0 and names its bus (SCSI), which leaves the kind to the seek penalty, but
// does not support the seek-penalty query; its SetupAPI lists no battery interface. A real Windows
// answers what its devices are.
TEST(DeviceProbesIntegrationTest, WineGivesNoDriveKindAndNoBatteryWithoutAFailure) {
  if (!testing::UnderWine()) GTEST_SKIP() << "what Wine's devices answer";
  ASSERT_EQ(DeviceApi().setupDiGetClassDevsW, RealDeviceApi().setupDiGetClassDevsW);
  DeviceEntryPoints noting = RealDeviceApi();
  noting.deviceIoControl = &AskNoting;
  noting.setupDiEnumDeviceInterfaces = &EnumerateNoting;
  testing::ScopedTable<DeviceEntryPoints> table(DeviceApi(), noting);
  EXPECT_EQ(QueryDriveKind(L"0"), DriveKind::kUnknown);
  const BatteryReading reading = ReadBatteries();
  EXPECT_TRUE(reading.batteries.empty());
  EXPECT_EQ(reading.failure, S_OK);
  const std::vector<std::string> kWine = {"property 0: bus 1", "property 7: error 50", "interface 0: error 259"};
  EXPECT_EQ(g_answers, kWine) << "each question asked once, in this order";
}

}  // namespace
}  // namespace vantrel
