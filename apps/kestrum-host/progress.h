// A one-line progress indicator on standard error for long sessions: shown only when
// standard error is a terminal, and only once a session has run for a second; erased
// at the end. Piped or CI output never sees it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>

namespace console {

class Progress {
 public:
  // Starts the clock for a session of `total_lines` lines (0: not known).
  void begin(size_t total_lines);
  // Before a line runs: where standard output shares the terminal, the indicator steps
  // aside so that the line's output starts at the left edge.
  void before_line();
  // After session line `number` ran (an action): redraws the indicator, at most ten
  // times a second unless it stepped aside for the line.
  void after_line(unsigned number);
  // Erases the indicator (before an error is printed, and at the end).
  void erase();

 private:
  void draw(unsigned number);

  bool enabled_ = false;
  bool shares_terminal_ = false;  // standard output is a terminal too
  bool shown_ = false;
  size_t total_ = 0;
  size_t actions_ = 0;
  std::chrono::steady_clock::time_point start_, drawn_;
};

}  // namespace console
