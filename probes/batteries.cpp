// Lists the battery device interfaces through SetupAPI and asks each battery's class driver for
// its tag and then its BATTERY_INFORMATION. MinGW and the Windows SDK keep the battery control
// codes and structures in different headers, one of them written for drivers, so the documented
// ones are declared here under names of our own, which no header can clash with.
#include "probes/batteries.h"

#include <setupapi.h>
#include <winioctl.h>

#include <string>

#include "probes/device_entry_points.h"

namespace vantrel {

namespace {

// GUID_DEVCLASS_BATTERY, which is also the battery's device interface class.
constexpr GUID kBatteryClass = {0x72631E54, 0x78A4, 0x11D0, {0xBC, 0xF7, 0x00, 0xAA, 0x00, 0xB7, 0xB3, 0x2A}};

constexpr DWORD kQueryTag = CTL_CODE(FILE_DEVICE_BATTERY, 0x10, METHOD_BUFFERED, FILE_READ_ACCESS);
constexpr DWORD kQueryInformation = CTL_CODE(FILE_DEVICE_BATTERY, 0x11, METHOD_BUFFERED, FILE_READ_ACCESS);
static_assert(kQueryTag == 0x294040 && kQueryInformation == 0x294044, "IOCTL_BATTERY_QUERY_TAG, _INFORMATION");
constexpr LONG kBatteryInformationLevel = 0;     // BatteryInformation
constexpr ULONG kSystemBattery = 0x80000000;     // BATTERY_SYSTEM_BATTERY
constexpr ULONG kRelativeCapacity = 0x40000000;  // BATTERY_CAPACITY_RELATIVE
constexpr ULONG kShortTerm = 0x20000000;         // BATTERY_IS_SHORT_TERM: a UPS, which is a system battery too
constexpr ULONG kUnknownCapacity = 0xFFFFFFFF;   // BATTERY_UNKNOWN_CAPACITY

struct BatteryQuery {  // BATTERY_QUERY_INFORMATION
  ULONG tag;
  LONG level;
  LONG atRate;
};

struct BatteryInformation {  // BATTERY_INFORMATION
  ULONG capabilities;
  UCHAR technology;
  UCHAR reserved[3];
  UCHAR chemistry[4];
  ULONG designedCapacity;
  ULONG fullChargedCapacity;
  ULONG defaultAlert1;
  ULONG defaultAlert2;
  ULONG criticalBias;
  ULONG cycleCount;
};

static_assert(sizeof(BatteryQuery) == 12 && sizeof(BatteryInformation) == 36, "the documented layouts");

// S_OK with the battery's answer, S_FALSE where its bay is empty, or why it did not answer. The
// failure is taken before the handle closes, so closing cannot change it.
HRESULT AskBattery(const std::wstring& path, BatteryInformation* information) {
  const UniqueDeviceHandle battery = OpenDevice(path, GENERIC_READ);
  if (!battery) return FailureOfLastCall();
  const ULONG wait = 0;  // milliseconds to wait for a battery where the bay is empty
  ULONG tag = 0;
  if (!AskDevice(battery.get(), kQueryTag, &wait, sizeof wait, &tag, sizeof tag, sizeof tag)) {
    // The documented answer of an empty bay.
    return GetLastError() == ERROR_FILE_NOT_FOUND ? S_FALSE : FailureOfLastCall();
  }
  if (tag == 0) return S_FALSE;  // BATTERY_TAG_INVALID
  const BatteryQuery query{tag, kBatteryInformationLevel, 0};
  *information = BatteryInformation{};
  if (!AskDevice(battery.get(), kQueryInformation, &query, sizeof query, information, sizeof *information,
                 sizeof *information)) {
    return FailureOfLastCall();
  }
  return S_OK;
}

// A battery that runs the system, is not a UPS and gives both capacities in mWh.
bool IsMeasuredSystemBattery(const BatteryInformation& information) {
  const auto known = [](ULONG capacity) { return capacity != 0 && capacity != kUnknownCapacity; };
  return (information.capabilities & (kSystemBattery | kShortTerm | kRelativeCapacity)) == kSystemBattery &&
         known(information.designedCapacity) && known(information.fullChargedCapacity);
}

}  // namespace

BatteryReading ReadBatteries() {
  BatteryReading reading;
  // One battery that does not answer hides neither the others nor its own failure.
  reading.failure = EachInterface(kBatteryClass, [&reading](HDEVINFO, SP_DEVINFO_DATA*, const std::wstring& path) {
    BatteryInformation information{};
    const HRESULT answer = AskBattery(path, &information);
    if (answer == S_OK && IsMeasuredSystemBattery(information)) {
      reading.batteries.push_back({information.designedCapacity, information.fullChargedCapacity,
                                   information.cycleCount});
    }
    return answer;
  });
  return reading;
}

}  // namespace vantrel
