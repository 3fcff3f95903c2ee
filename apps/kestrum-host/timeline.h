// A session's memory over time, as the host sees it: after every action of a session the
// console records what the host's own data hold per kind, the process's address space,
// the GPU memory in use and the budget the module reported, and marks the module's
// purges, the clears asked for by button or script line and a line that failed. The
// record grows by one compact row per action; events are kept apart, as they are rare.
// It is written as CSV here and drawn as a picture by timeline_picture.h.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "hostsim/events.h"

namespace console {

// The figures after one action, in bytes. Figures that are not known (yet) read NONE.
struct Timeline_Row {
  static constexpr uint64_t NONE = UINT64_MAX;

  uint64_t images;      // the image database: tree nodes and image records
  uint64_t geometry;    // the 3-D data: objects, their arts, and movies
  int64_t undo;         // the undo history's figure (the host's signed 32-bit count)
  uint64_t space_used;  // the address space the process mapped since the record began (see Timeline)
  uint64_t space_limit; // what the session's "limit" lets it map since then, in all; NONE before
  uint64_t gpu_used;    // the GPU memory in use that the runtime reports
  uint64_t budget;      // the smaller of the module's "Tot Available" and "Tot RAM"; NONE before
  uint32_t line;        // the session's line number
  uint16_t action;      // the action's word: Timeline::action_word(action)

  // The three kinds stacked, as the picture draws them (a negative undo figure adds 0).
  uint64_t stacked() const { return images + (undo > 0 ? static_cast<uint64_t>(undo) : 0) + geometry; }
};

struct Timeline_Event {
  enum Kind : uint8_t { PURGE, CLEAR_IMAGES, CLEAR_UNDO, CLEAR_GEOMETRY, FAILURE };
  Kind kind;
  uint32_t row;      // the action's row
  uint64_t bytes;    // PURGE: what the module said it freed; a clear: what its kind gave back
  std::string note;  // FAILURE: the line's error, its bytes shown as the console shows them
};

// The address space is counted from what the process had mapped when the record began,
// before the session's first line (its libraries, the module, the console): what the
// picture shows is what the session took, on the same scale as the host's data, and the
// room its "limit" left, whatever the build maps around them (a sanitizer's shadow
// memory reserves terabytes).
class Timeline {
 public:
  Timeline();

  // Makes room for a session of `actions` actions (0: not known, room for a few
  // thousand), before its first line: the record then grows without taking address space
  // while the session runs, where a "limit" may leave none to spare.
  void expect(size_t actions);

  // Records the host's figures after the action on session line `line`, whose first
  // word is `action`; `happened` is what the host model recorded while the action ran
  // (hostsim::events(): messages and host calls), `error` the line's error when it
  // failed, else null.
  void record(uint32_t line, const std::string& action, const std::vector<hostsim::Event>& happened,
              const char* error);

  const std::vector<Timeline_Row>& rows() const { return rows_; }
  const std::vector<Timeline_Event>& events() const { return events_; }
  const std::string& action_word(uint16_t index) const { return words_[index]; }

  // One header line, then one line per action: line,action,images,undo,geometry,
  // space_used,space_limit,gpu_used,budget,events. Unknown figures are empty; the events
  // of an action are joined by "; " ("purge 134217728", "clear undo 67108864",
  // "failed: cannot allocate ..."), quoted as CSV quotes a field when needed.
  void write_csv(std::ostream& out) const;

 private:
  static constexpr std::chrono::milliseconds SPACE_READING_ALLOWANCE{50};

  uint16_t intern(const std::string& word);
  uint64_t space_used(bool failed);
  void read_messages(const std::vector<hostsim::Event>& happened, uint32_t row);
  void read_clears(uint32_t row, const Timeline_Row& now);

  std::vector<Timeline_Row> rows_;
  std::vector<Timeline_Event> events_;
  std::vector<std::string> words_;  // the distinct action words, in order of first use
  uint64_t available_ = Timeline_Row::NONE;  // the module's "Tot Available" and "Tot RAM"
  uint64_t ram_ = Timeline_Row::NONE;
  uint64_t space_limit_ = Timeline_Row::NONE;
  uint64_t space_base_;            // what the process had mapped when the record began
  std::chrono::steady_clock::time_point began_;
  uint64_t space_used_ = 0;        // the last reading of the address space in use,
  uint64_t held_at_reading_ = 0;   // the host's real memory then,
  std::chrono::steady_clock::duration reading_time_{};  // and what the readings took in all
};

// "134217728" for a figure, "" for NONE.
std::string figure_text(uint64_t bytes);

}  // namespace console
