// Asks an NVMe drive for its SMART / health log through a protocol-specific property query, and a
// SATA or ATA drive for its failure prediction, which carries its SMART data. Neither needs rights
// on the drive. Each is asked once: a refusal (NVMe on Windows 7 and 8, older or vendor drivers) stays one.
#include "probes/disk_health.h"

#include <winioctl.h>

#include <cstddef>

#include "probes/device_entry_points.h"

namespace vantrel {

namespace {

constexpr DWORD kNvmeBus = 0x11, kSataBus = 0x0B, kAtaBus = 0x03;  // STORAGE_BUS_TYPE values

// The protocol-specific query came with Windows 10's headers, and the failure prediction's answer
// is declared for drivers: their documented layouts under names of our own.
constexpr ULONG kProtocolSpecificProperty = 50;  // StorageDeviceProtocolSpecificProperty
constexpr ULONG kProtocolNvme = 3;               // ProtocolTypeNvme
constexpr ULONG kNvmeLogPage = 2;                // NVMeDataTypeLogPage
constexpr ULONG kHealthLog = 2;                  // the SMART / health information log's page
constexpr ULONG kLogSize = 512;

struct ProtocolSpecificData {  // STORAGE_PROTOCOL_SPECIFIC_DATA
  ULONG protocolType, dataType, requestValue, requestSubValue;
  ULONG dataOffset, dataLength;  // where the data is, from the start of this structure
  ULONG fixedReturnData, requestSubValues[3];
};

// STORAGE_PROPERTY_QUERY with the protocol data as its AdditionalParameters, sized, as documented,
// to hold the log too.
struct HealthLogQuery {
  ULONG propertyId, queryType;
  ProtocolSpecificData protocol;
  UCHAR room[kLogSize];
};

// STORAGE_PROTOCOL_DATA_DESCRIPTOR, then the log, where the protocol data says.
struct HealthLogAnswer {
  ULONG version, size;
  ProtocolSpecificData protocol;
  UCHAR log[kLogSize];
};

struct PredictFailureAnswer {  // STORAGE_PREDICT_FAILURE
  ULONG predictFailure;
  UCHAR smartData[512];
};

constexpr std::size_t kDescriptorSize = offsetof(HealthLogAnswer, log);
static_assert(sizeof(ProtocolSpecificData) == 40 && kDescriptorSize == 48 && sizeof(HealthLogQuery) == 560 &&
                  sizeof(HealthLogAnswer) == 560 && sizeof(PredictFailureAnswer) == 516,
              "the documented layouts");
static_assert(IOCTL_STORAGE_PREDICT_FAILURE == 0x2D1100, "FILE_ANY_ACCESS: access 0 serves");

std::uint64_t LittleEndian(const UCHAR* bytes, int count) {
  std::uint64_t value = 0;
  while (count-- > 0) value = value << 8 | bytes[count];
  return value;
}

DiskHealth FromNvmeLog(HANDLE drive) {
  HealthLogQuery query{};
  query.propertyId = kProtocolSpecificProperty;  // queryType 0: PropertyStandardQuery
  query.protocol = {kProtocolNvme, kNvmeLogPage, kHealthLog, 0, sizeof(ProtocolSpecificData), kLogSize, 0, {}};
  HealthLogAnswer answer{};
  DiskHealth health;
  if (!AskDevice(drive, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &answer, sizeof answer, sizeof answer)) {
    return health;
  }
  // The whole answer came back; the log is read only where the descriptor says, and only whole within it.
  const ProtocolSpecificData& data = answer.protocol;
  const std::uint64_t logStart = offsetof(HealthLogAnswer, protocol) + std::uint64_t{data.dataOffset};
  if (answer.version != kDescriptorSize || answer.size != kDescriptorSize || data.dataOffset < sizeof data ||
      data.dataLength < kLogSize || logStart + data.dataLength > sizeof answer) {
    return health;
  }
  const UCHAR* const log = reinterpret_cast<const UCHAR*>(&answer) + logStart;
  // Critical Warning bits 0, 2 and 3: spare below its threshold, reliability degraded, read-only.
  health.predictsFailure = (log[0] & 0x0D) != 0;
  health.percentUsed = log[5];
  health.powerOnHours = LittleEndian(log + 128, 8);  // the low 8 of its 16 bytes
  return health;
}

DiskHealth FromSmartData(HANDLE drive) {
  PredictFailureAnswer answer{};
  DiskHealth health;
  if (!AskDevice(drive, IOCTL_STORAGE_PREDICT_FAILURE, nullptr, 0, &answer, sizeof answer, sizeof answer)) {
    return health;
  }
  health.predictsFailure = answer.predictFailure != 0;
  // A 2-byte revision, then 30 attributes of 12 bytes: id (0 in an empty slot), 2 flag bytes,
  // current, worst, 6 raw bytes, 1 reserved. Nearly every drive counts its hours in the low 4 raw bytes.
  constexpr UCHAR kPowerOnHours = 9;
  for (const UCHAR* attribute = answer.smartData + 2; attribute < answer.smartData + 2 + 30 * 12; attribute += 12) {
    if (attribute[0] == kPowerOnHours) {
      health.powerOnHours = LittleEndian(attribute + 5, 4);
      break;
    }
  }
  return health;
}

}  // namespace

DiskHealth QueryDiskHealth(HANDLE drive, DWORD busType) {
  if (busType == kNvmeBus) return FromNvmeLog(drive);
  if (busType == kSataBus || busType == kAtaBus) return FromSmartData(drive);
  return {};  // every other bus is not asked: USB and RAID, for one, describe an adapter, not the drive
}

}  // namespace vantrel
