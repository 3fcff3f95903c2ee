// The timeline's record and layout in the console's own process: what a long session's
// columns show, and how the labels of crowded markers merge.
#include <gtest/gtest.h>

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


// 1,800 actions on 900 columns: two actions a column, the larger shown. Images hold
// 1 MiB, but 9 MiB at action 1001 and 5 MiB with 2 MiB of undo at action 1200; three
// purges in neighbouring actions share one label, a lone one keeps its own.
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
    if (a == 300 || a == 302 || a == 306) purge_report(MiB);
    if (a == 1500) purge_report(2 * MiB);
    timeline.record(a + 1, "node", hostsim::events(), nullptr);
    hostsim::clear_events();
  }
  ASSERT_EQ(timeline.rows().size(), 1800u);
  EXPECT_EQ(timeline.rows()[5].budget, 64 * MiB);  // the smaller of the two figures

  const console::Timeline_Layout layout =
      console::lay_out(timeline, [](const std::string& text) { return 7.0 * static_cast<double>(text.size()); });
  ASSERT_EQ(layout.columns.size(), 900u);
  EXPECT_EQ(layout.note, "1 column = 2 actions, maximum shown");
  EXPECT_EQ(layout.columns[500].row, 1000u);
  EXPECT_EQ(layout.columns[599].row, 1199u);
  EXPECT_EQ(layout.columns[600].row, 1200u);
  // The largest figure is the budget, 64 MiB: 8 x 16 MiB exceeds it, 8 x 8 MiB does not.
  EXPECT_EQ(layout.step, 16 * MiB);
  EXPECT_EQ(layout.top, 80 * MiB);
  EXPECT_EQ(layout.height_of(9 * MiB), 45);

  ASSERT_EQ(layout.markers.size(), 4u);
  EXPECT_EQ(layout.markers[1].column, 151);
  ASSERT_EQ(layout.labels.size(), 2u);
  EXPECT_EQ(layout.labels[0].text, "3 purges, 3 MiB freed");
  EXPECT_DOUBLE_EQ(layout.labels[0].centre, (150 + 153) / 2.0);
  EXPECT_EQ(layout.labels[1].text, "2 MiB freed");
}

}  // namespace
