// The update cycle through Update_A: when the automatic purge starts and stops, what it
// tells the host, and what the panel's columns and bars show afterwards.
#include <string>
#include <vector>

#include "event_fixture.h"
#include "plugin/kestrum.h"

namespace {

using Strings = std::vector<std::string>;

class Update_Cycle_Test : public Event_Test {
 protected:
  // The root holds what makes the total reach `total` (nothing else holds bytes).
  static void total_of(uint64_t total, const std::vector<hostsim::Level_Release>& releases = {}) {
    hostsim::add_node("/", total - DEFAULT_SHARE, releases);
  }
  static Strings cleanups() { return calls_starting("User_Cleanup "); }

  // The panel open and traced, and images at the budget of which level 15 frees FREED.
  static constexpr uint64_t BEFORE = MEMORY_MAX - DEFAULT_SHARE;
  static constexpr uint64_t FREED = 8 * MIB;
  void open_at_budget() {
    start();
    open_and_show();
    trace_level(4);
    total_of(MEMORY_MAX, {{15, FREED}});
  }
};

TEST_F(Update_Cycle_Test, PurgeStartsAtMemoryMaxAndNotOneByteBelow) {
  start();
  total_of(MEMORY_MAX - 1);
  update();
  EXPECT_TRUE(cleanups().empty());
  EXPECT_TRUE(texts(4).empty());

  hostsim::clear_events();
  total_of(MEMORY_MAX);
  EXPECT_EQ(module.Update_A(MEMORY), 1);
  EXPECT_EQ(cleanups().size(), 11u);
  EXPECT_EQ(texts(4), Strings{cleared(0)});
}

TEST_F(Update_Cycle_Test, PurgeStopsOnceLevelsTogetherReachTheTarget) {
  start();
  // Level 15 alone falls one byte short; 15 and 14 together reach the target exactly.
  const uint64_t first = 1000000;
  const uint64_t second = PURGE_TARGET - first;
  total_of(MEMORY_MAX, {{15, first}, {14, second}, {13, 5000}});
  EXPECT_EQ(module.Update_A(MEMORY), 1);
  EXPECT_EQ(cleanups(), (Strings{"User_Cleanup / 15 " + std::to_string(first),
                                 "User_Cleanup / 14 " + std::to_string(second)}));
  EXPECT_EQ(texts(4), Strings{cleared(PURGE_TARGET)});

  // One byte less at level 14 and the purge goes on to level 13.
  hostsim::clear_events();
  total_of(MEMORY_MAX, {{15, first}, {14, second - 1}, {13, 5000}});
  EXPECT_EQ(module.Update_A(MEMORY), 1);
  EXPECT_EQ(cleanups().size(), 3u);
  EXPECT_EQ(texts(4), Strings{cleared(PURGE_TARGET + 4999)});
}

TEST_F(Update_Cycle_Test, PurgeThatFreesNothingTriesElevenLevelsAndStillReports) {
  start();
  total_of(MEMORY_MAX + 12345);
  trace_level(4);  // the panel is closed: no trace even so
  EXPECT_EQ(module.Update_A(MEMORY), 1);
  Strings expected;
  for (int level = 15; level >= 5; --level) expected.push_back("User_Cleanup / " + std::to_string(level) + " 0");
  expected.push_back("Fct_Update 0x0000000040000000");
  expected.push_back("Fct_Redraw 0x000000000FFFFFFF");
  Strings seen = cleanups();
  for (const std::string& call : calls_starting("Fct_")) seen.push_back(call);
  EXPECT_EQ(seen, expected);
  // The message comes after the cleanups and before the host calls.
  const auto& all = hostsim::events();
  size_t message = 0, last_cleanup = 0, first_update = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i].kind == hostsim::Event::MESSAGE) message = i;
    if (all[i].text.rfind("User_Cleanup", 0) == 0) last_cleanup = i;
    if (all[i].text.rfind("Fct_Update", 0) == 0 && first_update == 0) first_update = i;
  }
  EXPECT_LT(last_cleanup, message);
  EXPECT_LT(message, first_update);
  EXPECT_EQ(texts(4), Strings{cleared(0)});
  EXPECT_TRUE(texts(14).empty());
  EXPECT_TRUE(draws().empty());
}

