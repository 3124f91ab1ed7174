#include "support/pass_runs.h"

namespace vantrel::testing {

CategoryOutcomes PassOutcomes() {
  KeptOutcomes kept;
  RunCollectionPass(kept);
  return kept.outcomes;
}

PassFunction SignallingPass(HANDLE ended) {
  return [ended](PassObserver& observer) {
    struct Signal {
      HANDLE event;
      ~Signal() { SetEvent(event); }
    } signal{ended};
    return RunCollectionPass(observer);
  };
}

Event NewEvent() { return Event(CreateEventW(nullptr, TRUE, FALSE, nullptr), &CloseHandle); }

}  // namespace vantrel::testing
