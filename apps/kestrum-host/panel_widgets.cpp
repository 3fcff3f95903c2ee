#include "apps/kestrum-host/panel_widgets.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <iterator>
#include <optional>

#include "apps/kestrum-host/console.h"
#include "hostsim/toolkit.h"

namespace console {

namespace {

// The module builds its twelve widgets in the order it declares them, which the host's
// toolkit sees as the order of construction. Any further widget is "widgetN".
constexpr const char* WIDGET_NAMES[] = {"Box_Title", "Box_GPU",     "Box_Bar",      "Box_Image",
                                        "Label_Image", "Button_Image", "Box_Undo",  "Label_Undo",
                                        "Button_Undo", "Box_Geom",    "Label_Geom", "Button_Geom"};

bool inside(const Placed_Widget& w, int x, int y) {
  return x >= w.x && x < w.x + w.width && y >= w.y && y < w.y + w.height;
}

// The index of the widget on top at (x, y): the last built that holds the point.
std::optional<size_t> top_at(const std::vector<Placed_Widget>& widgets, int x, int y) {
  for (size_t i = widgets.size(); i-- > 0;)
    if (inside(widgets[i], x, y)) return i;
  return std::nullopt;
}

// Where a widget is aimed at: the centre of its box, or near its left end.
Window_Point aim(const Placed_Widget& w, Aim at) {
  return {w.x + (at == Aim::CENTRE ? w.width / 2 : std::min(10, w.width / 2)), w.y + w.height / 2};
}

// The point of widget `index` nearest its aim where it is on top. Such a point, if any,
// lies in a row and a column that is the aim's, an edge of the box or just outside an
// edge of a later widget (from elsewhere a step toward the aim stays on top), so only
// those are tried: a few hundred points, whatever the box's size.
std::optional<Window_Point> visible_point(const std::vector<Placed_Widget>& widgets, size_t index,
                                          Aim at = Aim::CENTRE) {
  const Placed_Widget& w = widgets[index];
  if (w.width <= 0 || w.height <= 0) return std::nullopt;
  const int cx = aim(w, at).x, cy = aim(w, at).y;
  std::vector<int> xs{cx, w.x, w.x + w.width - 1}, ys{cy, w.y, w.y + w.height - 1};
  for (size_t j = index + 1; j < widgets.size(); ++j) {
    const Placed_Widget& c = widgets[j];
    xs.insert(xs.end(), {c.x - 1, c.x + c.width});
    ys.insert(ys.end(), {c.y - 1, c.y + c.height});
  }
  for (std::vector<int>* v : {&xs, &ys}) {
    std::sort(v->begin(), v->end());
    v->erase(std::unique(v->begin(), v->end()), v->end());
  }
  std::optional<Window_Point> best;
  int64_t best_distance = 0;
  for (const int y : ys)
    for (const int x : xs) {
      if (!inside(w, x, y) || top_at(widgets, x, y) != index) continue;
      const int64_t dx = x - cx, dy = y - cy, distance = dx * dx + dy * dy;
      if (!best || distance < best_distance) {
        best = Window_Point{x, y};
        best_distance = distance;
      }
    }
  return best;
}

std::vector<Placed_Widget> laid_out(HWND window) {
  std::vector<Placed_Widget> out;
  if (!window) return out;
  const std::vector<hostsim::Widget> all = hostsim::widgets();
  for (size_t i = 0; i < all.size(); ++i) {
    const Tools& w = *all[i].object;
    if (w.Window != window) continue;
    out.push_back({i < std::size(WIDGET_NAMES) ? WIDGET_NAMES[i] : "widget" + std::to_string(i + 1), w.X, w.Y,
                   w.DX, w.DY, false});
  }
  return out;
}

}  // namespace

std::vector<Placed_Widget> placed_widgets(HWND window) {
  std::vector<Placed_Widget> widgets = laid_out(window);
  for (size_t i = 0; i < widgets.size(); ++i) widgets[i].shows = visible_point(widgets, i).has_value();
  return widgets;
}

std::string widget_at(HWND window, int x, int y) {
  const std::vector<Placed_Widget> widgets = laid_out(window);
  const std::optional<size_t> top = top_at(widgets, x, y);
  return top ? widgets[*top].name : "none";
}

Window_Point widget_point(HWND window, const std::string& name, Aim at) {
  const std::vector<Placed_Widget> widgets = laid_out(window);
  for (size_t i = 0; i < widgets.size(); ++i) {
    if (widgets[i].name != name) continue;
    if (widgets[i].width <= 0 || widgets[i].height <= 0) throw Action_Error(name + " has an empty box");
    if (const std::optional<Window_Point> point = visible_point(widgets, i, at)) return *point;
    throw Action_Error(name + " shows nowhere: other widgets cover its box");
  }
  throw Action_Error(name + " is not laid out yet: use \"panel resize\" first");
}

bool is_widget_word(const std::string& word) {
  return !word.empty() && (std::isalpha(static_cast<unsigned char>(word[0])) || word[0] == '_');
}

void expect_widget_name(const std::string& word) {
  if (std::find(std::begin(WIDGET_NAMES), std::end(WIDGET_NAMES), word) == std::end(WIDGET_NAMES))
    throw Action_Error("unknown widget " + word + " (\"widgets\" lists the panel's)");
}

}  // namespace console