TEST_F(Update_Cycle_Test, PurgingRunShowsTheFiguresMeasuredBeforeThePurge) {
  open_at_budget();
  EXPECT_EQ(module.Update_A(MEMORY), 1);  // delivery deferred: the host has not re-sent yet
  EXPECT_EQ(texts(4), Strings{cleared(FREED)});
  EXPECT_EQ(texts(14).size(), 1u);  // one run, not re-entered
  EXPECT_EQ(draws(), (Strings{"Draw Image", "Draw label " + std::to_string(BEFORE), "Draw Cleanup"}));
  // The bar too: 15.9 MiB of images against 16.
  const int end = bar_end(static_cast<int32_t>(MEMORY_MAX >> 20), 16);
  EXPECT_EQ(bar_pixel(end - 1), BLUE);

  // The host's delivery of the purge's update measures again and the bar falls back.
  hostsim::clear_events();
  hostsim::deliver_deferred();
  EXPECT_EQ(draws(), (Strings{"Draw Image", "Draw label " + std::to_string(BEFORE - FREED), "Draw Cleanup",
                              "Draw null", "Draw null"}));  // the cycle's erase, then the painter's
  EXPECT_NE(bar_pixel(end - 1), BLUE);
  EXPECT_EQ(bar_pixel(bar_end(static_cast<int32_t>((MEMORY_MAX - FREED) >> 20), 16) - 1), BLUE);
  EXPECT_EQ(cleanups().size(), 0u);  // the second run found the total below the budget
}

TEST_F(Update_Cycle_Test, NestedDeliveryReentersTheCycleAndTheOuterRunHasTheLastWord) {
  hostsim::set_delivery(hostsim::Delivery::SYNC);
  open_at_budget();
  EXPECT_EQ(module.Update_A(MEMORY), 1);
  // The nested run (inside Fct_Update) measures after the purge, the outer one goes on
  // with its own figures and writes them back.
  EXPECT_EQ(texts(14), (Strings{update_trace("0000000040000000"), update_trace("0000000040000000")}));
  EXPECT_EQ(calls_starting("Draw label "),
            (Strings{"Draw label " + std::to_string(BEFORE - FREED), "Draw label " + std::to_string(BEFORE)}));
  EXPECT_EQ(cleanups().size(), 1u);  // the nested run found the total below the budget
  const Strings host = calls_starting("Fct_");
  EXPECT_EQ(host, (Strings{"Fct_Update 0x0000000040000000", "Fct_Redraw 0x000000000FFFFFFF"}));
  EXPECT_EQ(bar_pixel(bar_end(static_cast<int32_t>(MEMORY_MAX >> 20), 16) - 1), BLUE);
}

TEST_F(Update_Cycle_Test, OnlyChangedColumnsAreRedrawn) {
  start();
  ASSERT_EQ(module.Ctrl_Open(), 1);
  // The first measurement with the panel open fills every column, zeros included.
  EXPECT_EQ(draws(), (Strings{"Draw Image", "Draw label 0", "Draw Cleanup", "Draw Undo", "Draw label 0",
                              "Draw Delete", "Draw 3D Geom", "Draw label 0", "Draw Delete"}));
  hostsim::clear_events();
  hostsim::set_undo_bytes(5000);
  update();
  EXPECT_EQ(draws(), (Strings{"Draw Undo", "Draw label 5000", "Draw Delete"}));
  hostsim::clear_events();
  update();
  EXPECT_TRUE(draws().empty());

  // While closed, only measurements; the next open run redraws what changed meanwhile.
  ASSERT_EQ(module.Ctrl_Close(), 1);
  hostsim::add_node("/", 777);
  hostsim::clear_events();
  update();
  EXPECT_TRUE(draws().empty());
  ASSERT_EQ(module.Ctrl_Open(), 1);
  EXPECT_EQ(draws(), (Strings{"Draw Image", "Draw label 777", "Draw Cleanup"}));
}

TEST_F(Update_Cycle_Test, BarBoxIsErasedOnlyWhenTheTotalShrank) {
  start();
  // 5 MiB of images plus the default share: a byte either way keeps 5 whole MiB.
  hostsim::add_node("/", 5 * MIB);
  open_and_show();
  hostsim::add_node("/", 5 * MIB - 1);
  update();
  EXPECT_EQ(draws(), (Strings{"Draw Image", "Draw label 5242879", "Draw Cleanup", "Draw null"}));

  // The same total, moved to another column: no erasing.
  hostsim::clear_events();
  hostsim::add_node("/", 5 * MIB - 2);
  hostsim::set_undo_bytes(1);
  update();
  EXPECT_EQ(draws(), (Strings{"Draw Image", "Draw label 5242878", "Draw Cleanup", "Draw Undo", "Draw label 1",
                              "Draw Delete"}));
  // A byte more: painted over.
  hostsim::clear_events();
  hostsim::set_undo_bytes(2);
  update();
  EXPECT_EQ(draws(), (Strings{"Draw Undo", "Draw label 2", "Draw Delete"}));
}

