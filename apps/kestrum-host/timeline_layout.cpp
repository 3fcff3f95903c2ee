#include "apps/kestrum-host/timeline_layout.h"

#include <algorithm>
#include <cmath>

#include "hostsim/format_text.h"

namespace console {

namespace {

constexpr uint64_t NONE = Timeline_Row::NONE;
constexpr int W = Timeline_Layout::PLOT_WIDTH;
constexpr int MARKER_HEAD = 8;   // the triangle's height above a marker's line
constexpr double LABEL_GAP = 10;  // the least room between two labels
constexpr int LABEL_HEIGHT = 14;

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

// Action ticks every 1, 2 or 5 times a power of ten, ten or fewer.
uint64_t action_step(size_t actions) {
  for (uint64_t decade = 1;; decade *= 10)
    for (const uint64_t factor : {1, 2, 5})
      if (actions / (decade * factor) <= 10) return decade * factor;
}

// What the markers of one label stand for: "128 MiB freed", "2 purges, 256 MiB freed",
// "undo cleared (64 MiB)", "failed: cannot allocate ...", joined by ", " when of several kinds.
struct Label_Group {
  size_t purges = 0, clears[3] = {0, 0, 0};
  uint64_t freed = 0, cleared[3] = {0, 0, 0};
  std::string failure;

  void add(const Label_Group& other) {
    purges += other.purges;
    freed += other.freed;
    for (int k = 0; k < 3; ++k) {
      clears[k] += other.clears[k];
      cleared[k] += other.cleared[k];
    }
    if (failure.empty()) failure = other.failure;
  }

  void add(const Timeline_Event& event) {
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
      case Timeline_Event::FAILURE: failure = "failed: " + event.note; break;
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
    if (!failure.empty()) part(failure);
    return out;
  }
};

// Places each marker's label just above the marker, purges' labels in one lane and
// the others' (clears, failures) in another. Within a lane, a label that would overlap
// the one before it joins that one instead, which then names them all and stands
// centred over them (inside the plot) and above the highest; a label that grows so
// overlaps the one before it in turn, and joins that one. Markers come from left to
// right, so each lane is a stack whose top is the only label still growing.
class Label_Placer {
 public:
  Label_Placer(Timeline_Layout& layout, const Text_Width& text_width) : layout_(layout), text_width_(text_width) {}

  void place(const Timeline_Event& event, const Timeline_Layout::Marker& marker) {
    std::vector<Group>& lane = lanes_[event.kind == Timeline_Event::PURGE ? 0 : 1];
    Group own;
    own.names.add(event);
    own.kind = event.kind;
    own.first_column = own.last_column = marker.column;
    own.top = marker.from_height;
    measure(own);
    lane.push_back(own);
    while (lane.size() > 1 && lane.back().left < lane[lane.size() - 2].right + LABEL_GAP) {
      Group& joined = lane[lane.size() - 2];
      joined.names.add(lane.back().names);
      joined.last_column = lane.back().last_column;
      joined.top = std::max(joined.top, lane.back().top);
      measure(joined);
      lane.pop_back();
    }
  }

  void finish() {
    for (const std::vector<Group>& lane : lanes_)
      for (const Group& group : lane) {
        const int height = std::min(group.top + MARKER_HEAD + 4, Timeline_Layout::PLOT_HEIGHT - LABEL_HEIGHT);
        layout_.labels.push_back({group.names.text(), group.kind, group.centre, height});
      }
  }

 private:
  struct Group {
    Label_Group names;
    Timeline_Event::Kind kind = Timeline_Event::PURGE;  // its first marker's
    int first_column = 0, last_column = 0, top = 0;
    double centre = 0, left = 0, right = 0;
  };

  void measure(Group& group) const {
    const double half = text_width_(group.names.text()) / 2;
    group.centre = std::clamp((group.first_column + group.last_column) / 2.0, half, std::max(half, W - half));
    group.left = group.centre - half;
    group.right = group.centre + half;
  }

  Timeline_Layout& layout_;
  const Text_Width& text_width_;
  std::vector<Group> lanes_[2];
};

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
    Timeline_Layout::Column column{static_cast<uint32_t>(first), 0, NONE, NONE};
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

  if (n > 0) {
    const uint64_t step = action_step(n);
    layout.action_ticks.push_back({layout.first_column(0), "1"});
    for (uint64_t a = step; a <= n; a += step)
      if (a > 1) layout.action_ticks.push_back({layout.first_column(static_cast<uint32_t>(a - 1)), std::to_string(a)});
  }
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
    placer.place(event, marker);
  }
  placer.finish();
  return layout;
}

}  // namespace console
