// The timeline's record and layout in the console's own process: what a long session's
// columns show, and how the labels of crowded markers merge.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "apps/kestrum-host/timeline.h"
#include "apps/kestrum-host/timeline_layout.h"
#include "hostsim/db2d.h"
#include "hostsim/events.h"
#include "hostsim/reset.h"
#include "hostsim/undo.h"

namespace {

constexpr uint64_t MiB = uint64_t{1} << 20;


// 1,800 actions on 900 columns, one every third session line: two actions a column, the
// larger shown. Images hold 1 MiB, but 9 MiB at action 1001 and 5 MiB with 2 MiB of undo
// at action 1200. Three purges in neighbouring actions share one label; a run of fifty
// purges five columns apart, wider than a label, gets labels side by side, each over
// the markers it counts; the last line fails.
TEST(Timeline_Layout, LongSessionsShowEachColumnsLargestAndMergeCrowdedLabels) {
  hostsim::reset();
  console::Timeline timeline;
  const auto purge_report = [](uint64_t freed) {
    hostsim::record_message(4, "The memory manager has cleared \x01-\x02 of memory", static_cast<int64_t>(freed));
  };
  for (uint32_t a = 0; a < 1800; ++a) {
    hostsim::add_node("/", a == 1000 ? 9 * MiB : a == 1199 ? 5 * MiB : MiB);
    hostsim::set_undo_bytes(a == 1199 ? 2 * MiB : 0);
    if (a == 0) {
      hostsim::record_message(11, "Memory Manager (32 bit) -> x Tot Available", int64_t{64} << 20);
      hostsim::record_message(11, "Memory Manager (32 bit) -> x Tot RAM", int64_t{96} << 20);
    }
    if (a == 300 || a == 302 || a == 306 || (a >= 1000 && a < 1500 && a % 10 == 0)) purge_report(MiB);
    if (a == 1500) purge_report(2 * MiB);
    timeline.record(3 * a + 1, "node", hostsim::events(), a == 1799 ? "cannot allocate 5 bytes" : nullptr);
    hostsim::clear_events();
  }
  ASSERT_EQ(timeline.rows().size(), 1800u);
  EXPECT_EQ(timeline.rows()[5].budget, 64 * MiB);  // the smaller of the two figures

  // Every character 7 pixels wide.
  const console::Timeline_Layout layout = console::lay_out(
      timeline, [](const std::string& text, console::Timeline_Layout::Text) { return 7.0 * static_cast<double>(text.size()); });
  ASSERT_EQ(layout.columns.size(), 900u);
  EXPECT_EQ(layout.note, "1 column = 2 actions, maximum shown");
  EXPECT_EQ(layout.columns[500].row, 1000u);
  EXPECT_EQ(layout.columns[599].row, 1199u);
  EXPECT_EQ(layout.columns[600].row, 1200u);
  // The largest figure is the budget, 64 MiB: 8 x 16 MiB exceeds it, 8 x 8 MiB does not.
  EXPECT_EQ(layout.step, 16 * MiB);
  EXPECT_EQ(layout.top, 80 * MiB);
  EXPECT_EQ(layout.height_of(9 * MiB), 45);

  // Lines up to 5398: a tick every 500 lines (5398 / 500 is 10), at the first action on
  // that line or after it (action a is on line 3a + 1, in column floor(a / 2)), and one
  // at the first line.
  const int columns[] = {0, 83, 166, 250, 333, 416, 500, 583, 666, 750, 833};
  ASSERT_EQ(layout.line_ticks.size(), std::size(columns));
  for (size_t t = 0; t < std::size(columns); ++t) {
    EXPECT_EQ(layout.line_ticks[t].position, columns[t]);
    EXPECT_EQ(layout.line_ticks[t].text, t == 0 ? "1" : std::to_string(500 * t));
  }

  ASSERT_EQ(layout.markers.size(), 55u);
  EXPECT_EQ(layout.markers[1].column, 151);
  // A label's room is its text and 5 pixels either side. "3 purges, 3 MiB freed" (147
  // pixels) centred over columns 150 to 153. Of the run at columns 500, 505, ... 745,
  // 33 markers (a span of 160) fit under the 161 pixels of "33 purges, 33 MiB freed",
  // centred at 580, whose room ends at 665.5; the rest, with the purge at column 750,
  // follow from there: "18 purges, 19 MiB freed" at 665.5 + 171 / 2. The failure's label
  // (287 pixels) stays inside the plot: its room ends at 900.
  struct Expected {
    const char* text;
    double centre;
    int first, last;
  };
  const Expected labels[] = {{"3 purges, 3 MiB freed", 151.5, 150, 153},
                             {"33 purges, 33 MiB freed", 580, 500, 660},
                             {"18 purges, 19 MiB freed", 751, 665, 750},
                             {"line 5398 failed: cannot allocate 5 bytes", 751.5, 899, 899}};
  ASSERT_EQ(layout.labels.size(), std::size(labels));
  for (size_t l = 0; l < std::size(labels); ++l) {
    SCOPED_TRACE(labels[l].text);
    EXPECT_EQ(layout.labels[l].text, labels[l].text);
    EXPECT_DOUBLE_EQ(layout.labels[l].centre, labels[l].centre);
    EXPECT_EQ(layout.labels[l].first_column, labels[l].first);
    EXPECT_EQ(layout.labels[l].last_column, labels[l].last);
  }
}

}  // namespace
