// How many bytes each kind of host data holds right now. Read-only walks: no allocation.
#pragma once

#include <cstdint>

#include "host/host_services.h"

namespace kestrum {

uint64_t Memory_Compute_Default();
// The subtree of `start`, or with null the whole image database: the 2-D file records'
// images and the tree from the root. One trace line for each node visited.
uint64_t Memory_Compute_DB(Orvan_2D* start);
uint64_t Memory_Compute_Undo();
uint64_t Memory_Compute_Geom();

}  // namespace kestrum
