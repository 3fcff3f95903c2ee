// The image tree's nodes by the paths a session names them with ("/", "/a/b"). A session
// builds a tree parent before child, so a path mostly shares its start with the one
// before: the nodes along the last path found are kept, and only the names past the
// shared start are read and looked up. Finding a node then costs about what comparing
// its path with the last one does, at any depth.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/host_services.h"

namespace console {

class Tree_Paths {
 public:
  // The node at `path`, or null when a node along it is missing. Throws
  // std::invalid_argument, naming `whole` (the path the session gave, by default `path`),
  // when the path does not begin with '/' or has an empty name.
  Orvan_2D* find(std::string_view path, std::string_view whole = {});

 private:
  std::string path_;                // the last path found
  std::vector<size_t> ends_;        // where each name of path_ ends
  std::vector<Orvan_2D*> along_;    // the root, then the node of each name of path_
  uint64_t removals_ = UINT64_MAX;  // the host's count of removals they were found at
};

}  // namespace console
