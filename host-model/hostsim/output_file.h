// Files that the console writes (snapshots, maps, timelines): their folders are made and
// the file is tried for writing first, so that a path that cannot be written is reported
// with the system's own reason ("Is a directory"), as every other error is.
#pragma once

#include <string>

namespace hostsim {

// Makes the missing folders of `path` and opens the file for writing (leaving it empty).
// "" when it can be written; else "cannot create FOLDER: WHY" or "cannot write PATH: WHY".
std::string prepare_output_file(const std::string& path);

}  // namespace hostsim
