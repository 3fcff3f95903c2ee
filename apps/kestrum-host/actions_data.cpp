// The host's data: the 2-D image tree and file records, the undo history, 3-D objects,
// files and tags, and the host's iterator. Each action changes the host model; nothing
// is called in the module. A trailing word "real" on node, image, undo and object3d
// makes the host hold real memory for the bytes it reports.
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

#include "apps/kestrum-host/console.h"
#include "hostsim/db2d.h"
#include "hostsim/db3d.h"
#include "hostsim/undo.h"

namespace console {

namespace {

// A number that must lie in [least, most]; `what` names it in the reason.
int64_t ranged(const std::string& word, int64_t least, int64_t most, const char* what) {
  const int64_t value = parse_int(word);
  if (value < least || value > most) throw Action_Error(std::string(what) + " out of range: " + word);
  return value;
}

uint64_t bytes_up_to(const std::string& word, uint64_t most, const char* what) {
  const uint64_t value = parse_bytes(word);
  if (value > most) throw Action_Error(std::string(what) + " out of range: " + word);
  return value;
}

// A byte count that may be negative: "-4K".
int64_t signed_bytes(const std::string& word) {
  const bool negative = !word.empty() && word[0] == '-';
  const uint64_t magnitude = parse_bytes(negative ? word.substr(1) : word);
  if (magnitude > uint64_t{1} << 31) throw Action_Error("byte count out of range: " + word);
  return negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
}

// Strips a trailing "real" and says whether it was there.
bool take_real(Words& words) {
  if (words.size() < 2 || words.back() != "real") return false;
  words.pop_back();
  return true;
}

// The host model reports bad paths, unknown nodes and the like as invalid_argument.
Handler reporting(void (*action)(Words)) {
  return [action](Session&, const Words& words) {
    try {
      action(words);
    } catch (const std::invalid_argument& why) {
      throw Action_Error(why.what());
    }
  };
}

// node PATH BYTES [L=FREED ...] [real]
void node(Words words) {
  const bool real = take_real(words);
  expect_args(words, 2, 64, "node PATH BYTES [L=FREED ...] [real]");
  std::vector<hostsim::Level_Release> releases;
  for (size_t i = 3; i < words.size(); ++i) {
    const size_t equals = words[i].find('=');
    if (equals == std::string::npos) throw Action_Error("expected L=FREED: " + words[i]);
    const auto level = ranged(words[i].substr(0, equals), 0, UINT16_MAX, "cleanup level");
    releases.push_back({static_cast<unsigned short>(level), parse_bytes(words[i].substr(equals + 1))});
  }
  hostsim::add_node(words[1], parse_bytes(words[2]), releases, real);
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
  const auto file = ranged(words[1], 0, UINT16_MAX, "file record number");
  uint16_t extent[4];
  for (int i = 0; i < 4; ++i) extent[i] = static_cast<uint16_t>(ranged(words[2 + i], 0, UINT16_MAX, "extent"));
  const auto bits = ranged(words[6], 0, UINT16_MAX, "sample width");
  const auto samples = ranged(words[7], 0, UINT8_MAX, "samples per element");
  hostsim::add_image(static_cast<uint32_t>(file), extent[0], extent[1], extent[2], extent[3],
                     static_cast<uint16_t>(bits), static_cast<uint8_t>(samples), real);
}

void undo(Words words) {
  const bool real = take_real(words);
  expect_args(words, 1, 1, "undo BYTES [real]");
  const int64_t bytes = signed_bytes(words[1]);
  if (bytes < INT32_MIN || bytes > INT32_MAX) throw Action_Error("undo figure out of 32-bit range: " + words[1]);
  hostsim::set_undo_bytes(static_cast<int32_t>(bytes), real);
}

// object3d NAME BYTES ARTS [real]
void object3d(Words words) {
  const bool real = take_real(words);
  expect_args(words, 3, 3, "object3d NAME BYTES ARTS [real]");
  hostsim::add_object3d(words[1], parse_bytes(words[2]), parse_bytes(words[3]), real);
}

// file3d / tag3d MOVIES... | nomovies N
template <void (*with_table)(const hostsim::Movie_Sizes&), void (*without_table)(int32_t)>
void movie_record(Words words) {
  if (words.size() >= 2 && words[1] == "nomovies") {
    expect_args(words, 2, 2, "file3d|tag3d nomovies N");
    without_table(static_cast<int32_t>(ranged(words[2], INT32_MIN, INT32_MAX, "movie count")));
    return;
  }
  hostsim::Movie_Sizes movies;
  for (size_t i = 1; i < words.size(); ++i) {
    if (words[i] == "-") movies.push_back(std::nullopt);
    else movies.push_back(static_cast<uint32_t>(bytes_up_to(words[i], UINT32_MAX, "movie size")));
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
  table.add("node", counted(reporting(node)));
  table.add("drop", reporting(drop));
  table.add("root", reporting(root));
  table.add("image", counted(reporting(image)));
  table.add("undo", reporting(undo));
  table.add("object3d", reporting(object3d));
  table.add("file3d", reporting(movie_record<hostsim::add_file3d, hostsim::add_file3d_without_table>));
  table.add("tag3d", reporting(movie_record<hostsim::add_tag3d, hostsim::add_tag3d_without_table>));
  table.add("iterator", reporting(iterator));
}

}  // namespace console
