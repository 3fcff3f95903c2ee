// Making the host give memory back: images level by level, 3-D geometry all at once.
#pragma once

#include <cstdint>

#include "host/host_services.h"

namespace kestrum {

constexpr unsigned short CLEANUP_LEVEL_FIRST = 15;  // images: 15 down to 5
constexpr unsigned short CLEANUP_LEVEL_LAST = 5;
constexpr unsigned short CLEANUP_LEVEL_GEOMETRY = 4;

// Bytes that the subtree of `start` (null: the root) released at `level`.
uint64_t Memory_Cleanup_DB(unsigned short level, Orvan_2D* start);
// Cleans every 3-D object, destroys the 3-D tags and has the 3-D tree rebuilt.
void Memory_Cleanup_Geom();

}  // namespace kestrum
