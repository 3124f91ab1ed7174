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

UniqueHandle NewEvent() { return UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr)); }

}  // namespace vantrel::testing