TEST_F(Update_Cycle_Test, ImagesAndDefaultShareAreAddedBeforeTheShift) {
  start();
  // Each below 1 MiB, together exactly 1 MiB: a first segment of 1 MiB.
  hostsim::add_node("/", MIB - DEFAULT_SHARE);
  open_and_show();
  const int end = bar_end(1, 16);
  ASSERT_EQ(end, 25);
  EXPECT_EQ(bar_pixel(0), BLUE);
  EXPECT_EQ(bar_pixel(end - 1), BLUE);

  // A byte less: no segment at all, only the two caps at the start of the track.
  hostsim::add_node("/", MIB - DEFAULT_SHARE - 1);
  update();
  EXPECT_NE(bar_pixel(end - 1), BLUE);
}

TEST_F(Update_Cycle_Test, BarsNeedBothBitsOfThePanelDrawMask) {
  start();
  hostsim::add_node("/", 4 * MIB);
  open_and_show();
  trace_level(4);
  const int end = bar_end(static_cast<int32_t>((4 * MIB + DEFAULT_SHARE) >> 20), 16);
  hostsim::fill_window(window, 0);
  for (uint64_t word : {uint64_t{0x80}, uint64_t{0x2000000000000000}, uint64_t{0x1000000000000000}}) {
    hostsim::clear_events();
    update(word);
    EXPECT_EQ(bar_pixel(end - 1), 0u) << std::hex << word;
    // Nothing measured or drawn: only the trace line.
    ASSERT_EQ(hostsim::events().size(), 1u) << std::hex << word;
    EXPECT_EQ(hostsim::events()[0].code, 14);
  }
  hostsim::clear_events();
  hostsim::add_node("/", 6 * MIB);  // not measured: the bar shows the stored figures
  update(PANEL_DRAW);
  EXPECT_EQ(texts(14), Strings{update_trace("2000000000000080")});
  EXPECT_TRUE(calls_starting("Mutex_Open").empty());
  EXPECT_EQ(bar_pixel(end - 1), BLUE);
  EXPECT_NE(bar_pixel(end + 8), BLUE);
}

TEST_F(Update_Cycle_Test, TraceOnlyWhileOpen) {
  start();
  trace_level(4);
  update();
  update(PANEL_DRAW);
  EXPECT_TRUE(texts(14).empty());
  ASSERT_EQ(module.Ctrl_Open(), 1);
  hostsim::clear_events();
  update(0xFFFFFFFFFFFFFFFF);
  EXPECT_EQ(texts(14), Strings{update_trace("ffffffffffffffff")});
  trace_level(3);
  hostsim::clear_events();
  update();
  EXPECT_TRUE(texts(14).empty());
}

TEST_F(Update_Cycle_Test, NoGpuBarWithoutGpu) {
  start();
  hostsim::add_node("/", 3 * MIB);
  open_and_show();
  ASSERT_EQ(module.Ctrl_Draw(), 1);
  for (const std::string& draw : draws()) EXPECT_NE(draw.rfind("Draw GPU", 0), 0u) << draw;
  // Only the RAM bar is in the box at (5, 5).
  EXPECT_EQ(bar_pixel(bar_end(3, 16) - 1), BLUE);
  EXPECT_NE(bar_pixel(0), MAGENTA);
}

TEST_F(Update_Cycle_Test, GpuBarShowsTheMemoryInUse) {
  hostsim::gpu_present(8192 * MIB, 3072 * MIB);
  start();
  void* usage = module.Variable_Get(const_cast<char*>("$MEMORY_CUDA_USAGE"), nullptr, nullptr);
  ASSERT_NE(usage, nullptr);
  EXPECT_EQ(*static_cast<uint64_t*>(usage), 0u);  // Init asks for the total only

  open_and_show();
  EXPECT_EQ(*static_cast<uint64_t*>(usage), 3072 * MIB);
  const int end = bar_end(3072, 8192);
  EXPECT_EQ(bar_pixel(0), MAGENTA);
  EXPECT_EQ(bar_pixel(end - 1), MAGENTA);
  EXPECT_NE(bar_pixel(end + 8), MAGENTA);

  // Less in use: the GPU box is drawn first to erase the longer bar.
  hostsim::gpu_present(8192 * MIB, 1024 * MIB);
  update();
  EXPECT_EQ(*static_cast<uint64_t*>(usage), 1024 * MIB);
  EXPECT_EQ(calls_starting("Draw GPU").size(), 2u);  // the cycle's erase, then the painter's
  EXPECT_NE(bar_pixel(end - 1), MAGENTA);
}

}  // namespace
