// The memory budget, fixed once by Init from the machine's state at that moment.
#pragma once

#include <cstdint>

namespace kestrum {

constexpr uint64_t DEFAULT_SHARE = 102400;  // Memory_Default
constexpr uint64_t BAR_RESERVE = 51200;     // Memory_Reserve

// Sets the fixed amounts, reads the memory status, logs both figures and derives
// Memory_RAM and the two thresholds.
void Memory_Budget_Init();
// Asks the CUDA runtime for the GPU's total memory: Memory_CUDA_Available, 0 without
// a usable runtime.
void Memory_GPU_Init();

}  // namespace kestrum
