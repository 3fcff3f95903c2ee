#include "apps/kestrum-host/tree_paths.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "hostsim/db2d.h"
#include "hostsim/printable.h"

namespace console {

namespace {

// How many bytes `a` and `b` share at their start: compared a block at a time with
// memcmp, which is as fast as reading them, then byte by byte in the block that differs.
size_t shared_start(std::string_view a, std::string_view b) {
  constexpr size_t BLOCK = 64;
  const size_t most = std::min(a.size(), b.size());
  size_t same = 0;
  while (same + BLOCK <= most && std::memcmp(a.data() + same, b.data() + same, BLOCK) == 0) same += BLOCK;
  while (same < most && a[same] == b[same]) ++same;
  return same;
}

}  // namespace

Orvan_2D* Tree_Paths::find(std::string_view path, std::string_view whole) {
  if (whole.empty()) whole = path;
  if (path.empty() || path[0] != '/')
    throw std::invalid_argument("a path begins with /: " + hostsim::printable(whole));
  // A removal may have taken nodes along the last path with it.
  if (removals_ != hostsim::node_removals() || along_.empty()) {
    removals_ = hostsim::node_removals();
    path_.clear();
    ends_.clear();
    along_.assign(1, hostsim::root_node());
  }
  // Keep the names of the last path that the new one shares whole ("/ab" shares no name
  // with "/a"): those that end within the shared start, the last of them only when the
  // new path's name ends there too. Its names were read when it was found.
  const size_t same = shared_start(path, path_);
  size_t kept = static_cast<size_t>(std::upper_bound(ends_.begin(), ends_.end(), same) - ends_.begin());
  if (kept > 0 && ends_[kept - 1] == same && same < path.size() && path[same] != '/') --kept;
  ends_.resize(kept);
  along_.resize(kept + 1);
  path_.resize(kept ? ends_.back() : 0);
  if (path.size() == 1) return along_.back();  // the root
  // Read and look up the names past them, keeping each node found.
  for (size_t start = path_.size() + 1; start <= path.size();) {
    const size_t end = std::min(path.find('/', start), path.size());
    if (end == start) throw std::invalid_argument("empty node name in " + hostsim::printable(whole));
    Orvan_2D* child = hostsim::child_node(along_.back(), path.substr(start, end - start));
    if (!child) {
      // What lies past a missing node is still read: an empty name there is the error.
      if (path.find("//", end) != std::string_view::npos || path.back() == '/')
        throw std::invalid_argument("empty node name in " + hostsim::printable(whole));
      return nullptr;
    }
    path_.append(path.substr(path_.size(), end - path_.size()));
    ends_.push_back(end);
    along_.push_back(child);
    start = end + 1;
  }
  return along_.back();
}

}  // namespace console
