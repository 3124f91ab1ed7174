#include "collect/findings.h"

#include <chrono>
#include <optional>
#include <utility>

namespace vantrel {

template <class Found>
void Findings::Publish(Found& slot, bool& ready, Found found) {
  {
    const std::lock_guard<std::mutex> held(lock_);
    if (ready) return;
    slot = std::move(found);
    ready = true;
  }
  published_.notify_all();
}

void Findings::PublishDisks(std::map<DWORD, DiskFinding> disks) { Publish(disks_, disksReady_, std::move(disks)); }

void Findings::PublishModules(std::vector<MemoryModule> modules) { Publish(modules_, modulesReady_, std::move(modules)); }

void Findings::PublishRest() {
  PublishDisks({});
  PublishModules({});
}

bool Findings::WaitFor(std::unique_lock<std::mutex>& held, const bool& ready, bool& givenUp, DWORD wait) {
  if (ready) return true;
  if (givenUp) return false;
  if (published_.wait_for(held, std::chrono::milliseconds(wait), [&ready] { return ready; })) return true;
  givenUp = true;  // waited once: the rows after it do not wait again, until it comes
  return false;
}

std::optional<DiskFinding> Findings::DiskOf(const std::wstring& wmiIndex, DWORD wait) {
  const std::optional<DWORD> number = DriveNumberOf(wmiIndex);
  if (!number) return DiskFinding();
  std::unique_lock<std::mutex> held(lock_);
  if (!WaitFor(held, disksReady_, disksGivenUp_, wait)) return std::nullopt;
  const auto found = disks_.find(*number);
  return found != disks_.end() ? found->second : DiskFinding();
}

std::wstring Findings::GenerationOf(const std::wstring& deviceLocator, const std::wstring& bankLabel, DWORD wait) {
  std::unique_lock<std::mutex> held(lock_);
  if (!WaitFor(held, modulesReady_, modulesGivenUp_, wait)) return std::wstring();
  const MemoryModule* match = nullptr;
  for (const MemoryModule& module : modules_) {
    if (module.deviceLocator != deviceLocator || module.bankLocator != bankLabel) continue;
    if (match != nullptr) return std::wstring();  // two records: neither is known to be this one
    match = &module;
  }
  return match != nullptr ? MemoryGeneration(match->memoryType) : std::wstring();
}

}  // namespace vantrel
