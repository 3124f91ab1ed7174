#include "collect/findings.h"

#include <chrono>
#include <optional>
#include <utility>

namespace vantrel {

void Findings::PublishDiskKinds(std::map<DWORD, DriveKind> kinds) {
  {
    const std::lock_guard<std::mutex> held(lock_);
    if (kindsReady_) return;
    kinds_ = std::move(kinds);
    kindsReady_ = true;
  }
  published_.notify_all();
}

void Findings::PublishModules(std::vector<MemoryModule> modules) {
  {
    const std::lock_guard<std::mutex> held(lock_);
    if (modulesReady_) return;
    modules_ = std::move(modules);
    modulesReady_ = true;
  }
  published_.notify_all();
}

void Findings::PublishRest() {
  PublishDiskKinds({});
  PublishModules({});
}

bool Findings::WaitFor(std::unique_lock<std::mutex>& held, bool& ready, DWORD wait) {
  if (published_.wait_for(held, std::chrono::milliseconds(wait), [&ready] { return ready; })) return true;
  ready = true;  // waited once: the rows after it do not wait again, and know nothing of it
  return false;
}

DriveKind Findings::KindOf(const std::wstring& wmiIndex, DWORD wait) {
  const std::optional<DWORD> number = DriveNumberOf(wmiIndex);
  if (!number) return DriveKind::kUnknown;
  std::unique_lock<std::mutex> held(lock_);
  if (!WaitFor(held, kindsReady_, wait)) return DriveKind::kUnknown;
  const auto found = kinds_.find(*number);
  return found != kinds_.end() ? found->second : DriveKind::kUnknown;
}

std::wstring Findings::GenerationOf(const std::wstring& deviceLocator, const std::wstring& bankLabel, DWORD wait) {
  std::unique_lock<std::mutex> held(lock_);
  if (!WaitFor(held, modulesReady_, wait)) return std::wstring();
  const MemoryModule* match = nullptr;
  for (const MemoryModule& module : modules_) {
    if (module.deviceLocator != deviceLocator || module.bankLocator != bankLabel) continue;
    if (match != nullptr) return std::wstring();  // two records: neither is known to be this one
    match = &module;
  }
  return match != nullptr ? MemoryGeneration(match->memoryType) : std::wstring();
}

}  // namespace vantrel
