// An adapter's dedicated video memory as the display kernel counts it: 64 bits in every process,
// where DXGI's figure in a 32-bit process is only pointer-sized.
#pragma once

#include <windows.h>

#include <cstdint>

namespace vantrel {

// False, leaving *bytes alone, where the kernel thunks are missing or any of their calls fails.
bool QueryKernelDedicatedVideoMemory(const LUID& adapterLuid, std::uint64_t* bytes);

}  // namespace vantrel
