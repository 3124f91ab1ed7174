// Running the collection pass for tests: here, or on its own thread with a way to know it ended.
#pragma once

#include <windows.h>

#include "collect/background_pass.h"
#include "probes/unique_handle.h"

namespace vantrel::testing {

// What the real pass shows when run on the test's thread.
CategoryOutcomes PassOutcomes();

// The real pass's readings, signalling `ended` once both returned: they have said their end by
// then, so their threads touch nothing of the test's (fakes included) after that. WMI's starts
// once the platform's has returned, which `platformDone` (if given) is signalled for.
PassReaders SignallingPass(HANDLE ended, HANDLE platformDone = nullptr);

// A manual-reset event, not signalled.
UniqueHandle NewEvent();

}  // namespace vantrel::testing
