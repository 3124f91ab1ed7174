#include "collect/drive_kinds.h"

#include <chrono>
#include <optional>
#include <utility>

namespace vantrel {

void DriveKinds::Publish(std::map<DWORD, DriveKind> kinds) {
  {
    const std::lock_guard<std::mutex> held(lock_);
    if (ready_) return;
    kinds_ = std::move(kinds);
    ready_ = true;
  }
  published_.notify_all();
}

DriveKind DriveKinds::KindOf(const std::wstring& wmiIndex, DWORD wait) {
  const std::optional<DWORD> number = DriveNumberOf(wmiIndex);
  if (!number) return DriveKind::kUnknown;
  std::unique_lock<std::mutex> held(lock_);
  if (!published_.wait_for(held, std::chrono::milliseconds(wait), [this] { return ready_; })) {
    ready_ = true;  // waited once: the rows after it do not wait again, and no kind is said
    return DriveKind::kUnknown;
  }
  const auto found = kinds_.find(*number);
  return found != kinds_.end() ? found->second : DriveKind::kUnknown;
}

}  // namespace vantrel
