// What the platform's reading found that WMI's lines take from it: each disk's kind, joined by
// the disk rows' Index, and the firmware's memory records, joined by the module rows' locators.
// Both readings of one pass share one; two passes share nothing.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "probes/disk_health.h"
#include "probes/drive_kind.h"
#include "probes/smbios.h"

namespace vantrel {

// What the platform's disk list found of one drive.
struct DiskFinding {
  DriveKind kind = DriveKind::kUnknown;
  DiskHealth health;
};

class Findings {
 public:
  // Each once: later calls change nothing. Nothing found is said with an empty list.
  void PublishDisks(std::map<DWORD, DiskFinding> disks);
  void PublishModules(std::vector<MemoryModule> modules);
  // Where nothing is published in the platform's reading's order (its end, say), both at once.
  void PublishRest();

  // What was found of the drive that a Win32_DiskDrive.Index names; the generation of the one module
  // record whose locators are a Win32_PhysicalMemory row's (empty for none, or for two). Each
  // waits up to `wait` ms for its finding to be published; past that nothing is known of it, and
  // no later row waits again (a finding published later still serves the rows after it).
  // (A disk: none where the platform's list did not come in time; an empty finding where it came
  // without that drive.)
  std::optional<DiskFinding> DiskOf(const std::wstring& wmiIndex, DWORD wait);
  std::wstring GenerationOf(const std::wstring& deviceLocator, const std::wstring& bankLabel, DWORD wait);

 private:
  // Waits for `ready`; false where it did not come in time, and at once after one such wait.
  bool WaitFor(std::unique_lock<std::mutex>& held, const bool& ready, bool& givenUp, DWORD wait);
  // Fills `slot` once, and wakes every row that waits for it.
  template <class Found>
  void Publish(Found& slot, bool& ready, Found found);

  std::mutex lock_;
  std::condition_variable published_;
  bool disksReady_ = false, modulesReady_ = false, disksGivenUp_ = false, modulesGivenUp_ = false;
  std::map<DWORD, DiskFinding> disks_;
  std::vector<MemoryModule> modules_;
};

}  // namespace vantrel
