// Running the collection pass for tests: here, or on its own thread with a way to know it ended.
#pragma once

#include <windows.h>

#include "collect/background_pass.h"
#include "probes/unique_handle.h"

namespace vantrel::testing {

// What the real pass gives when run on the test's thread.
CategoryOutcomes PassOutcomes();

// The real pass, signalling `ended` once it returns: it has said its end by then, so the pass's
// thread touches nothing of the test's (fakes included) after that, and the test may end.
PassFunction SignallingPass(HANDLE ended);

// A manual-reset event, not signalled.
UniqueHandle NewEvent();

}  // namespace vantrel::testing
