// The update cycle through Update_A: when the automatic purge starts and stops, what it
// tells the host, and what the panel's columns show afterwards.
#include "module_fixture.h"

namespace {

class Update_Cycle_Test : public Module_Test {
 protected:
  // The root holds what makes the total reach `total` (nothing else holds bytes).
  static void total_of(uint64_t total, const std::vector<hostsim::Level_Release>& releases = {}) {
    hostsim::add_node("/", total - DEFAULT_SHARE, releases);
  }
  static Strings cleanups() { return calls_among({"User_Cleanup "}); }

  // The panel open and traced, and images at the budget of which level 15 frees FREED.
  static constexpr uint64_t BEFORE = MEMORY_MAX - DEFAULT_SHARE;
  static constexpr uint64_t FREED = 8 * MIB;
  void open_at_budget() {
    start();
    open_and_show();
    Flag_Trace = 4;
    total_of(MEMORY_MAX, {{15, FREED}});
  }
};

// A purge that frees nothing still tries all eleven levels, then writes its message and
// only then tells the host; with the panel closed nothing is traced or drawn.
TEST_F(Update_Cycle_Test, PurgeStartsAtMemoryMaxAndNotOneByteBelow) {
  start();
  Flag_Trace = 4;
  total_of(MEMORY_MAX - 1);
  EXPECT_FALSE(update_purges());
  EXPECT_TRUE(cleanups().empty());

  total_of(MEMORY_MAX);
  EXPECT_TRUE(update_purges());
  Strings expected;
  for (int level = 15; level >= 5; --level) expected.push_back("User_Cleanup / " + std::to_string(level) + " 0");
  expected.push_back("MESSAGE " + cleared(0));
  expected.push_back("Fct_Update 0x0000000040000000");
  expected.push_back("Fct_Redraw 0x000000000FFFFFFF");
  Strings seen;
  for (const hostsim::Event& event : hostsim::events())
    if (event.kind == hostsim::Event::MESSAGE) seen.push_back("MESSAGE " + event.text);
    else if (event.text.rfind("User_Cleanup", 0) == 0 || event.text.rfind("Fct_", 0) == 0) seen.push_back(event.text);
  EXPECT_EQ(seen, expected);
  EXPECT_TRUE(texts(14).empty());
  EXPECT_TRUE(draws().empty());
}

TEST_F(Update_Cycle_Test, PurgeStopsOnceLevelsTogetherReachTheTarget) {
  start();
  // Level 15 alone falls one byte short; 15 and 14 together reach the target exactly.
  const uint64_t first = 1000000;
  const uint64_t second = PURGE_TARGET - first;
  total_of(MEMORY_MAX, {{15, first}, {14, second}, {13, 5000}});
  EXPECT_TRUE(update_purges());
  EXPECT_EQ(cleanups(), (Strings{"User_Cleanup / 15 " + std::to_string(first),
                                 "User_Cleanup / 14 " + std::to_string(second)}));
  EXPECT_EQ(texts(4), Strings{cleared(PURGE_TARGET)});
  // One byte less at level 14 and the purge goes on to level 13.
  total_of(MEMORY_MAX, {{15, first}, {14, second - 1}, {13, 5000}});
  EXPECT_TRUE(update_purges());
  EXPECT_EQ(cleanups().size(), 3u);
  EXPECT_EQ(texts(4), Strings{cleared(PURGE_TARGET + 4999)});
}

TEST_F(Update_Cycle_Test, PurgingRunShowsTheFiguresMeasuredBeforeThePurge) {
  open_at_budget();
  EXPECT_EQ(module.Update_A(MEMORY), 1);  // delivery deferred: the host has not re-sent yet
  EXPECT_EQ(texts(4), Strings{cleared(FREED)});
  EXPECT_EQ(texts(14).size(), 1u);  // one run, not re-entered
  EXPECT_EQ(draws(), (Strings{"Draw Image", "Draw label " + std::to_string(BEFORE), "Draw Cleanup"}));
  const int end = bar_end(static_cast<int32_t>(MEMORY_MAX >> 20), 16);  // 15.9 MiB of images against 16
  EXPECT_EQ(bar_pixel(end - 1), BLUE);

  // The host's delivery of the purge's update measures again and the bar falls back.
  hostsim::clear_events();
  hostsim::deliver_deferred();
  EXPECT_EQ(draws(), (Strings{"Draw Image", "Draw label " + std::to_string(BEFORE - FREED), "Draw Cleanup",
                              "Draw null", "Draw null"}));  // the cycle's erase, then the painter's
  EXPECT_NE(bar_pixel(end - 1), BLUE);
  EXPECT_EQ(bar_pixel(bar_end(static_cast<int32_t>((MEMORY_MAX - FREED) >> 20), 16) - 1), BLUE);
  EXPECT_TRUE(cleanups().empty());  // the second run found the total below the budget
}

TEST_F(Update_Cycle_Test, NestedDeliveryReentersTheCycleAndTheOuterRunHasTheLastWord) {
  hostsim::set_delivery(hostsim::Delivery::SYNC);
  open_at_budget();
  EXPECT_EQ(module.Update_A(MEMORY), 1);
  // The nested run (inside Fct_Update) measures after the purge, the outer one goes on
  // with its own figures and writes them back.
  EXPECT_EQ(texts(14), Strings(2, update_trace("0000000040000000")));
  EXPECT_EQ(calls_among({"Draw label "}),
            (Strings{"Draw label " + std::to_string(BEFORE - FREED), "Draw label " + std::to_string(BEFORE)}));
  EXPECT_EQ(cleanups().size(), 1u);  // the nested run found the total below the budget
  EXPECT_EQ(calls_among({"Fct_"}), (Strings{"Fct_Update 0x0000000040000000", "Fct_Redraw 0x000000000FFFFFFF"}));
  EXPECT_EQ(bar_pixel(bar_end(static_cast<int32_t>(MEMORY_MAX >> 20), 16) - 1), BLUE);
}

// Only changed columns are redrawn; the box under the bar only when the total's whole
// MiB shrank; while closed only measurements, and traces only while open.
TEST_F(Update_Cycle_Test, OnlyChangesAreRedrawn) {
  start();
  hostsim::add_node("/", 5 * MIB);  // with the default share: a byte either way keeps 5 whole MiB
  ASSERT_EQ(module.Ctrl_Open(), 1);
  EXPECT_EQ(draws(), (Strings{"Draw Image", "Draw label 5242880", "Draw Cleanup", "Draw Undo", "Draw label 0",
                              "Draw Delete", "Draw 3D Geom", "Draw label 0", "Draw Delete"}));
  ASSERT_EQ(module.Ctrl_Show(), 1);
  const struct {
    uint64_t images;
    int32_t undo;
    Strings draws;
  } steps[] = {
      {5 * MIB - 1, 0, {"Draw Image", "Draw label 5242879", "Draw Cleanup", "Draw null"}},
      {5 * MIB - 2, 1, {"Draw Image", "Draw label 5242878", "Draw Cleanup", "Draw Undo", "Draw label 1", "Draw Delete"}},
      {5 * MIB - 2, 2, {"Draw Undo", "Draw label 2", "Draw Delete"}},
      {5 * MIB - 2, 2, {}},
  };
  for (const auto& step : steps) {
    hostsim::add_node("/", step.images);
    hostsim::set_undo_bytes(step.undo);
    hostsim::clear_events();
    update();
    EXPECT_EQ(draws(), step.draws);
  }
  ASSERT_EQ(module.Ctrl_Close(), 1);
  hostsim::add_node("/", 777);
  hostsim::clear_events();
  Flag_Trace = 4;
  update();
  update(PANEL_DRAW);
  EXPECT_TRUE(hostsim::messages().empty());
  EXPECT_TRUE(draws().empty());
  ASSERT_EQ(module.Ctrl_Open(), 1);
  EXPECT_EQ(draws(), (Strings{"Draw Image", "Draw label 777", "Draw Cleanup", "Draw null", "Draw null"}));
  hostsim::clear_events();
  update(0xFFFFFFFFFFFFFFFF);
  EXPECT_EQ(texts(14), Strings{update_trace("ffffffffffffffff")});
  Flag_Trace = 3;
  hostsim::clear_events();
  update();
  EXPECT_TRUE(texts(14).empty());
}

TEST_F(Update_Cycle_Test, BarsNeedBothBitsOfThePanelDrawMask) {
  start();
  hostsim::add_node("/", 4 * MIB);
  open_and_show();
  Flag_Trace = 4;
  const int end = bar_end(4, 16);
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
  EXPECT_TRUE(calls_among({"Mutex_Open"}).empty());
  EXPECT_EQ(bar_pixel(end - 1), BLUE);
  EXPECT_NE(bar_pixel(end + 8), BLUE);
}

}  // namespace
