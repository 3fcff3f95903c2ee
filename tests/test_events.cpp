// The panel's events: the three flags, drawing, the buttons, help and the traces.
#include <string>
#include <vector>

#include "event_fixture.h"
#include "hostsim/db3d.h"
#include "hostsim/toolkit.h"

namespace {

using Strings = std::vector<std::string>;

class Panel_Event_Test : public Event_Test {
 protected:
  int click(Point at, int word = 1) {
    hostsim::set_pointer(window, at.x, at.y);
    return module.Ctrl_Click(nullptr, word, static_cast<short>(at.x), static_cast<short>(at.y));
  }
  int motion(Point at, int word = 0) {
    hostsim::set_pointer(window, at.x, at.y);
    return module.Ctrl_Motion(nullptr, word, static_cast<short>(at.x), static_cast<short>(at.y));
  }
  // The module's button of that caption (the first, for "Delete": the undo column's).
  static const Buttons* button(const char* caption) {
    return static_cast<const Buttons*>(hostsim::find_widget(caption));
  }
  Strings help_at(Point at) {
    hostsim::clear_events();
    hostsim::set_pointer(window, at.x, at.y);
    EXPECT_EQ(module.Ctrl_Help(nullptr, 0, static_cast<short>(at.x), static_cast<short>(at.y)), 1);
    return hostsim::calls();
  }
};

TEST_F(Panel_Event_Test, TracesFollowTheTraceLevel) {
  start();
  trace_level(3);
  EXPECT_EQ(module.Ctrl_Scroll(nullptr, 7), 1);
  EXPECT_EQ(module.Ctrl_Query(), 0);
  EXPECT_TRUE(hostsim::events().empty());

  trace_level(-1);
  EXPECT_EQ(module.Ctrl_Scroll(nullptr, 7), 1);
  EXPECT_EQ(module.Ctrl_Click(nullptr, 0, -1, -2), 1);
  EXPECT_TRUE(hostsim::events().empty());

  trace_level(4);
  EXPECT_EQ(module.Ctrl_Scroll(nullptr, -7), 1);
  EXPECT_EQ(module.Ctrl_Click(nullptr, 0, -1, -2), 1);
  EXPECT_EQ(module.Ctrl_Motion(nullptr, 0x1234, 32767, -32768), 1);
  EXPECT_EQ(module.Ctrl_Help(nullptr, -1, 0, 400), 1);
  EXPECT_EQ(module.Ctrl_Leave(), 1);  // never traced
  EXPECT_EQ(module.Ctrl_Open(), 1);
  EXPECT_EQ(module.Ctrl_Show(), 1);
  EXPECT_EQ(module.Ctrl_Draw(), 1);
  EXPECT_EQ(module.Ctrl_Query(), 1);
  EXPECT_EQ(module.Ctrl_Hide(), 1);
  EXPECT_EQ(module.Ctrl_Close(), 1);
  EXPECT_EQ(texts(14), (Strings{"Kestrum: Ctrl_Scroll(val=-7)", "Kestrum: Ctrl_Click(up_down:0000 pos:-1x-2)",
                                "Kestrum: Ctrl_Motion(up_down:1234 pos:32767x-32768)",
                                "Kestrum: Ctrl_Help(key:FFFFFFFF pos:0x400)", "Kestrum: Ctrl_Open()",
                                update_trace("0000000040000000"), "Kestrum: Ctrl_Show()", "Kestrum: Ctrl_Draw()",
                                update_trace("2000000000000080"), "Kestrum: Ctrl_Query()", "Kestrum: Ctrl_Hide()",
                                "Kestrum: Ctrl_Close()"}));
}

TEST_F(Panel_Event_Test, OpenReportsTheMemoryAndMeasures) {
  start();
  EXPECT_EQ(module.Ctrl_Open(), 1);
  EXPECT_EQ(texts(4), Strings{"Orvan-5 can access \x01" "16777216\x02 of RAM memory"});
  EXPECT_EQ(calls_starting("Mutex_Open").size(), 1u);
  EXPECT_EQ(module.Ctrl_Query(), 1);
  EXPECT_EQ(module.Ctrl_Close(), 1);
  EXPECT_EQ(module.Ctrl_Query(), 0);
}

TEST_F(Panel_Event_Test, OpenWithGpuReportsBothMemories) {
  hostsim::gpu_present(6 * 1024 * MIB, 0);
  start();
  EXPECT_EQ(module.Ctrl_Open(), 1);
  EXPECT_EQ(texts(4), (Strings{"Orvan-5 can access \x01" "16777216\x02 of RAM memory",
                               "Orvan-5 can access \x01" "6442450944\x02 of GPU memory"}));
}

TEST_F(Panel_Event_Test, ShowEnablesShowsAndRaisesHideOnlyDisables) {
  start();
  EXPECT_EQ(module.Ctrl_Show(), 1);
  EXPECT_EQ(hostsim::calls(), (Strings{"EnableWindow 1", "ShowWindow 5", "BringWindowToTop"}));
  EXPECT_TRUE(hostsim::window_enabled(window));
  EXPECT_TRUE(hostsim::window_shown(window));
  EXPECT_EQ(hostsim::window_raised(window), 1);
  hostsim::clear_events();
  EXPECT_EQ(module.Ctrl_Hide(), 1);
  EXPECT_EQ(hostsim::calls(), Strings{"EnableWindow 0"});
  EXPECT_FALSE(hostsim::window_enabled(window));
  EXPECT_TRUE(hostsim::window_shown(window));
}

TEST_F(Panel_Event_Test, DrawOnlyWhenOpenAndShown) {
  start();
  trace_level(4);
  EXPECT_EQ(module.Ctrl_Draw(), 1);  // neither
  ASSERT_EQ(module.Ctrl_Show(), 1);
  EXPECT_EQ(module.Ctrl_Draw(), 1);  // shown, not open
  ASSERT_EQ(module.Ctrl_Open(), 1);
  ASSERT_EQ(module.Ctrl_Hide(), 1);
  hostsim::clear_events();
  EXPECT_EQ(module.Ctrl_Draw(), 1);  // open, hidden
  EXPECT_TRUE(draws().empty());
  EXPECT_EQ(texts(14), Strings{"Kestrum: Ctrl_Draw()"});

  ASSERT_EQ(module.Ctrl_Show(), 1);
  hostsim::clear_events();
  EXPECT_EQ(module.Ctrl_Draw(), 1);
  EXPECT_EQ(draws(), (Strings{"Draw ------- Memory Manager -------", "Draw null", "Draw Image", "Draw label 0",
                              "Draw Cleanup", "Draw Undo", "Draw label 0", "Draw Delete", "Draw 3D Geom",
                              "Draw label 0", "Draw Delete"}));
  EXPECT_EQ(texts(14), (Strings{"Kestrum: Ctrl_Draw()", update_trace("2000000000000080")}));
  EXPECT_EQ(bar_pixel(0), BLUE);  // the bar over its freshly drawn box
}

TEST_F(Panel_Event_Test, DrawWithGpuDrawsItsBoxThird) {
  hostsim::gpu_present(1024 * MIB, 0);
  start();
  open_and_show();
  EXPECT_EQ(module.Ctrl_Draw(), 1);
  const Strings all = draws();
  ASSERT_GE(all.size(), 3u);
  EXPECT_EQ(all[2], "Draw GPU   (1073741824)");
  EXPECT_EQ(all.size(), 12u);
}

TEST_F(Panel_Event_Test, ButtonsDoTheirWorkWhilePressed) {
  start();
  hostsim::add_node("/", 3 * MIB);
  hostsim::set_undo_bytes(4000);
  hostsim::add_tag3d({100});
  open_and_show();

  EXPECT_EQ(click(OVER_IMAGE), 1);
  Strings expected{"Adjust Cleanup 1"};
  for (int level = 15; level >= 5; --level) expected.push_back("User_Cleanup / " + std::to_string(level) + " 0");
  expected.insert(expected.end(), {"Fct_Update 0x0000000040000000", "Fct_Redraw 0x000000000FFFFFFF",
                                   "Adjust Cleanup 0"});
  EXPECT_EQ(hostsim::calls(), expected);

  hostsim::clear_events();
  EXPECT_EQ(click(OVER_UNDO), 1);
  EXPECT_EQ(hostsim::calls(),
            (Strings{"Adjust Delete 1", "Undo_Reset", "Fct_Update 0x0000000040000000", "Adjust Delete 0"}));
  EXPECT_EQ(hostsim::undo_bytes(), 0);

  hostsim::clear_events();
  EXPECT_EQ(click(OVER_GEOM), 1);
  const Strings calls = hostsim::calls();
  ASSERT_GE(calls.size(), 5u);
  EXPECT_EQ(calls.front(), "Adjust Delete 1");
  EXPECT_EQ(Strings(calls.end() - 4, calls.end()),
            (Strings{"Database_3D_Tree_Generate", "Fct_Update 0x0000000040000404", "Fct_Redraw 0x33FFFFFF00000000",
                     "Adjust Delete 0"}));
  EXPECT_EQ(hostsim::tag3d_count(), 0u);
  // The buttons leave the measuring to the host's update: nothing was measured.
  EXPECT_TRUE(calls_starting("Mutex_Open").empty());
}

TEST_F(Panel_Event_Test, ClicksThatSelectNoButtonDoNothing) {
  start();
  open_and_show();
  EXPECT_EQ(click(OVER_IMAGE, 0), 1);  // word 0, right over a button: not even asked
  EXPECT_FALSE(hostsim::hovered(button("Cleanup")));
  EXPECT_EQ(click(OVER_BAR), 1);
  EXPECT_EQ(click(OVER_TITLE), 1);
  EXPECT_TRUE(hostsim::calls().empty());
}

TEST_F(Panel_Event_Test, LeaveActsOnlyWhenOpenShownAndInside) {
  start();
  EXPECT_EQ(module.Ctrl_Leave(), 1);
  open_and_show();
  EXPECT_EQ(module.Ctrl_Leave(), 1);  // no motion yet
  EXPECT_TRUE(hostsim::calls().empty());

  EXPECT_EQ(motion(OVER_UNDO), 1);
  EXPECT_TRUE(hostsim::hovered(button("Delete")));
  hostsim::clear_events();
  EXPECT_EQ(module.Ctrl_Leave(), 1);
  EXPECT_EQ(hostsim::calls(), (Strings{"Deselect Cleanup", "Deselect Delete", "Deselect Delete"}));
  EXPECT_FALSE(hostsim::hovered(button("Delete")));
  hostsim::clear_events();
  EXPECT_EQ(module.Ctrl_Leave(), 1);  // a second one in a row
  EXPECT_TRUE(hostsim::calls().empty());

  // Motion counts while hidden; leaving then waits until the panel is shown again.
  ASSERT_EQ(module.Ctrl_Hide(), 1);
  EXPECT_EQ(motion(OVER_IMAGE), 1);
  hostsim::clear_events();
  EXPECT_EQ(module.Ctrl_Leave(), 1);
  EXPECT_TRUE(hostsim::calls().empty());
  ASSERT_EQ(module.Ctrl_Show(), 1);
  hostsim::clear_events();
  EXPECT_EQ(module.Ctrl_Leave(), 1);
  EXPECT_EQ(hostsim::calls().size(), 3u);
}

TEST_F(Panel_Event_Test, HelpNamesWhatLiesUnderThePointer) {
  start();
  EXPECT_EQ(help_at(OVER_IMAGE), Strings{"Fct_Help kestrum ima"});
  EXPECT_EQ(help_at(OVER_UNDO), Strings{"Fct_Help kestrum undo"});
  EXPECT_EQ(help_at(OVER_GEOM), Strings{"Fct_Help kestrum geom"});
  EXPECT_EQ(help_at(OVER_BAR), Strings{"Fct_Help kestrum bar"});
  EXPECT_EQ(help_at(OVER_TITLE), Strings{"Fct_Help kestrum null"});
}

}  // namespace
