// The panel's widgets as the host sees them: "widgets" lists each one's box in window
// pixels, "map" draws them into a labelled picture.
#include <string>

#include "apps/kestrum-host/console.h"
#include "apps/kestrum-host/panel_map.h"
#include "apps/kestrum-host/panel_widgets.h"

namespace console {

namespace {

// widgets: "widget NAME X Y WIDTH HEIGHT", and "covered" where no point of it is on top.
void list_widgets(Session& session, const Words& words) {
  expect_args(words, 0, 0, "widgets");
  if (!session.module_loaded) return;
  for (const Placed_Widget& w : placed_widgets(session.panel_window))
    session.print("widget " + w.name + " " + std::to_string(w.x) + " " + std::to_string(w.y) + " " +
                  std::to_string(w.width) + " " + std::to_string(w.height) + (w.shows ? "" : " covered"));
}

void map(Session& session, const Words& words) {
  expect_args(words, 1, 1, "map FILE.png");
  const std::string path = picture_file(session, words[1], "map");
  if (session.module_loaded) write_panel_map(session.panel_window, path);
}

}  // namespace

void add_widget_actions(Action_Table& table) {
  table.add("widgets", list_widgets, PANEL_WINDOW, "widgets\tlists the panel's widgets: name, X Y, width, height");
  table.add("map", map, PANEL_WINDOW, "map FILE.png\twrites a labelled map of the panel: its widgets and colours");
}

}  // namespace console
