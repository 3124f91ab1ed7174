// Running the collection pass for tests: here, or on its own thread with a way to know it ended.
#pragma once

#include <windows.h>

#include <memory>

#include "collect/background_pass.h"

namespace vantrel::testing {

// What the real pass gives when run on the test's thread.
CategoryOutcomes PassOutcomes();

// The real pass, signalling `ended` once it returns: after that the pass's thread touches nothing
// of the test's (fakes included), so the test may end.
PassFunction SignallingPass(HANDLE ended);

using Event = std::unique_ptr<void, BOOL(WINAPI*)(HANDLE)>;
Event NewEvent();

}  // namespace vantrel::testing
