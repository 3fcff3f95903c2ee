// The timeline picture drawn with Cairo. Areas, lines and markers are drawn without
// smoothing on whole pixels, so that each pixel's colour follows from the layout; text
// and the markers' triangles are smoothed.
#include <cairo.h>

#include <cstdint>
#include <memory>

#include "apps/kestrum-host/timeline_layout.h"
#include "apps/kestrum-host/timeline_picture.h"

namespace console {

namespace {

using Layout = Timeline_Layout;

// The panel's bar colours at the shade of the bar's middle row (170): images blue, undo
// cyan, 3-D magenta.
constexpr uint32_t IMAGES = 0x0000AA, UNDO = 0x00AAAA, GEOMETRY = 0xAA00AA;
constexpr uint32_t BUDGET = 0x000000, LIMIT = 0xD00000, SPACE_USED = 0x707070;
constexpr uint32_t PURGE = 0xFF8C00, CLEAR = 0x2E8B57, FAILURE = 0xE00000;
constexpr uint32_t PURGE_LABEL = 0xB85C00;  // a darker orange, readable as text
constexpr uint32_t BACKGROUND = 0xFFFFFF, GRID = 0xE0E0E0, TEXT = 0x333333;
constexpr const char* FONT = "DejaVu Sans";
constexpr int BOTTOM = Layout::PLOT_TOP + Layout::PLOT_HEIGHT;  // the first row below the plot

uint32_t marker_colour(Timeline_Event::Kind kind) {
  if (kind == Timeline_Event::PURGE) return PURGE;
  return kind == Timeline_Event::FAILURE ? FAILURE : CLEAR;
}

class Painter {
 public:
  explicit Painter(cairo_t* cr) : cr_(cr) {}

  void colour(uint32_t rgb) {
    cairo_set_source_rgb(cr_, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
  }

  // Plot rows `low` up to before `high` (pixels above the bottom edge) of plot columns
  // `column` up to before `end`.
  void span(int column, int end, int low, int high) {
    if (high <= low || end <= column) return;
    cairo_rectangle(cr_, Layout::PLOT_LEFT + column, BOTTOM - high, end - column, high - low);
  }
  void fill() { cairo_fill(cr_); }

  void font(double size, bool bold = false) {
    cairo_select_font_face(cr_, FONT, CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr_, size);
  }
  double width(const std::string& text) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr_, text.c_str(), &extents);
    return extents.x_advance;
  }
  // Text with its baseline at y; `align` 0 left, 0.5 centred, 1 right.
  void text(const std::string& text, double x, double y, double align = 0) {
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_GRAY);
    cairo_move_to(cr_, x - width(text) * align, y);
    cairo_show_text(cr_, text.c_str());
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
  }

  cairo_t* cr() { return cr_; }

 private:
  cairo_t* cr_;
};

// Each kind's area, with neighbouring columns of the same extent joined into one rectangle.
void draw_areas(Painter& p, const Timeline& timeline, const Layout& layout) {
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
    p.colour(colours[kind]);
    size_t start = 0;
    int low = 0, high = 0;
    for (size_t c = 0; c <= layout.columns.size(); ++c) {
      int l = -1, h = -1;
      if (c < layout.columns.size()) bounds(c, kind, l, h);
      if (c == layout.columns.size() || l != low || h != high) {
        p.span(static_cast<int>(start), static_cast<int>(c), low, high);
        start = c;
        low = l;
        high = h;
      }
    }
    p.fill();
  }
}

// A level per column (NONE: nothing there), two rows thick; `dash` leaves gaps.
template <typename Level>
void draw_level(Painter& p, const Layout& layout, uint32_t colour, bool dash, Level level) {
  p.colour(colour);
  for (size_t c = 0; c < layout.columns.size(); ++c) {
    const uint64_t value = level(layout.columns[c]);
    if (value == Timeline_Row::NONE || (dash && (c / 6) % 2 == 1)) continue;
    const int h = layout.height_of(value);
    p.span(static_cast<int>(c), static_cast<int>(c) + 1, h - 1, h + 1);
  }
  p.fill();
}

// The address space in use: one row thick, its steps joined.
void draw_space_used(Painter& p, const Layout& layout) {
  p.colour(SPACE_USED);
  int previous = -1;
  for (size_t c = 0; c < layout.columns.size(); ++c) {
    const int h = layout.height_of(layout.columns[c].space_used);
    const int from = previous < 0 ? h : std::min(previous, h), to = previous < 0 ? h : std::max(previous, h);
    p.span(static_cast<int>(c), static_cast<int>(c) + 1, from, to + 1);
    previous = h;
  }
  p.fill();
}

void draw_axes(Painter& p, const Layout& layout) {
  p.colour(GRID);
  for (const Layout::Tick& tick : layout.byte_ticks)
    if (tick.position > 0) p.span(0, Layout::PLOT_WIDTH, tick.position, tick.position + 1);
  p.fill();
}

