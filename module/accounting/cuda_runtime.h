// The CUDA runtime, found at run time: the module must load and work on machines that
// have none. How a library is found and opened is the platform's (platform/).
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

namespace kestrum {

// The runtime reports its figures in a size_t. One of 4 GiB or more does not fit the
// size_t of a 32-bit process, and the runtime reports the largest value instead (4 GiB - 1
// there; SIZE_MAX in a 64-bit process, where no real GPU reaches it). A figure at this
// value is capped: it means "at least this much". The same rule holds on every target.
constexpr uint64_t CUDA_CAPPED_FIGURE = std::numeric_limits<size_t>::max();

// Finds the runtime (one the process already has first, else the machine's library)
// and asks its version. True when the runtime can be used; called by every Init.
bool Cuda_Runtime_Open();

// The GPU's free and total memory in bytes, as the runtime reports them now. False,
// with both 0, when no usable runtime was found or the runtime's call fails.
bool Cuda_Memory_Info(uint64_t& free, uint64_t& total);

}  // namespace kestrum
