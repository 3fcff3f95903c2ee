#include "hostsim/output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "hostsim/printable.h"

namespace hostsim {

std::string prepare_output_file(const std::string& path) {
  const std::filesystem::path file(path);
  std::error_code failed;
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), failed);
  if (failed) return "cannot create " + printable(file.parent_path().string()) + ": " + failed.message();
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return "cannot write " + printable(path) + ": " + std::strerror(errno);
  std::fclose(out);
  return "";
}

}  // namespace hostsim
