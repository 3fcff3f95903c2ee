// The update cycle: measure, purge when the budget is reached, refresh the panel.
#pragma once

#include <cstdint>

namespace kestrum {

extern uint64_t Last_Bar_Total;   // total the RAM bar was last painted with, bytes
extern uint64_t Last_CUDA_Usage;  // usage the GPU bar was last painted with, bytes

int Ctrl_Update(uint64_t flag);

}  // namespace kestrum
