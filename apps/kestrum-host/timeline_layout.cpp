#include "apps/kestrum-host/timeline_layout.h"

#include <algorithm>
#include <cmath>

#include "hostsim/format_text.h"

namespace console {

namespace {

using Layout = Timeline_Layout;

constexpr uint64_t NONE = Timeline_Row::NONE;
constexpr int W = Layout::PLOT_WIDTH;
constexpr int MARKER_HEAD = 8;    // the triangle's height above a marker's line
constexpr double LABEL_GAP = 10;  // the least room between two labels' texts
constexpr int LABEL_HEIGHT = 14;
constexpr double TICK_GAP = 8;    // the least room between two tick numbers

uint64_t larger(uint64_t a, uint64_t b) {
  if (a == NONE) return b;
  if (b == NONE) return a;
  return std::max(a, b);
}

// The smallest power of two whose eightfold exceeds `largest`.
uint64_t tick_step(uint64_t largest) {
  uint64_t step = 1;
  while (step < (uint64_t{1} << 60) && step * 8 <= largest) step <<= 1;
  return step;
}

// Line ticks every 1, 2 or 5 times a power of ten, ten or fewer up to line `last`.
uint64_t line_step(uint64_t last) {
  for (uint64_t decade = 1;; decade *= 10)
    for (const uint64_t factor : {1, 2, 5})
      if (last / (decade * factor) <= 10) return decade * factor;
}

// What the markers of one label stand for: "128 MiB freed", "2 purges, 256 MiB freed",
// "undo cleared (64 MiB)", "line 63 failed: cannot allocate ...", "2 lines failed (12
// to 40)", joined by ", " when of several kinds.
struct Label_Group {
  size_t purges = 0, clears[3] = {0, 0, 0}, failures = 0;
  uint64_t freed = 0, cleared[3] = {0, 0, 0};
  uint32_t first_failure = 0, last_failure = 0;  // their lines
  std::string failure;                           // the first failure's error

  void add(const Label_Group& other) {
    purges += other.purges;
    freed += other.freed;
    for (int k = 0; k < 3; ++k) {
      clears[k] += other.clears[k];
      cleared[k] += other.cleared[k];
    }
    if (other.failures > 0) {
      if (failures == 0) {
        failure = other.failure;
        first_failure = other.first_failure;
      }
      last_failure = other.last_failure;
      failures += other.failures;
    }
  }

  void add(const Timeline_Event& event, uint32_t line) {
    switch (event.kind) {
      case Timeline_Event::PURGE:
        ++purges;
        freed += event.bytes;
        break;
      case Timeline_Event::CLEAR_IMAGES:
      case Timeline_Event::CLEAR_UNDO:
      case Timeline_Event::CLEAR_GEOMETRY: {
        const int k = event.kind - Timeline_Event::CLEAR_IMAGES;
        ++clears[k];
        cleared[k] += event.bytes;
        break;
      }
      case Timeline_Event::FAILURE: {
        Label_Group one;
        one.failures = 1;
        one.first_failure = one.last_failure = line;
        one.failure = event.note;
        add(one);
        break;
      }
    }
  }

  std::string text() const {
    static const char* const KINDS[] = {"images", "undo", "3-D"};
    std::string out;
    const auto part = [&](const std::string& piece) { out += (out.empty() ? "" : ", ") + piece; };
    if (purges == 1) part(hostsim::human_byte_text(freed) + " freed");
    if (purges > 1) part(std::to_string(purges) + " purges, " + hostsim::human_byte_text(freed) + " freed");
    for (int k = 0; k < 3; ++k) {
      const std::string amount = " (" + hostsim::human_byte_text(cleared[k]) + ")";
      if (clears[k] == 1) part(std::string(KINDS[k]) + " cleared" + amount);
      if (clears[k] > 1) part(std::to_string(clears[k]) + " clears of " + KINDS[k] + amount);
    }
    if (failures == 1) part("line " + std::to_string(first_failure) + " failed: " + failure);
    if (failures > 1)
      part(std::to_string(failures) + " lines failed (" + std::to_string(first_failure) + " to " +
           std::to_string(last_failure) + ")");
    return out;
  }
};

// Places each marker's label just above the marker, purges' labels in one lane and the
// others' (clears, failures) in another. Within a lane, labels keep LABEL_GAP between
// their texts. A label that would come too close to the one before it joins that one,
// which then names them all and stands centred over them, above the highest, as long as
// its markers span no more than its text is wide: so a label stands over the markers it
// counts, also in a long session with many. Where the joined label would be narrower
// than its markers' span, the new label starts right after the one before instead.
// Markers come from left to right, so each lane is a stack whose top is the only label
// still growing. Labels that then run past the plot's right end move left; where they
// would not all fit, the lane is laid out again with labels that may span their text's
// width times 1.25, then 1.25 times that, and so on (a label whose merge was refused is
// the only one pushed off its place, so a larger reach ends in labels that fit). The
// rule and the factor are choices of this layout: a label counts only markers it stands
// over, and a long session still gets a few labels across the plot rather than one.
class Label_Placer {
 public:
  Label_Placer(Layout& layout, const Text_Width& text_width) : layout_(layout), text_width_(text_width) {}

