// What kind each disk is, asked once by the platform's reading and read by WMI's, whose disk rows
// join it by their Index. Both readings of one pass share one; two passes share nothing.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>

#include "probes/drive_kind.h"

namespace vantrel {

class DriveKinds {
 public:
  // Once: later calls change nothing. An empty map says no disk's kind is known.
  void Publish(std::map<DWORD, DriveKind> kinds);
  // The kind of the drive that a Win32_DiskDrive.Index names, waiting up to `wait` ms for the
  // kinds to be published; kUnknown where they name no such drive, or are not published by then
  // (and from then on: only the first row waits).
  DriveKind KindOf(const std::wstring& wmiIndex, DWORD wait);

 private:
  std::mutex lock_;
  std::condition_variable published_;
  bool ready_ = false;
  std::map<DWORD, DriveKind> kinds_;
};

}  // namespace vantrel
