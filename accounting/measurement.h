// How many bytes each kind of host data holds right now. Read-only walks: no allocation.
#pragma once

#include <cstdint>

namespace kestrum {

uint64_t Memory_Compute_Default();
// The whole image database: the 2-D file records' images and the tree from the root,
// one trace line for each node visited. The walk below the root is the measurement's
// own: no subtree is measured alone.
uint64_t Memory_Compute_DB();
uint64_t Memory_Compute_Undo();
uint64_t Memory_Compute_Geom();

}  // namespace kestrum
