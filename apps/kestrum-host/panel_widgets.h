// The panel's widgets as the host sees them in the panel's window: named as the module
// declares them, with their boxes in window pixels (origin bottom-left, y upward), and
// which of them is on top at a point: the last one the module built there, as its
// Ctrl_Draw stacks them (frame, bars, then each column's box, value label and button).
#pragma once

#include <string>
#include <vector>

#include "platform/windows_api.h"

namespace console {

struct Placed_Widget {
  std::string name;
  int x, y, width, height;
  bool shows;  // some point of its box has no later widget over it
};

struct Window_Point {
  int x, y;
};

// The widgets whose window is `window`, in the order the module built them.
std::vector<Placed_Widget> placed_widgets(HWND window);
// The name of the widget on top at (x, y), or "none".
std::string widget_at(HWND window, int x, int y);
// The point of the widget's box nearest its centre (or a point 10 pixels from its left
// edge, half-way up) where it is on top: the first such point, row by row from the
// bottom, among equally near ones. Throws Action_Error when the widget is not laid out
// in `window` or shows nowhere.
enum class Aim { CENTRE, LEFT };
Window_Point widget_point(HWND window, const std::string& name, Aim at = Aim::CENTRE);

// Whether a pointer action's first word is a widget's name rather than a position.
bool is_widget_word(const std::string& word);
// Throws Action_Error unless `word` names one of the panel's widgets.
void expect_widget_name(const std::string& word);

}  // namespace console
