// The files that "--timeline FILE" asks for: FILE.csv gets the record as CSV, FILE.png
// its picture. Written when the session ends, also when a line failed.
#pragma once

#include <string>
#include <vector>

#include "apps/kestrum-host/timeline.h"

namespace console {

// Why `path` cannot be a timeline file ("" when it can): it must end in .csv or .png.
std::string timeline_path_problem(const std::string& path);

// Writes the timeline into each file (creating missing folders), titled `title`;
// reports each failure on standard error and returns false after any.
bool write_timelines(const Timeline& timeline, const std::vector<std::string>& paths, const std::string& title);

}  // namespace console
