// A labelled map of the panel ("map FILE.png"): the panel's window as it is painted,
// enlarged SCALE times with its top-left pixel at (LEFT, TOP) of the map, each widget's
// box outlined and tagged with its number, and under it a key: each widget's name, box
// in window pixels and role, then what the bars' colours, zones and marks mean.
#pragma once

#include <cstdint>
#include <string>

#include "platform/windows_api.h"

namespace console {

namespace panel_map {
constexpr int SCALE = 2;
constexpr int LEFT = 48;  // room for the numbers of the y axis
constexpr int TOP = 28;   // room for the heading
// The outlines: the frame, bars and columns; the value labels; the buttons.
constexpr uint32_t BOX_COLOUR = 0xD00000, LABEL_COLOUR = 0x008000, BUTTON_COLOUR = 0x0000E0;
}  // namespace panel_map

// Draws the map of the panel in `panel` and writes it to `path`; throws Action_Error
// with the reason when it cannot.
void write_panel_map(HWND panel, const std::string& path);

}  // namespace console
