// Large scripted machines for stress tests and benchmarks of the collection pass.
#pragma once

#include <cstddef>

#include "fakes/fake_wmi.h"

namespace vantrel::testing {

// Answers the disk statement with `disks` drives; every 1000th has a model name of `longNameUnits`
// units. Other statements get no objects.
void AnswerManyDisks(FakeWmi& wmi, std::size_t disks, std::size_t longNameUnits);

}  // namespace vantrel::testing