  void place(const Timeline_Event& event, uint32_t line, const Layout::Marker& marker) {
    Group own;
    own.names.add(event, line);
    own.kind = event.kind;
    own.first = own.last = marker.column;
    own.top = marker.from_height;
    measure(own);
    markers_[event.kind == Timeline_Event::PURGE ? 0 : 1].push_back(own);
  }

  void finish() {
    for (const std::vector<Group>& markers : markers_) {
      std::vector<Group> lane;
      // A reach of W lets any label of a pixel or more span the whole plot.
      for (double reach = 1; !markers.empty(); reach *= 1.25)
        if (arrange(markers, reach, lane) || lane.size() == 1 || reach > W) break;
      for (const Group& group : lane) {
        const int height = std::min(group.top + MARKER_HEAD + 4, Layout::PLOT_HEIGHT - LABEL_HEIGHT);
        layout_.labels.push_back(
            {group.names.text(), group.kind, group.left + group.width() / 2, height, group.first, group.last});
      }
    }
  }

 private:
  // A label's room: its text with half the gap on either side.
  struct Group {
    Label_Group names;
    Timeline_Event::Kind kind = Timeline_Event::PURGE;  // its first marker's
    int first = 0, last = 0, top = 0;                   // its markers' columns, their highest top
    double text = 0, left = 0;                          // its text's width; its room's left end
    double width() const { return text + LABEL_GAP; }
    double right() const { return left + width(); }
    // Centred over its markers, inside the plot.
    double wanted_left() const { return std::clamp((first + last - width()) / 2, 0.0, std::max(0.0, W - width())); }
  };

  void measure(Group& group) const { group.text = text_width_(group.names.text(), Layout::Text::LABEL); }

  // The lane's labels, each spanning markers no wider than `reach` times its text; false
  // when they do not fit in the plot side by side.
  bool arrange(const std::vector<Group>& markers, double reach, std::vector<Group>& lane) const {
    lane.clear();
    for (Group group : markers) {
      while (!lane.empty() && group.wanted_left() < lane.back().right()) {
        Group joined = lane.back();
        joined.names.add(group.names);
        joined.last = group.last;
        joined.top = std::max(joined.top, group.top);
        measure(joined);
        if (joined.last - joined.first > joined.text * reach) break;  // it would not stand over them all
        group = joined;
        lane.pop_back();
      }
      group.left = std::max(group.wanted_left(), lane.empty() ? 0.0 : lane.back().right());
      lane.push_back(group);
    }
    double end = W;
    for (auto group = lane.rbegin(); group != lane.rend(); ++group) {
      group->left = std::min(group->left, end - group->width());
      end = group->left;
    }
    if (end >= 0 || lane.size() > 1) return end >= 0;
    lane.front().left = std::max(0.0, (W - lane.front().width()) / 2);  // one label wider than the plot
    return true;
  }

