// Drawing a session's timeline as a picture (layout in timeline_layout.h), with the host
// model's painter: Cairo on Linux, GDI on Windows.
#pragma once

#include <string>

#include "apps/kestrum-host/timeline.h"

namespace console {

// Draws `timeline` under the title `title` into the PNG file `path`; false, with the
// reason in `error`, when the picture cannot be drawn or written.
bool draw_timeline_png(const Timeline& timeline, const std::string& title, const std::string& path,
                       std::string& error);

}  // namespace console
