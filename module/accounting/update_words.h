// The 64-bit update words the module registers, receives and sends to the host.
#pragma once

#include <cstdint>

namespace kestrum {

constexpr uint64_t UPDATE_MEMORY = 0x0000000040000000ull;        // bit 30: measure
constexpr uint64_t UPDATE_PANEL_DRAW = 0x2000000000000080ull;    // bits 7 and 61: bars
constexpr uint64_t UPDATE_REGISTRATION = 0x1000000040000000ull;  // what Update_Register says
constexpr uint64_t REDRAW_IMAGES = 0x000000000FFFFFFFull;        // after images were freed
constexpr uint64_t UPDATE_GEOMETRY = 0x0000000040000404ull;      // after geometry was freed
constexpr uint64_t REDRAW_GEOMETRY = 0x33FFFFFF00000000ull;
constexpr uint64_t UPDATE_TAGS_DESTROYED = 0x0000000000000204ull;  // from the geometry cleanup

}  // namespace kestrum
