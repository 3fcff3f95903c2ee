// Drawing a session's timeline as a picture (layout in timeline_layout.h). A build draws
// with what its platform offers: Cairo on Linux; a build without a drawer says so, and
// the console refuses "--timeline FILE.png" before the session runs.
#pragma once

#include <string>

#include "apps/kestrum-host/timeline.h"

namespace console {

// Whether this build can draw timeline pictures.
bool timeline_pictures_available();

// Draws `timeline` under the title `title` into the PNG file `path`; false, with the
// reason in `error`, when the picture cannot be drawn or written.
bool draw_timeline_png(const Timeline& timeline, const std::string& title, const std::string& path,
                       std::string& error);

}  // namespace console
