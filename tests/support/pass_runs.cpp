#include "support/pass_runs.h"

namespace vantrel::testing {

CategoryOutcomes PassOutcomes() {
  PassResult result = PassResult::kIncomplete;
  return RunReadings(CollectionReaders(), &result);
}

PassReaders SignallingPass(HANDLE ended, HANDLE platformDone) {
  struct Signal {
    explicit Signal(HANDLE event) : event(event) {}
    ~Signal() { SetEvent(event); }
    HANDLE event;
  };
  // Shared by both readings: the last to return signals. WMI's starts once the platform's has
  // returned, since only WMI's fakes move the clock: the platform's lines are then stamped in time
  // as they would be on a real machine, where they take milliseconds.
  const auto signal = std::make_shared<Signal>(ended);
  const auto done = std::make_shared<UniqueHandle>(NewEvent());
  const PassReaders real = CollectionReaders();
  return PassReaders{[signal, done, read = real.wmi](PassObserver& observer) mutable {
                       const auto held = std::move(signal);
                       WaitForSingleObject(done->get(), 60000);
                       return read(observer);
                     },
                     [signal, done, platformDone, read = real.platform](PassObserver& observer) mutable {
                       const auto held = std::move(signal);
                       const PassResult result = read(observer);
                       SetEvent(done->get());
                       if (platformDone != nullptr) SetEvent(platformDone);
                       return result;
                     }};
}

UniqueHandle NewEvent() { return UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr)); }

}  // namespace vantrel::testing
