// The timeline picture, drawn by the host model's painter into a picture of its own and
// written by its PNG writer: Cairo on Linux, GDI on Windows, from this one drawing of
// the layout (timeline_layout.h). Areas, lines and markers are rectangles on whole
// pixels, so that each pixel's colour follows from the layout; text and the markers'
// triangles are smoothed where the platform smooths them.
#include "apps/kestrum-host/timeline_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "apps/kestrum-host/timeline_layout.h"
#include "hostsim/painter.h"
#include "hostsim/picture.h"

namespace console {

namespace {

using Layout = Timeline_Layout;
using Font = hostsim::Painter::Font;

// The panel's bar colours at the shade of the bar's middle row (170): images blue, undo
// cyan, 3-D magenta.
constexpr uint32_t IMAGES = 0x0000AA, UNDO = 0x00AAAA, GEOMETRY = 0xAA00AA;
constexpr uint32_t BUDGET = 0x000000, LIMIT = 0xD00000, SPACE_USED = 0x707070;
constexpr uint32_t PURGE = 0xFF8C00, CLEAR = 0x2E8B57, FAILURE = 0xE00000;
constexpr uint32_t PURGE_LABEL = 0xB85C00;  // a darker orange, readable as text
constexpr uint32_t BACKGROUND = 0xFFFFFF, GRID = 0xE0E0E0, TEXT = 0x333333;
constexpr const char* FAMILY = "DejaVu Sans";
constexpr Font LABEL_FONT{FAMILY, 11, true}, SMALL_FONT{FAMILY, 12, false}, TITLE_FONT{FAMILY, 16, true};
constexpr int BOTTOM = Layout::PLOT_TOP + Layout::PLOT_HEIGHT;  // the first row below the plot

uint32_t marker_colour(Timeline_Event::Kind kind) {
  if (kind == Timeline_Event::PURGE) return PURGE;
  return kind == Timeline_Event::FAILURE ? FAILURE : CLEAR;
}

// The host model's painter in the plot's terms.
class Chart {
 public:
  explicit Chart(hostsim::Picture& picture) : painter_(picture) {}

  // Plot rows `low` up to before `high` (pixels above the bottom edge) of plot columns
  // `column` up to before `end`.
  void span(int column, int end, int low, int high, uint32_t rgb) {
    painter_.fill(Layout::PLOT_LEFT + column, BOTTOM - high, end - column, high - low, rgb);
  }
  // A rectangle of the picture, its corner rounded to the pixel.
  void box(double left, double top, int width, int height, uint32_t rgb) {
    painter_.fill(static_cast<int>(std::lround(left)), static_cast<int>(std::lround(top)), width, height, rgb);
  }
  double width(const std::string& text, const Font& font) { return painter_.text_width(text.c_str(), font); }
  // Text with its baseline at y; `align` 0 left, 0.5 centred, 1 right.
  void text(const std::string& text, double x, double y, const Font& font, uint32_t rgb, double align = 0) {
    painter_.text_at(text.c_str(), x, y, font, rgb, align);
  }
  hostsim::Painter& painter() { return painter_; }