  Layout& layout_;
  const Text_Width& text_width_;
  std::vector<Group> markers_[2];  // each marker's own label, per lane
};

// The budget's line and the limit's, kept apart where they would meet (the clearance is a
// choice of this layout: a row of the background between two lines two rows thick).
int limit_line(const Layout& layout, const Layout::Column& column) {
  if (column.space_limit == NONE) return -1;
  const int limit = layout.height_of(column.space_limit);
  if (column.budget == NONE) return limit;
  const int budget = layout.height_of(column.budget);
  if (std::abs(limit - budget) > Layout::LINE_CLEARANCE) return limit;
  const int apart = Layout::LINE_CLEARANCE + 1;
  return limit >= budget || budget - apart < 1 ? budget + apart : budget - apart;
}

// A tick at the first action on line L or after it, for L the first line and each
// multiple of the step: where several multiples come before the same action, the last
// of them; a number that would crowd the one before it is left out. Lines, not actions,
// are what errors and the CSV name, so the ticks name them (a choice of this layout:
// the actions keep equal steps, and comments and blank lines take none).
void lay_out_line_ticks(Layout& layout, const std::vector<Timeline_Row>& rows, const Text_Width& text_width) {
  const uint64_t step = line_step(rows.back().line);
  double last_end = -1e9;
  const auto add = [&](uint32_t r, uint64_t line) {
    const int position = layout.first_column(r);
    const std::string text = std::to_string(line);
    const double half = text_width(text, Layout::Text::TICK) / 2;
    if (position - half < last_end + TICK_GAP) return;
    layout.line_ticks.push_back({position, text});
    last_end = position + half;
  };
  add(0, rows[0].line);
  uint64_t next = (uint64_t{rows[0].line} / step + 1) * step;
  for (uint32_t r = 1; r < rows.size(); ++r) {
    if (rows[r].line < next) continue;
    const uint64_t line = uint64_t{rows[r].line} / step * step;
    add(r, line);
    next = line + step;
  }
}

}  // namespace

int Timeline_Layout::height_of(uint64_t bytes) const {
  if (top == 0) return 0;
  const long double share = static_cast<long double>(bytes) * PLOT_HEIGHT / static_cast<long double>(top);
  return static_cast<int>(std::min<long double>(std::round(share), PLOT_HEIGHT));
}

int Timeline_Layout::first_column(uint32_t row) const {
  const uint64_t n = actions, r = row;
  if (n == 0) return 0;
  if (n <= static_cast<uint64_t>(W)) return static_cast<int>((r * W + n - 1) / n);
  return static_cast<int>(((r + 1) * W - 1) / n);
}

Timeline_Layout lay_out(const Timeline& timeline, const Text_Width& text_width) {
  Timeline_Layout layout;
  const std::vector<Timeline_Row>& rows = timeline.rows();
  const size_t n = rows.size();
  layout.actions = n;

  // The columns, each the largest of its actions.
  uint64_t largest = 0;
  if (n > 0) layout.columns.reserve(W);
  for (int c = 0; n > 0 && c < W; ++c) {
    const size_t first = static_cast<size_t>(uint64_t{static_cast<uint64_t>(c)} * n / W);
    const size_t end = std::max(first + 1, static_cast<size_t>(uint64_t{static_cast<uint64_t>(c) + 1} * n / W));
    Timeline_Layout::Column column{static_cast<uint32_t>(first), 0, NONE, NONE, -1};
    for (size_t r = first; r < end; ++r) {
      const Timeline_Row& row = rows[r];
      if (row.stacked() > rows[column.row].stacked()) column.row = static_cast<uint32_t>(r);
      column.space_used = std::max(column.space_used, row.space_used);
      column.space_limit = larger(column.space_limit, row.space_limit);
      column.budget = larger(column.budget, row.budget);
    }
    largest = larger(largest, larger(rows[column.row].stacked(), larger(column.space_used,
                                                                        larger(column.space_limit, column.budget))));
    layout.has_budget = layout.has_budget || column.budget != NONE;
    layout.has_limit = layout.has_limit || column.space_limit != NONE;
    layout.columns.push_back(column);
  }

  layout.step = tick_step(largest);
  layout.top = (largest / layout.step + 1) * layout.step;
  for (uint64_t k = 0; k * layout.step <= layout.top; ++k)
    layout.byte_ticks.push_back(
        {layout.height_of(k * layout.step), k == 0 ? "0" : hostsim::human_byte_text(k * layout.step)});
  for (Timeline_Layout::Column& column : layout.columns) column.limit_line = limit_line(layout, column);

  if (n > 0) lay_out_line_ticks(layout, rows, text_width);
  if (n > static_cast<size_t>(W)) {
    const size_t least = n / W, most = (n + W - 1) / W;
    layout.note = "1 column = " + std::to_string(least) +
                  (most == least ? "" : " to " + std::to_string(most)) + " actions, maximum shown";
  }

  // Markers, and their labels merged where they would collide.
  Label_Placer placer(layout, text_width);
  for (const Timeline_Event& event : timeline.events()) {
    const uint32_t r = event.row;
    const int after = layout.height_of(rows[r].stacked());
    const int before = r > 0 ? layout.height_of(rows[r - 1].stacked()) : after;
    const Timeline_Layout::Marker marker{event.kind, layout.first_column(r), std::max(before, after),
                                         std::min(before, after)};
    layout.markers.push_back(marker);
    layout.has_purge = layout.has_purge || event.kind == Timeline_Event::PURGE;
    layout.has_failure = layout.has_failure || event.kind == Timeline_Event::FAILURE;
    layout.has_clears =
        layout.has_clears || (event.kind != Timeline_Event::PURGE && event.kind != Timeline_Event::FAILURE);
    placer.place(event, rows[r].line, marker);
  }
  placer.finish();
  return layout;
}

}  // namespace console
