#include "accounting/memory_state.h"

namespace kestrum {

uint64_t Memory_Default = 0;
uint64_t Memory_Reserve = 0;
uint64_t Memory_Available = 0;
uint64_t Memory_RAM = 0;
uint64_t Memory_High = 0;
uint64_t Memory_Max = 0;
uint64_t Memory_CUDA_Available = 0;
uint64_t Memory_CUDA_Usage = 0;

// All bits set, so that the first measurement with the panel open finds every figure
// changed and fills every column.
Memory_Usage_Record Memory_Usage = {~uint64_t{0}, ~uint64_t{0}, ~uint64_t{0}, ~uint64_t{0}};

}  // namespace kestrum
