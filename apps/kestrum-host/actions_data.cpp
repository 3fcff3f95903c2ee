// The host's data: the 2-D image tree and file records, the undo history, 3-D objects,
// files and tags, and the host's iterator. Each action changes the host model; nothing
// is called in the module. A trailing word "real" on node, image, undo and object3d
// makes the host hold real memory for the bytes it reports.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "apps/kestrum-host/console.h"
#include "apps/kestrum-host/tree_paths.h"
#include "hostsim/db2d.h"
#include "hostsim/db3d.h"
#include "hostsim/printable.h"
#include "hostsim/undo.h"

namespace console {

namespace {

// How deep a node may lie below the root. The module measures and cleans the tree by
// walks that recurse once a level, on the host's thread, whose main thread on Windows has
// a 1 MiB stack: the bound leaves a good part of that stack to the host's own frames
// (what a level costs: Misbehaviour_Test.StackUsePerLevelOfTheTree; the figures:
// docs/console.md, "Deep trees"). It is the same on every target, so that a session
// behaves alike everywhere.
constexpr size_t MAX_TREE_DEPTH = 8000;

// The levels below the root of the node at `path` ("/" is the root, level 0).
size_t depth_of(const std::string& path) {
  return path.size() <= 1 ? 0 : static_cast<size_t>(std::count(path.begin(), path.end(), '/'));
}

// Strips a trailing "real" and says whether it was there.
bool take_real(Words& words) {
  if (words.size() < 2 || words.back() != "real") return false;
  words.pop_back();
  return true;
}

// The host model reports bad paths, unknown nodes and the like as invalid_argument.
template <typename Action>
Handler reporting(Action action) {
  return [action](Session&, const Words& words) {
    try {
      action(words);
    } catch (const std::invalid_argument& why) {
      throw Action_Error(why.what());
    }
  };
}

// node PATH BYTES [L=FREED ...] [real]: the parent found through the session's paths.
void node(Tree_Paths& paths, Words words) {
  const bool real = take_real(words);
  expect_args(words, 2, 64, "node PATH BYTES [L=FREED ...] [real]");
  std::vector<hostsim::Level_Release> releases;
  for (size_t i = 3; i < words.size(); ++i) {
    const size_t equals = words[i].find('=');
    if (equals == std::string::npos) throw Action_Error("expected L=FREED: " + words[i]);
    const auto level = parse_int(words[i].substr(0, equals), 0, UINT16_MAX, "cleanup level");
    releases.push_back({static_cast<unsigned short>(level), parse_bytes(words[i].substr(equals + 1))});
  }
  const size_t depth = depth_of(words[1]);
  if (depth > MAX_TREE_DEPTH)
    throw Action_Error("node too deep: " + std::to_string(depth) + " levels below the root, at most " +
                       std::to_string(MAX_TREE_DEPTH) + " (the module's walk must fit a 1 MiB stack)");
  const std::string_view path = words[1];
  const uint64_t bytes = parse_bytes(words[2]);
  const size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) throw Action_Error("a path begins with /: " + hostsim::printable(path));
  if (path.size() == 1) return hostsim::set_node(hostsim::root_node(), bytes, releases, real);
  if (slash + 1 == path.size() || (slash > 0 && path[slash - 1] == '/'))
    throw Action_Error("empty node name in " + hostsim::printable(path));
  Orvan_2D* parent = paths.find(path.substr(0, slash == 0 ? 1 : slash), path);
  if (!parent) throw Action_Error("no parent node for " + hostsim::printable(path));
  hostsim::add_child(parent, path.substr(slash + 1), bytes, releases, real);
}

void drop(Words words) {
  expect_args(words, 1, 1, "drop PATH");
  hostsim::drop_node(words[1]);
}

void root(Words words) {
  expect_args(words, 1, 1, "root null|set");
  if (words[1] != "null" && words[1] != "set") throw Action_Error("expected root null or root set");
  hostsim::set_root_present(words[1] == "set");
}

// image FILE X Y Z T BITS SAMPLES [real]
void image(Words words) {
  const bool real = take_real(words);
  expect_args(words, 7, 7, "image FILE X Y Z T BITS SAMPLES [real]");
  const auto file = parse_int(words[1], 0, UINT16_MAX, "file record number");
  uint16_t extent[4];
  for (int i = 0; i < 4; ++i) extent[i] = static_cast<uint16_t>(parse_int(words[2 + i], 0, UINT16_MAX, "extent"));
  const auto bits = parse_int(words[6], 0, UINT16_MAX, "sample width");
  const auto samples = parse_int(words[7], 0, UINT8_MAX, "samples per element");
  hostsim::add_image(static_cast<uint32_t>(file), extent[0], extent[1], extent[2], extent[3],
                     static_cast<uint16_t>(bits), static_cast<uint8_t>(samples), real);
}

void undo(Words words) {
  const bool real = take_real(words);
  expect_args(words, 1, 1, "undo BYTES [real]");
  hostsim::set_undo_bytes(static_cast<int32_t>(parse_signed_bytes(words[1], INT32_MIN, INT32_MAX, "undo figure")),
                          real);
}

// object3d NAME BYTES ARTS [real]
void object3d(Words words) {
  const bool real = take_real(words);
  expect_args(words, 3, 3, "object3d NAME BYTES ARTS [real]");
  hostsim::add_object3d(words[1], parse_bytes(words[2]), parse_bytes(words[3], "arts byte count"), real);
}

// file3d / tag3d MOVIES... | nomovies N
template <void (*with_table)(const hostsim::Movie_Sizes&), void (*without_table)(int32_t)>
void movie_record(Words words) {
  if (words.size() >= 2 && words[1] == "nomovies") {
    expect_args(words, 2, 2, "file3d|tag3d nomovies N");
    without_table(static_cast<int32_t>(parse_int(words[2], INT32_MIN, INT32_MAX, "movie count")));
    return;
  }
  hostsim::Movie_Sizes movies;
  for (size_t i = 1; i < words.size(); ++i) {
    if (words[i] == "-") movies.push_back(std::nullopt);
    else movies.push_back(static_cast<uint32_t>(parse_bytes(words[i], "movie size", UINT32_MAX)));
  }
  with_table(movies);
}

void iterator(Words words) {
  expect_args(words, 1, 1, "iterator on|off");
  if (words[1] != "on" && words[1] != "off") throw Action_Error("expected iterator on or iterator off");
  hostsim::set_iterator_available(words[1] == "on");
}

// A load of the host's: counted for the closing summary.
Handler counted(Handler action) {
  return [action](Session& session, const Words& words) {
    action(session, words);
    ++session.loads;
  };
}

}  // namespace

