// Where everything of a timeline picture goes, worked out once for every way of drawing
// it: the plot's pixel columns and what each shows, the byte scale with its ticks, the
// session's lines along the x axis, and the event markers with their labels, merged
// where they would collide. The drawer (timeline_picture.cpp) only paints what this lays
// out.
//
// The scale, which docs/console.md states for the picture's readers:
// - The plot is PLOT_WIDTH x PLOT_HEIGHT pixels with its lower left corner at
//   (PLOT_LEFT, PLOT_TOP + PLOT_HEIGHT - 1) of the picture (rows counted from the top).
// - x: with n actions, plot column c (0 at the left) shows the actions from
//   floor(c * n / PLOT_WIDTH) up to, not including, floor((c + 1) * n / PLOT_WIDTH), and
//   at least the first of them; where a column shows several, each figure is the largest
//   of them and the stacked areas are those of the action with the largest total. The
//   ticks name session lines: a tick labelled L stands at the first column of the first
//   action on line L or after it.
// - y: the tick step is the smallest power of two bytes (at least 1) that needs no more
//   than 8 steps to pass the largest figure drawn (the stacked total, the budget, the
//   address-space limit and the address space in use); the plot's top edge stands for
//   the first multiple of the step above that figure. A figure v reaches
//   round(v * PLOT_HEIGHT / top) pixels above the plot's bottom edge: an area of v fills
//   that many rows from the bottom, a line at v covers the row just below and the row
//   just above that boundary.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "apps/kestrum-host/timeline.h"

namespace console {

struct Timeline_Layout {
  static constexpr int WIDTH = 1000, HEIGHT = 560;
  static constexpr int PLOT_LEFT = 90, PLOT_TOP = 50, PLOT_WIDTH = 900, PLOT_HEIGHT = 400;
  // Where the address-space limit's line would come within LINE_CLEARANCE rows of the
  // budget's, it is drawn LINE_CLEARANCE + 1 rows above it instead (below, when it is the
  // lower): a row of the background then parts the two lines.
  static constexpr int LINE_CLEARANCE = 2;

  // What one plot column shows.
  struct Column {
    uint32_t row;         // the action whose stacked areas are drawn
    uint64_t space_used;  // the largest address space in use among its actions
    uint64_t space_limit; // Timeline_Row::NONE where no limit was set
    uint64_t budget;      // Timeline_Row::NONE before the module reported one
    int limit_line;       // the height the limit's line is drawn at (see LINE_CLEARANCE); -1 for none
  };
  // A purge, clear or failure: drawn in the first column of its action as a line from
  // the stacked total before the action to the total after it, topped by a triangle.
  struct Marker {
    Timeline_Event::Kind kind;
    int column;
    int from_height, to_height;  // pixels above the bottom edge; from >= to
  };
  // The label of one or more markers, centred over them.
  struct Label {
    std::string text;
    Timeline_Event::Kind kind;      // the first marker's kind
    double centre;                  // plot x
    int height;                     // pixels above the bottom edge of the label's lower edge
    int first_column, last_column;  // where the markers it names lie
  };
  struct Tick {
    int position;  // plot column, or pixels above the bottom edge for the byte axis
    std::string text;
  };
  // The texts whose widths the layout needs: a marker's label, a tick's number.
  enum class Text { LABEL, TICK };

  size_t actions = 0;
  std::vector<Column> columns;  // one per plot column; empty without actions
  uint64_t top = 0;             // the bytes at the plot's top edge
  uint64_t step = 0;            // the bytes between two byte ticks
  std::vector<Tick> byte_ticks, line_ticks;
  std::vector<Marker> markers;
  std::vector<Label> labels;
  std::string note;  // how columns stand for actions, when they stand for several
  bool has_budget = false, has_limit = false, has_clears = false, has_failure = false, has_purge = false;

  // Pixels above the plot's bottom edge that a figure reaches.
  int height_of(uint64_t bytes) const;
  // The first plot column that shows action `row`.
  int first_column(uint32_t row) const;
};

// The width in pixels of a text, as the drawer's font for its kind gives it.
using Text_Width = std::function<double(const std::string&, Timeline_Layout::Text)>;

Timeline_Layout lay_out(const Timeline& timeline, const Text_Width& text_width);

}  // namespace console
