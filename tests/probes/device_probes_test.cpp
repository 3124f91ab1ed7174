// The drive kind, device list, disk health and battery probes against scripted devices: what decides, what
// is skipped, every failure and short answer, and every handle and list given back.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "fakes/fake_devices.h"
#include "probes/batteries.h"
#include "probes/device_lists.h"
#include "probes/disk_health.h"
#include "probes/drive_kind.h"

namespace vantrel {
namespace {

using testing::FakeBattery;
using testing::FakeDevices;

TEST(DeviceProbesTest, DriveKindFromBusTypeThenSeekPenaltyElseUnknown) {
  const DWORD kSata = 11, kUsb = 7, kRaid = 8, kNvme = 17;
  const struct { const wchar_t* index; testing::FakeDisk disk; DriveKind kind; } cases[] = {
      {L"0", {0, kSata, 1}, DriveKind::kHdd},
      {L"12", {0, 3, 0}, DriveKind::kSsd},  // ATA
      {L"4294967294", {0, kNvme, 1}, DriveKind::kNvmeSsd},
      {L"0", {0, kUsb, 0}, DriveKind::kUnknown},
      {L"0", {0, kRaid, 1}, DriveKind::kUnknown},
      {L"0", {0, 14, 0}, DriveKind::kUnknown},  // Virtual, FileBackedVirtual, Spaces: volumes
      {L"0", {0, 15, 0}, DriveKind::kUnknown},
      {L"0", {0, 16, 0}, DriveKind::kUnknown},
      {L"0", {0, 1, -1}, DriveKind::kUnknown},  // SCSI, the seek penalty not supported: Wine
      {L"0", {0, kSata, 0, 31}, DriveKind::kUnknown},  // answers ending just before the field read
      {L"0", {0, kSata, 0, 32}, DriveKind::kSsd},      // BusType's last byte
      {L"0", {0, kSata, 0, 40, 8}, DriveKind::kUnknown},
      {L"0", {ERROR_ACCESS_DENIED, kSata, 0}, DriveKind::kUnknown},
  };
  for (const auto& row : cases) {
    FakeDevices devices;
    devices.disk = row.disk;
    EXPECT_EQ(QueryDriveKind(row.index), row.kind) << "case " << &row - cases;
    EXPECT_EQ(devices.opened, std::vector<std::wstring>{L"\\\\.\\PhysicalDrive" + std::wstring(row.index)});
    EXPECT_EQ(devices.openNow, 0);
  }
  FakeDevices devices;  // an SSD that a text naming no drive must not reach
  for (const wchar_t* index : {L"", L"4294967295", L"4294967296", L"99999999999", L"-1", L" 0", L"0x1", L"1.0"}) {
    EXPECT_EQ(QueryDriveKind(index), DriveKind::kUnknown) << index;
  }
  EXPECT_TRUE(devices.opened.empty());
}

TEST(DeviceProbesTest, SetupApiListsDisksInNumberOrderAndNamesEachWithTheFirstFailure) {
  const auto disk = [](DWORD bus, const wchar_t* name, const wchar_t* desc = L"Disk", DWORD error = 0) {
    testing::FakeDisk made;
    return made.busType = bus, made.names = {name, desc}, made.geometryError = error, made;
  };
  testing::FakeDisk ata = disk(3, L"ATA"), hdd = disk(11, L"");  // one cylinder; known by its description
  ata.cylinders = 1, hdd.seekPenalty = 1;
  const struct {
    std::map<DWORD, testing::FakeDisk> disks;
    std::vector<testing::FakeNamedDevice> named;  // the sound devices, and in reverse order the optical drives
    DWORD listError;
    std::vector<std::wstring> diskLines, names;  // disks as "number model bytes interface kind"
    DWORD diskError, nameError;  // the first failure
  } cases[] = {
      {{{2, disk(17, L"NVMe")}, {0, hdd}, {10, ata}, {1, disk(7, L"Stick")}},
       {{L"Audio", L"HD"}, {L"", L"USB"}, {std::wstring(1, L'\0'), L"Pc"}}, 0,  // an empty name is none
       {L"0 Disk 500105249280 IDE 1", L"1 Stick 500105249280 USB 0", L"2 NVMe 500105249280 SCSI 3",
        L"10 ATA 8225280 IDE 2"}, {L"Audio", L"USB", L"Pc"}, 0, 0},
      {{{0, disk(1, L"Scsi")}, {1, disk(10, L"Sas")}, {2, disk(8, L"Raid")}, {3, disk(4, L"FireWire")},
        {4, disk(6, L"Fibre")}, {5, disk(11, L"Reader", L"", ERROR_NOT_READY)}}, {}, 0,
       {L"0 Scsi 500105249280 SCSI 2", L"1 Sas 500105249280 SCSI 2", L"2 Raid 500105249280 SCSI 0",
        L"3 FireWire 500105249280 1394 2", L"4 Fibre 500105249280  2", L"5 Reader 0 IDE 2"}, {}, 0, 0},
      // Disk 2 is enumerated before the nameless disk 1, so its failure is the first.
      {{{0, disk(11, L"A")}, {1, disk(11, L"", L"")}, {2, disk(11, L"B", L"", ERROR_IO_DEVICE)}, {3, disk(11, L"C")}},
       {{L"", L""}, {L"Audio", L""}}, 0, {L"0 A 500105249280 IDE 2", L"3 C 500105249280 IDE 2"}, {L"Audio"},
       ERROR_IO_DEVICE, ERROR_INVALID_DATA},
      {{{0, disk(11, L"A")}}, {{L"Audio", L""}}, ERROR_ACCESS_DENIED, {}, {}, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(&row - cases);
    FakeDevices devices;
    devices.disks = row.disks, devices.sounds = row.named, devices.deviceListError = row.listError;
    devices.cdroms.assign(row.named.rbegin(), row.named.rend());
    const PlatformDiskList disks = ReadPlatformDisks();
    const DeviceNames sound = ReadSoundDeviceNames(), odd = ReadOpticalDriveNames();
    std::vector<std::wstring> lines;
    for (const PlatformDisk& d : disks.disks) {
      lines.push_back(std::to_wstring(d.number) + L" " + d.model + L" " + std::to_wstring(d.bytes) + L" " +
                      d.interfaceText + L" " + std::to_wstring(static_cast<int>(d.kind)));
    }
    EXPECT_EQ(std::make_pair(lines, disks.failure), std::make_pair(row.diskLines, HRESULT_FROM_WIN32(row.diskError)));
    EXPECT_EQ(std::make_pair(sound.names, sound.failure), std::make_pair(row.names, HRESULT_FROM_WIN32(row.nameError)));
    const std::vector<std::wstring> reversed(row.names.rbegin(), row.names.rend());
    EXPECT_EQ(std::make_pair(odd.names, odd.failure), std::make_pair(reversed, HRESULT_FROM_WIN32(row.nameError)));
    EXPECT_EQ(devices.openNow, 0);
  }
}

TEST(DeviceProbesTest, SystemBatteriesInMilliwattHoursAndTheFirstFailure) {
  // A UPS says it is a system battery too, and short-term.
  const FakeBattery laptop{52600, 41040, 412}, spare, ups{50000, 40000, 0, 0xA0000000}, noDesign{0}, noFull{50000, 0},
      unknown{0xFFFFFFFF}, relative{100, 80, 0, 0xC0000000}, emptyBay{50000, 40000, 0, 0x80000000, 0},
      noSystem{50000, 40000, 0, 0};
  FakeBattery denied, shortInfo, tagZero;
  denied.openError = ERROR_ACCESS_DENIED;
  tagZero.tag = tagZero.emptyError = 0;  // an empty bay that answers with no tag
  shortInfo.infoBytes = 35;
  const std::array<unsigned long, 3> kLaptop{52600, 41040, 412}, kSpare{50000, 40000, 0};
  const HRESULT kDenied = HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), kInvalid = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
  const struct {
    std::vector<FakeBattery> batteries;
    DWORD listError, endError;
    std::vector<std::array<unsigned long, 3>> read;
    HRESULT failure;
  } cases[] = {
      {{}, 0, ERROR_NO_MORE_ITEMS, {}, S_OK},
      {{laptop, spare}, 0, ERROR_NO_MORE_ITEMS, {kLaptop, kSpare}, S_OK},
      {{ups, relative, noDesign, noFull, unknown, emptyBay, tagZero, noSystem, laptop}, 0, ERROR_NO_MORE_ITEMS,
       {kLaptop}, S_OK},
      {{denied, laptop, shortInfo}, 0, ERROR_NO_MORE_ITEMS, {kLaptop}, kDenied},
      {{shortInfo, spare}, 0, ERROR_NO_MORE_ITEMS, {kSpare}, kInvalid},
      {{laptop}, ERROR_ACCESS_DENIED, ERROR_NO_MORE_ITEMS, {}, kDenied},
      {{laptop}, 0, ERROR_INVALID_DATA, {kLaptop}, kInvalid},
  };
  for (const auto& row : cases) {
    FakeDevices devices;
    devices.batteries = row.batteries;
    devices.listError = row.listError;
    devices.endError = row.endError;
    const BatteryReading reading = ReadBatteries();
    std::vector<std::array<unsigned long, 3>> read;
    for (const BatteryHealth& b : reading.batteries) read.push_back({b.designedCapacity, b.fullChargedCapacity, b.cycleCount});
    EXPECT_EQ(read, row.read) << "case " << &row - cases;
    EXPECT_EQ(reading.failure, row.failure) << "case " << &row - cases;
    EXPECT_EQ(devices.openNow, 0);
  }
}

TEST(DeviceProbesTest, DiskHealthFromTheNvmeLogOrTheSmartDataElseNothing) {
  const DWORD kNvme = 17, kSata = 11, kAta = 3, kUsb = 7;
  // SMART: an empty slot, attribute 12, then 9 in the last slot, with a fifth raw byte that hours leave out.
  const std::map<int, int> kSmart = {{14, 12}, {19, 0x77}, {350, 9}, {355, 0x90}, {356, 0x55}, {359, 1}};
  const struct { DWORD bus; testing::FakeDisk::Health health; DiskHealth want{}; } cases[] = {
      // Critical Warning bit 1 alone (the temperature), Percentage Used, hours in the low 8 of their 16 bytes.
      {kNvme, {{{0, 2}, {5, 2}, {128, 0x30}, {129, 0x0C}, {135, 1}, {136, 1}}}, {0x0100000000000C30, 2u, false}},
      {kNvme, {{{0, 1}, {5, 255}}}, {0, 255u, true}},  // used past 100 is given as reported
      {kNvme, {{{0, 4}}}, {0, 0u, true}},
      {kNvme, {{{0, 8}}}, {0, 0u, true}},
      {kNvme, {{}, 0, ERROR_NOT_SUPPORTED}},  // a refusal, a short answer, a log said to end past the answer
      {kNvme, {{}, 0, 0, 559}},
      {kNvme, {{}, 0, 0, 0, 41}},
      {kSata, {kSmart}, {21904, {}}},
      {kAta, {{{14, 12}, {19, 0x77}}, 1}, {{}, {}, true}},
      {kSata, {kSmart, 1, 0, 515}},
      {kUsb, {kSmart, 1}},  // not asked: either question would find something
  };
  for (const auto& row : cases) {
    FakeDevices devices;
    devices.disk.health = row.health;
    const DiskHealth health = QueryDiskHealth(OpenDevice(L"\\\\.\\PhysicalDrive0", 0).get(), row.bus);
    EXPECT_EQ(std::tie(health.powerOnHours, health.percentUsed, health.predictsFailure),
              std::tie(row.want.powerOnHours, row.want.percentUsed, row.want.predictsFailure)) << "case " << &row - cases;
  }
}

}  // namespace
}  // namespace vantrel