 private:
  hostsim::Painter painter_;
};

// Each kind's area, with neighbouring columns of the same extent joined into one rectangle.
void draw_areas(Chart& chart, const Timeline& timeline, const Layout& layout) {
  const auto& rows = timeline.rows();
  const auto bounds = [&](size_t c, int kind, int& low, int& high) {
    const Timeline_Row& row = rows[layout.columns[c].row];
    const uint64_t undo = row.undo > 0 ? static_cast<uint64_t>(row.undo) : 0;
    const uint64_t edges[4] = {0, row.images, row.images + undo, row.images + undo + row.geometry};
    low = layout.height_of(edges[kind]);
    high = layout.height_of(edges[kind + 1]);
  };
  const uint32_t colours[3] = {IMAGES, UNDO, GEOMETRY};
  for (int kind = 0; kind < 3; ++kind) {
    size_t start = 0;
    int low = 0, high = 0;
    for (size_t c = 0; c <= layout.columns.size(); ++c) {
      int l = -1, h = -1;
      if (c < layout.columns.size()) bounds(c, kind, l, h);
      if (c == layout.columns.size() || l != low || h != high) {
        chart.span(static_cast<int>(start), static_cast<int>(c), low, high, colours[kind]);
        start = c;
        low = l;
        high = h;
      }
    }
  }
}

// A line per column at the height `line` gives (negative: nothing there), two rows
// thick; `dash` leaves gaps.
template <typename Line>
void draw_line(Chart& chart, const Layout& layout, uint32_t colour, bool dash, Line line) {
  for (size_t c = 0; c < layout.columns.size(); ++c) {
    const int h = line(layout.columns[c]);
    if (h < 0 || (dash && (c / 6) % 2 == 1)) continue;
    chart.span(static_cast<int>(c), static_cast<int>(c) + 1, h - 1, h + 1, colour);
  }
}

// The address space in use: one row thick, its steps joined.
void draw_space_used(Chart& chart, const Layout& layout) {
  int previous = -1;
  for (size_t c = 0; c < layout.columns.size(); ++c) {
    const int h = layout.height_of(layout.columns[c].space_used);
    const int from = previous < 0 ? h : std::min(previous, h), to = previous < 0 ? h : std::max(previous, h);
    chart.span(static_cast<int>(c), static_cast<int>(c) + 1, from, to + 1, SPACE_USED);
    previous = h;
  }
}

void draw_grid(Chart& chart, const Layout& layout) {
  for (const Layout::Tick& tick : layout.byte_ticks)
    if (tick.position > 0) chart.span(0, Layout::PLOT_WIDTH, tick.position, tick.position + 1, GRID);
}

void draw_scales(Chart& chart, const Layout& layout) {
  chart.box(Layout::PLOT_LEFT - 1, Layout::PLOT_TOP, 1, Layout::PLOT_HEIGHT + 1, TEXT);
  chart.box(Layout::PLOT_LEFT - 1, BOTTOM, Layout::PLOT_WIDTH + 1, 1, TEXT);
  for (const Layout::Tick& tick : layout.byte_ticks) {
    chart.box(Layout::PLOT_LEFT - 5, BOTTOM - 1 - tick.position, 4, 1, TEXT);
    chart.text(tick.text, Layout::PLOT_LEFT - 8, BOTTOM - tick.position + 3, SMALL_FONT, TEXT, 1);
  }
  for (const Layout::Tick& tick : layout.line_ticks) {
    chart.box(Layout::PLOT_LEFT + tick.position, BOTTOM + 1, 1, 4, TEXT);
    chart.text(tick.text, Layout::PLOT_LEFT + tick.position, BOTTOM + 18, SMALL_FONT, TEXT, 0.5);
  }
  chart.text("session line (one step per action)", Layout::PLOT_LEFT + Layout::PLOT_WIDTH / 2.0, BOTTOM + 36,
             SMALL_FONT, TEXT, 0.5);
}

// Every marker's line; its triangle where it does not crowd the one before; the labels
// on a box of the background.
void draw_markers(Chart& chart, const Layout& layout) {
  int last_head = -100;
  for (const Layout::Marker& marker : layout.markers) {
    // Two columns wide, or one where a column stands for several actions.
    const int wide = layout.note.empty() ? 2 : 1;
    const int column = std::min(marker.column, Layout::PLOT_WIDTH - wide);
    chart.span(column, column + wide, marker.to_height, marker.from_height + 1, marker_colour(marker.kind));
    if (column - last_head < 12) continue;
    last_head = column;
    // The triangle, pointing down at the upper end of the line.
    const double x = Layout::PLOT_LEFT + column + wide / 2.0, y = BOTTOM - 1 - marker.from_height;
    chart.painter().triangle({x, x - 5, x + 5}, {y, y - 8, y - 8}, marker_colour(marker.kind));
  }
  for (const Layout::Label& label : layout.labels) {
    const double w = chart.width(label.text, LABEL_FONT), x = Layout::PLOT_LEFT + label.centre;
    const double baseline = BOTTOM - 1 - label.height - 3;
    chart.box(x - w / 2 - 2, baseline - 11, static_cast<int>(std::ceil(w)) + 4, 14, BACKGROUND);
    chart.text(label.text, x, baseline, LABEL_FONT,
               label.kind == Timeline_Event::PURGE ? PURGE_LABEL : marker_colour(label.kind), 0.5);
  }
}

// The legend in one row below the axis (two where it does not fit), then the note on
// columns that stand for several actions.
void draw_legend(Chart& chart, const Layout& layout) {
  struct Entry {
    uint32_t colour;
    const char* text;
    int shape;  // 0 area, 1 line, 2 marker
  };
  std::vector<Entry> entries = {{IMAGES, "images", 0}, {UNDO, "undo", 0}, {GEOMETRY, "3-D geometry", 0}};
  if (layout.has_budget) entries.push_back({BUDGET, "budget (module)", 1});
  if (layout.has_limit) entries.push_back({LIMIT, "address-space limit", 1});
  entries.push_back({SPACE_USED, "address space in use", 1});
  if (layout.has_purge) entries.push_back({PURGE, "purge, amount freed", 2});
  if (layout.has_clears) entries.push_back({CLEAR, "clear by button or script", 2});
  if (layout.has_failure) entries.push_back({FAILURE, "line that failed", 2});
  double x = Layout::PLOT_LEFT, y = BOTTOM + 62;
  for (const Entry& entry : entries) {
    const double w = chart.width(entry.text, SMALL_FONT);
    if (x + 19 + w > Layout::PLOT_LEFT + Layout::PLOT_WIDTH) {
      x = Layout::PLOT_LEFT;
      y += 20;
    }
    if (entry.shape == 0) chart.box(x, y - 10, 14, 12, entry.colour);
    if (entry.shape == 1) chart.box(x, y - 5, 14, 2, entry.colour);
    if (entry.shape == 2) chart.box(x + 6, y - 11, 2, 13, entry.colour);
    chart.text(entry.text, x + 19, y, SMALL_FONT, TEXT);
    x += 19 + w + 18;
  }
  if (!layout.note.empty()) chart.text(layout.note, Layout::PLOT_LEFT + Layout::PLOT_WIDTH, y + 24, SMALL_FONT, TEXT, 1);
}

}  // namespace

bool draw_timeline_png(const Timeline& timeline, const std::string& title, const std::string& path,
                       std::string& error) {
  hostsim::Picture picture(Layout::WIDTH, Layout::HEIGHT, BACKGROUND);
  {
    Chart chart(picture);
    if (!chart.painter()) {
      error = "cannot draw the timeline";
      return false;
    }
    const Layout layout = lay_out(timeline, [&chart](const std::string& text, Layout::Text kind) {
      return chart.width(text, kind == Layout::Text::LABEL ? LABEL_FONT : SMALL_FONT);
    });
    draw_grid(chart, layout);
    if (!layout.columns.empty()) {
      draw_areas(chart, timeline, layout);
      draw_line(chart, layout, BUDGET, false, [&layout](const Layout::Column& c) {
        return c.budget == Timeline_Row::NONE ? -1 : layout.height_of(c.budget);
      });
      draw_line(chart, layout, LIMIT, true, [](const Layout::Column& c) { return c.limit_line; });
      draw_space_used(chart, layout);
    }
    draw_scales(chart, layout);
    draw_markers(chart, layout);
    draw_legend(chart, layout);
    chart.text(title, Layout::PLOT_LEFT, 30, TITLE_FONT, TEXT);
  }
  return hostsim::write_png(picture, path, error);
}

}  // namespace console