void add_data_actions(Action_Table& table) {
  const auto paths = std::make_shared<Tree_Paths>();
  table.add("node", counted(reporting([paths](Words words) { node(*paths, std::move(words)); })), NOTHING,
            "node PATH BYTES [L=FREED ...] [real]\tan image node; a cleanup at level L frees FREED of it");
  table.add("drop", reporting(drop), NOTHING, "drop PATH\tremoves a node and its subtree");
  table.add("root", reporting(root), NOTHING, "root null|set\tthe image tree's root pointer null, or set again");
  table.add("image", counted(reporting(image)), NOTHING,
            "image FILE X Y Z T BITS SAMPLES [real]\tan image record in 2-D file record FILE");
  table.add("undo", reporting(undo), NOTHING, "undo BYTES [real]\tthe undo history holds BYTES");
  table.add("object3d", reporting(object3d), NOTHING, "object3d NAME BYTES ARTS [real]\ta 3-D object and its arts");
  table.add("file3d", reporting(movie_record<hostsim::add_file3d, hostsim::add_file3d_without_table>), NOTHING,
            "file3d MOVIES... | file3d nomovies N\ta 3-D file: movies of those sizes (- null), or N, no table");
  table.add("tag3d", reporting(movie_record<hostsim::add_tag3d, hostsim::add_tag3d_without_table>), NOTHING,
            "tag3d MOVIES... | tag3d nomovies N\ta 3-D tag, likewise");
  table.add("iterator", reporting(iterator), NOTHING, "iterator on|off\tthe host's 3-D iterator works, or hands out none");
}

}  // namespace console
