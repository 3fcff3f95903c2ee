// The panel's events: the three flags, drawing, leaving and the traces. (The buttons,
// help and the pointer's usual round are the session panel_events.)
#include "module_fixture.h"

namespace {

using Panel_Event_Test = Module_Test;

// Positions widened with their sign, words in hexadecimal; leaving is never traced.
TEST_F(Panel_Event_Test, TracesShowTheArgumentsAsReceived) {
  start();
  Flag_Trace = 4;
  EXPECT_EQ(module.Ctrl_Scroll(nullptr, -7), 1);
  EXPECT_EQ(module.Ctrl_Motion(nullptr, 0x1234, 32767, -32768), 1);
  EXPECT_EQ(module.Ctrl_Help(nullptr, -1, -5, 400), 1);
  EXPECT_EQ(module.Ctrl_Leave(), 1);
  EXPECT_EQ(texts(14), (Strings{"Kestrum: Ctrl_Scroll(val=-7)", "Kestrum: Ctrl_Motion(up_down:1234 pos:32767x-32768)",
                                "Kestrum: Ctrl_Help(key:FFFFFFFF pos:-5x400)"}));
}

// Show enables, shows and raises the window, Hide only disables it; Draw draws only while
// the panel is both open and shown, the widgets and then the bar over its box.
TEST_F(Panel_Event_Test, DrawOnlyWhenOpenAndShown) {
  start();
  EXPECT_EQ(module.Ctrl_Show(), 1);
  EXPECT_EQ(module.Ctrl_Draw(), 1);  // shown, not open: nothing drawn
  EXPECT_EQ(hostsim::calls(), (Strings{"EnableWindow 1", "ShowWindow 5", "BringWindowToTop"}));
  EXPECT_TRUE(hostsim::window_enabled(window) && hostsim::window_shown(window));
  EXPECT_EQ(hostsim::window_raised(window), 1);
  ASSERT_EQ(module.Ctrl_Open(), 1);
  hostsim::clear_events();
  Flag_Trace = 4;
  EXPECT_EQ(module.Ctrl_Hide(), 1);
  EXPECT_EQ(module.Ctrl_Draw(), 1);  // open, hidden: nothing drawn
  EXPECT_EQ(hostsim::calls(), Strings{"EnableWindow 0"});
  EXPECT_TRUE(!hostsim::window_enabled(window) && hostsim::window_shown(window));
  EXPECT_EQ(texts(14), (Strings{"Kestrum: Ctrl_Hide()", "Kestrum: Ctrl_Draw()"}));

  ASSERT_EQ(module.Ctrl_Show(), 1);
  hostsim::clear_events();
  EXPECT_EQ(module.Ctrl_Draw(), 1);
  EXPECT_EQ(draws(), (Strings{"Draw ------- Memory Manager -------", "Draw null", "Draw Image", "Draw label 0",
                              "Draw Cleanup", "Draw Undo", "Draw label 0", "Draw Delete", "Draw 3D Geom",
                              "Draw label 0", "Draw Delete"}));
  EXPECT_EQ(texts(14), (Strings{"Kestrum: Ctrl_Draw()", update_trace("2000000000000080")}));
  EXPECT_EQ(bar_pixel(0), BLUE);
}

// Motion has each button follow the pointer, hidden or not. Leave deselects the three
// buttons once the pointer has moved over the open, shown panel (once: the session
// panel_events); motion counts while hidden, and leaving then waits until it is shown.
TEST_F(Panel_Event_Test, LeaveActsOnlyWhenOpenShownAndInside) {
  start();
  module.Ctrl_Leave();  // closed
  EXPECT_TRUE(hostsim::calls().empty());
  open_and_show();
  module.Ctrl_Leave();  // open and shown, but no motion yet
  EXPECT_TRUE(hostsim::calls().empty());
  ASSERT_EQ(module.Ctrl_Hide(), 1);
  hostsim::set_pointer(window, 20, 35);
  EXPECT_EQ(module.Ctrl_Click(nullptr, 0, 20, 35), 1);  // word 0: not even the pointer followed
  EXPECT_FALSE(hostsim::hovered(&static_cast<Buttons&>(widget(IMAGE_BUTTON))));
  const std::pair<int, Index> moves[] = {{20, IMAGE_BUTTON}, {300, GEOM_BUTTON}, {160, UNDO_BUTTON}};
  for (const auto& [x, button] : moves) {
    hostsim::set_pointer(window, x, 35);
    EXPECT_EQ(module.Ctrl_Motion(nullptr, 0, static_cast<short>(x), 35), 1);
    EXPECT_TRUE(hostsim::hovered(&static_cast<Buttons&>(widget(button)))) << x;
  }
  hostsim::clear_events();
  EXPECT_EQ(module.Ctrl_Leave(), 1);
  EXPECT_TRUE(hostsim::calls().empty());
  ASSERT_EQ(module.Ctrl_Show(), 1);
  hostsim::clear_events();
  EXPECT_EQ(module.Ctrl_Leave(), 1);
  EXPECT_EQ(hostsim::calls(), (Strings{"Deselect Cleanup", "Deselect Delete", "Deselect Delete"}));
  EXPECT_FALSE(hostsim::hovered(&static_cast<Buttons&>(widget(UNDO_BUTTON))));
}

}  // namespace
