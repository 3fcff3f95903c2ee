#include "apps/kestrum-host/timeline_files.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "apps/kestrum-host/timeline_picture.h"
#include "hostsim/output_file.h"

namespace console {

namespace {

bool ends_in(const std::string& path, const char* extension) {
  return std::filesystem::path(path).extension() == extension;
}

bool write_one(const Timeline& timeline, const std::string& path, const std::string& title, std::string& error) {
  error = hostsim::prepare_output_file(path);
  if (!error.empty()) return false;
  if (ends_in(path, ".png")) return draw_timeline_png(timeline, title, path, error);
  std::ofstream out(path, std::ios::binary);
  if (out) timeline.write_csv(out);
  if (!out || !out.flush()) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace

std::string timeline_path_problem(const std::string& path) {
  if (ends_in(path, ".csv") || ends_in(path, ".png")) return "";
  return "--timeline takes FILE.csv or FILE.png: " + path;
}

bool write_timelines(const Timeline& timeline, const std::vector<std::string>& paths, const std::string& title) {
  bool written = true;
  for (const std::string& path : paths) {
    std::string error;
    if (!write_one(timeline, path, title, error)) {
      std::fprintf(stderr, "kestrum-host: %s\n", error.c_str());
      written = false;
    }
  }
  return written;
}

}  // namespace console