void draw_scales(Painter& p, const Layout& layout) {
  p.colour(TEXT);
  cairo_rectangle(p.cr(), Layout::PLOT_LEFT - 1, Layout::PLOT_TOP, 1, Layout::PLOT_HEIGHT + 1);
  cairo_rectangle(p.cr(), Layout::PLOT_LEFT - 1, BOTTOM, Layout::PLOT_WIDTH + 1, 1);
  for (const Layout::Tick& tick : layout.byte_ticks)
    cairo_rectangle(p.cr(), Layout::PLOT_LEFT - 5, BOTTOM - 1 - tick.position, 4, 1);
  for (const Layout::Tick& tick : layout.action_ticks)
    cairo_rectangle(p.cr(), Layout::PLOT_LEFT + tick.position, BOTTOM + 1, 1, 4);
  p.fill();
  p.font(12);
  for (const Layout::Tick& tick : layout.byte_ticks)
    p.text(tick.text, Layout::PLOT_LEFT - 8, BOTTOM - tick.position + 3, 1);
  for (const Layout::Tick& tick : layout.action_ticks)
    p.text(tick.text, Layout::PLOT_LEFT + tick.position, BOTTOM + 18, 0.5);
  p.text("actions, in the session's order", Layout::PLOT_LEFT + Layout::PLOT_WIDTH / 2.0, BOTTOM + 36, 0.5);
}

// Every marker's line; its triangle where it does not crowd the one before.
void draw_markers(Painter& p, const Layout& layout) {
  int last_head = -100;
  for (const Layout::Marker& marker : layout.markers) {
    p.colour(marker_colour(marker.kind));
    // Two columns wide, or one where a column stands for several actions.
    const int wide = layout.note.empty() ? 2 : 1;
    const int column = std::min(marker.column, Layout::PLOT_WIDTH - wide);
    p.span(column, column + wide, marker.to_height, marker.from_height + 1);
    p.fill();
    if (column - last_head < 12) continue;
    last_head = column;
    // The triangle, pointing down at the upper end of the line.
    const double x = Layout::PLOT_LEFT + column + wide / 2.0, y = BOTTOM - 1 - marker.from_height;
    cairo_set_antialias(p.cr(), CAIRO_ANTIALIAS_GRAY);
    cairo_move_to(p.cr(), x, y);
    cairo_line_to(p.cr(), x - 5, y - 8);
    cairo_line_to(p.cr(), x + 5, y - 8);
    cairo_close_path(p.cr());
    cairo_fill(p.cr());
    cairo_set_antialias(p.cr(), CAIRO_ANTIALIAS_NONE);
  }
  p.font(11, true);
  for (const Layout::Label& label : layout.labels) {
    const double w = p.width(label.text), x = Layout::PLOT_LEFT + label.centre;
    const double baseline = BOTTOM - 1 - label.height - 3;
    cairo_set_source_rgba(p.cr(), 1, 1, 1, 0.8);
    cairo_rectangle(p.cr(), x - w / 2 - 2, baseline - 11, w + 4, 14);
    cairo_fill(p.cr());
    p.colour(label.kind == Timeline_Event::PURGE ? PURGE_LABEL : marker_colour(label.kind));
    p.text(label.text, x, baseline, 0.5);
  }
}

// The legend in one row below the axis, then the note on aggregated columns.
void draw_legend(Painter& p, const Layout& layout) {
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
  p.font(12);
  double x = Layout::PLOT_LEFT, y = BOTTOM + 62;
  for (const Entry& entry : entries) {
    if (x + 19 + p.width(entry.text) > Layout::PLOT_LEFT + Layout::PLOT_WIDTH) {
      x = Layout::PLOT_LEFT;
      y += 20;
    }
    p.colour(entry.colour);
    if (entry.shape == 0) cairo_rectangle(p.cr(), x, y - 10, 14, 12);
    if (entry.shape == 1) cairo_rectangle(p.cr(), x, y - 5, 14, 2);
    if (entry.shape == 2) cairo_rectangle(p.cr(), x + 6, y - 11, 2, 13);
    p.fill();
    p.colour(TEXT);
    p.text(entry.text, x + 19, y);
    x += 19 + p.width(entry.text) + 18;
  }
  if (!layout.note.empty()) {
    p.font(12);
    p.text(layout.note, Layout::PLOT_LEFT + Layout::PLOT_WIDTH, y + 24, 1);
  }
}

}  // namespace

bool timeline_pictures_available() { return true; }

bool draw_timeline_png(const Timeline& timeline, const std::string& title, const std::string& path,
                       std::string& error) {
  const std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> surface(
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, Layout::WIDTH, Layout::HEIGHT), cairo_surface_destroy);
  const std::unique_ptr<cairo_t, void (*)(cairo_t*)> context(cairo_create(surface.get()), cairo_destroy);
  if (cairo_status(context.get()) != CAIRO_STATUS_SUCCESS) {
    error = std::string("cannot draw the timeline: ") + cairo_status_to_string(cairo_status(context.get()));
    return false;
  }
  Painter p(context.get());
  cairo_set_antialias(p.cr(), CAIRO_ANTIALIAS_NONE);
  p.colour(BACKGROUND);
  cairo_paint(p.cr());

  p.font(11, true);
  const Layout layout = lay_out(timeline, [&p](const std::string& text) { return p.width(text); });
  draw_axes(p, layout);
  if (!layout.columns.empty()) {
    draw_areas(p, timeline, layout);
    draw_level(p, layout, BUDGET, false, [](const Layout::Column& c) { return c.budget; });
    draw_level(p, layout, LIMIT, true, [](const Layout::Column& c) { return c.space_limit; });
    draw_space_used(p, layout);
  }
  draw_scales(p, layout);
  draw_markers(p, layout);
  draw_legend(p, layout);
  p.colour(TEXT);
  p.font(16, true);
  p.text(title, Layout::PLOT_LEFT, 30);

  const cairo_status_t written = cairo_surface_write_to_png(surface.get(), path.c_str());
  if (written != CAIRO_STATUS_SUCCESS) {
    error = "cannot write " + path + ": " + cairo_status_to_string(written);
    return false;
  }
  return true;
}

}  // namespace console
