// The update cycle through Update_A: when the automatic purge starts and stops, what it
// tells the host, and what the panel shows afterwards. (A purge with the panel open is
// the session panel_purge; updates delivered back inside the purge, test_misbehaviour.)
#include "module_fixture.h"

namespace {

class Update_Cycle_Test : public Module_Test {
 protected:
  // The root holds what makes the total reach `total` (nothing else holds bytes).
  static void total_of(uint64_t total, const std::vector<hostsim::Level_Release>& releases = {}) {
    hostsim::add_node("/", total - DEFAULT_SHARE, releases);
  }
  static Strings cleanups() { return calls_among({"User_Cleanup "}); }
};

// A purge (from Memory_Max: test_lifecycle has where it starts) that frees nothing still
// tries all eleven levels, then writes its message and only then tells the host; one that
// frees the target stops at the level that reached it. With the panel closed nothing is
// traced or drawn.
TEST_F(Update_Cycle_Test, PurgeFromMemoryMaxUntilTheTargetIsFreed) {
  start();
  Flag_Trace = 4;
  total_of(MEMORY_MAX);
  EXPECT_TRUE(update_purges());
  Strings expected;
  for (int level = 15; level >= 5; --level) expected.push_back("User_Cleanup / " + std::to_string(level) + " 0");
  expected.insert(expected.end(), {"MESSAGE " + cleared(0), "Fct_Update 0x0000000040000000",
                                   "Fct_Redraw 0x000000000FFFFFFF"});
  Strings seen;
  for (const hostsim::Event& event : hostsim::events())
    if (event.kind == hostsim::Event::MESSAGE) seen.push_back("MESSAGE " + event.text);
    else if (event.text.rfind("User_Cleanup", 0) == 0 || event.text.rfind("Fct_", 0) == 0) seen.push_back(event.text);
  EXPECT_EQ(seen, expected);
  EXPECT_TRUE(draws().empty());

  // Level 15 alone falls one byte short; 15 and 14 together reach the target exactly.
  const uint64_t first = 1000000, second = PURGE_TARGET - first;
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

// Only changed columns are redrawn, and the box under the bar only when the total shrank:
// by the cycle for a byte, by the painter too for a whole MiB. While closed only
// measurements, and traces only while open.
TEST_F(Update_Cycle_Test, OnlyChangesAreRedrawn) {
  start();
  hostsim::add_node("/", 5 * MIB);  // with the default share: a byte either way keeps 5 whole MiB
  ASSERT_EQ(module.Ctrl_Open(), 1);
  EXPECT_EQ(draws(), (Strings{"Draw Image", "Draw label 5242880", "Draw Cleanup", "Draw Undo", "Draw label 0",
                              "Draw Delete", "Draw 3D Geom", "Draw label 0", "Draw Delete"}));
  ASSERT_EQ(module.Ctrl_Show(), 1);
  const int end = bar_end(5, 16);
  const struct {
    uint64_t images;
    int32_t undo;
    Strings draws;
  } steps[] = {
      {5 * MIB - 1, 0, {"Draw Image", "Draw label 5242879", "Draw Cleanup", "Draw null"}},
      {5 * MIB - 2, 1,
       {"Draw Image", "Draw label 5242878", "Draw Cleanup", "Draw Undo", "Draw label 1", "Draw Delete"}},
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
  EXPECT_EQ(bar_pixel(end - 1), BLUE);
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
  EXPECT_NE(bar_pixel(end - 1), BLUE);  // the shrunk total erased the old bar
  hostsim::clear_events();
  update(0xFFFFFFFFFFFFFFFF);
  EXPECT_EQ(texts(14), Strings{update_trace("ffffffffffffffff")});
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
