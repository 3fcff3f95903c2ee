// The RAM bar's track picture and the shaded, stacked capsule of a usage bar.
#pragma once

#include <cstdint>

#include "host/widget_toolkit.h"

namespace kestrum {

// Builds `box`'s track picture: green to `lower`, yellow to `upper`, red beyond.
void Memory_Bar_Setup(Boxs* box, uint64_t scale, uint64_t upper, uint64_t lower);
// Paints three stacked segments (MiB) against `scale` (MiB) over `box`.
void Memory_Bar_Redraw(Boxs* box, int32_t first, int32_t second, int32_t third, int32_t scale);
// Takes the drawing lock and a device context with y upward / gives both back.
void Y_setup(HWND window, const char* name);
void Y_release();

}  // namespace kestrum
