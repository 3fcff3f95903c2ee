// Counts the heap allocations the whole process makes (malloc, calloc, realloc, and
// operator new, which goes through malloc) while counting is on. The bench executable
// replaces the C allocation functions, so allocations made inside the loaded module and
// the host model are seen as well.
#pragma once

#include <cstdint>

namespace bench {

void start_counting_allocations();
// Stops counting and returns the allocations made since the start.
uint64_t stop_counting_allocations();

}  // namespace bench
