// The CUDA runtime, found at run time: the module must load and work on machines that
// have none. This is the module's only platform-specific piece.
#pragma once

#include <cstdint>

namespace kestrum {

// Finds the runtime (one the process already has first, else the machine's library)
// and asks its version. True when the runtime can be used; called by every Init.
bool Cuda_Runtime_Open();

// The GPU's free and total memory in bytes, as the runtime reports them now. False,
// with both 0, when no usable runtime was found or the runtime's call fails.
bool Cuda_Memory_Info(uint64_t& free, uint64_t& total);

}  // namespace kestrum
