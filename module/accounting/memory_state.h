// The module-wide memory figures: the budget that Init fixes once, the GPU figures and
// the usage record that the update cycle keeps. All byte counts are unsigned 64-bit.
#pragma once

#include <cstdint>

namespace kestrum {

extern uint64_t Memory_Default;         // fixed default share of the usage, 102,400
extern uint64_t Memory_Reserve;         // added to the image segment of the bar, 51,200
extern uint64_t Memory_Available;       // free address space at Init, whole MiB
extern uint64_t Memory_RAM;             // the budget: min(physical RAM, available), MiB
extern uint64_t Memory_High;            // lower threshold: where a purge aims to get to
extern uint64_t Memory_Max;             // upper threshold: where a purge starts
extern uint64_t Memory_CUDA_Available;  // GPU total; 0 means no GPU was found
extern uint64_t Memory_CUDA_Usage;      // GPU memory in use

// The figures last shown; all bits set until the first measurement with the panel open.
struct Memory_Usage_Record {
  uint64_t Default;
  uint64_t DB;
  uint64_t Undo;
  uint64_t Geom;
};
extern Memory_Usage_Record Memory_Usage;

}  // namespace kestrum
