#include "apps/kestrum-host/panel_map.h"

#include <algorithm>
#include <vector>

#include "apps/kestrum-host/console.h"
#include "apps/kestrum-host/panel_widgets.h"
#include "hostsim/painter.h"
#include "hostsim/picture.h"
#include "hostsim/windows.h"

namespace console {

namespace {

using namespace panel_map;

constexpr int RIGHT = 16;
constexpr int KEY_GAP = 26;  // between the panel and the key (the x axis' numbers)
constexpr int ROW = 16;      // a line of the key
constexpr int TAG_WIDTH = 16, TAG_HEIGHT = 14;
constexpr uint32_t WHITE = 0xFFFFFF, INK = 0x1A1A1A;
using Font = hostsim::Painter::Font;
constexpr Font TEXT{"DejaVu Sans", 11, false}, BOLD{"DejaVu Sans", 11, true};

struct Role {
  const char* name;
  const char* role;
};
const Role ROLES[] = {
    {"Box_Title", "the frame; the title band at its top"},
    {"Box_GPU", "the GPU bar, drawn only with a GPU: its memory in use of its total"},
    {"Box_Bar", "the RAM bar: the host's data against the budget, over the track"},
    {"Box_Image", "the Image column"},
    {"Label_Image", "the bytes the host's images hold"},
    {"Button_Image", "Cleanup: frees images at the cleanup levels 15 down to 5"},
    {"Box_Undo", "the Undo column"},
    {"Label_Undo", "the bytes the undo history holds"},
    {"Button_Undo", "Delete: empties the undo history"},
    {"Box_Geom", "the 3D Geom column"},
    {"Label_Geom", "the bytes the 3-D geometry holds"},
    {"Button_Geom", "Delete: frees the 3-D geometry"},
};

struct Swatch {
  uint32_t colour;
  const char* meaning;
};
// The bars' colours as the module paints them (the segments at their middle row's shade).
const Swatch SWATCHES[] = {
    {0x0000AA, "images (RAM bar)"},
    {0x00AAAA, "the undo history (RAM bar)"},
    {0xAA00AA, "3-D geometry (RAM bar); the GPU's memory in use (GPU bar)"},
    {0x78B478, "the RAM bar's track up to its first mark: 80 % of the budget, less 100 KiB"},
    {0x000000, "the track's marks: that one, and the budget less 100 KiB, where a purge starts"},
    {0xB4B478, "the track from the first mark on: the host's data near the budget"},
    {0xB47878, "the track past the budget's mark (both lie past the end unless the budget is 2 MiB or less)"},
    {0xAAAAAA, "the GPU bar's well. A bar's full length is the budget (RAM bar) or the GPU's total"},
};

// The key's lines: a widget a line, a blank line, the heading of the bars and a colour a line.
int key_rows(size_t widgets) { return static_cast<int>(widgets + std::size(SWATCHES)) + 2; }

// A map's window grows with the panel's: past this the panel is refused.
constexpr int MOST_WIDTH = 2048, MOST_HEIGHT = 1024;

uint32_t outline_colour(const std::string& name) {
  if (name.rfind("Label_", 0) == 0) return LABEL_COLOUR;
  if (name.rfind("Button_", 0) == 0) return BUTTON_COLOUR;
  return BOX_COLOUR;
}

const char* role_of(const std::string& name) {
  for (const Role& r : ROLES)
    if (name == r.name) return r.role;
  return "";
}

struct Rect {
  int left, top, width, height;
  bool overlaps(const Rect& o) const {
    return left < o.left + o.width && o.left < left + width && top < o.top + o.height && o.top < top + height;
  }
};

// The panel's pixels, each drawn as a SCALE x SCALE square.
std::vector<uint32_t> enlarged(const hostsim::Picture& panel) {
  const size_t width = static_cast<size_t>(panel.width), row_length = width * SCALE;
  std::vector<uint32_t> out(row_length * static_cast<size_t>(panel.height) * SCALE);
  for (size_t row = 0; row < out.size() / row_length; ++row)
    for (size_t c = 0; c < row_length; ++c) out[row * row_length + c] = panel.pixels[row / SCALE * width + c / SCALE];
  return out;
}

class Map {
 public:
  Map(HWND panel, hostsim::Picture& map, const std::vector<Placed_Widget>& widgets)
      : panel_(panel),
        picture_(hostsim::window_picture(panel)),
        painter_(map),
        width_(picture_.width),
        height_(picture_.height),
        widgets_(widgets) {}

  // False when nothing can be drawn.
  bool draw() {
    if (!painter_) return false;
    const int panel_w = width_ * SCALE, panel_h = height_ * SCALE;
    text("The panel's window, " + std::to_string(width_) + " x " + std::to_string(height_) +
             " pixels, shown twice its size; window pixels count from the bottom-left corner, y upward",
         LEFT, 6);
    const std::vector<uint32_t> picture = enlarged(picture_);
    painter_.picture(picture.data(), panel_w, panel_h, LEFT, TOP, panel_w, panel_h);
    axes();
    for (size_t i = 0; i < widgets_.size(); ++i) {
      const Placed_Widget& w = widgets_[i];
      if (!w.shows) continue;
      painter_.outline(LEFT + SCALE * w.x, TOP + SCALE * (height_ - w.y - w.height), SCALE * w.width,
                       SCALE * w.height, outline_colour(w.name));
    }
    for (size_t i = 0; i < widgets_.size(); ++i)
      if (widgets_[i].shows) place_tag(i);
    key();
    return true;
  }

 private:
  int key_top() const { return TOP + height_ * SCALE + KEY_GAP; }

  // A line of text in a row TAG_HEIGHT high from `top`: from `left`, or centred on it.
  void text(const std::string& line, int left, int top, bool centre = false, uint32_t colour = INK,
            const Font& font = TEXT) {
    painter_.text_at(line.c_str(), left, top + 11, font, colour, centre ? 0.5 : 0);
  }

  void tag(size_t index, int left, int top) {
    painter_.fill(left, top, TAG_WIDTH, TAG_HEIGHT, outline_colour(widgets_[index].name));
    text(std::to_string(index + 1), left + TAG_WIDTH / 2, top, true, WHITE, BOLD);
  }

  // A widget's number, on a point of it near its left end (clear of the centred texts),
  // moved right past the numbers already placed.
  void place_tag(size_t index) {
    const Window_Point point = widget_point(panel_, widgets_[index].name, Aim::LEFT);
    Rect at{LEFT + SCALE * point.x + SCALE / 2 - TAG_WIDTH / 2,
            TOP + SCALE * (height_ - 1 - point.y) + SCALE / 2 - TAG_HEIGHT / 2, TAG_WIDTH, TAG_HEIGHT};
    while (std::any_of(tags_.begin(), tags_.end(), [&](const Rect& r) { return r.overlaps(at); }))
      at.left += TAG_WIDTH + 2;
    tags_.push_back(at);
    tag(index, at.left, at.top);
  }

  void axes() {
    const int bottom = TOP + height_ * SCALE;
    for (int x = 0; x <= width_; x += 50) {
      painter_.fill(LEFT + SCALE * x, bottom, 1, 4, INK);
      text(std::to_string(x), LEFT + SCALE * x, bottom + 4, true);
    }
    for (int y = 0; y <= height_; y += 20) {
      const int row = TOP + SCALE * (height_ - y);
      painter_.fill(LEFT - 4, row, 4, 1, INK);
      text(std::to_string(y), (LEFT - 6) / 2, row - 7, true);
    }
  }

  void key() {
    int top = key_top();
    for (size_t i = 0; i < widgets_.size(); ++i, top += ROW) {
      const Placed_Widget& w = widgets_[i];
      tag(i, LEFT, top);
      text(w.name, LEFT + 22, top, false, INK, BOLD);
      text("(" + std::to_string(w.x) + ", " + std::to_string(w.y) + ")  " + std::to_string(w.width) + " x " +
               std::to_string(w.height),
           LEFT + 124, top);
      text(std::string(w.shows ? "" : "covered: ") + role_of(w.name), LEFT + 266, top);
    }
    top += ROW;
    text("The bars' colours, zones and marks:", LEFT, top, false, INK, BOLD);
    for (const Swatch& s : SWATCHES) {
      top += ROW;
      painter_.fill(LEFT, top, TAG_WIDTH, TAG_HEIGHT, s.colour);
      painter_.outline(LEFT, top, TAG_WIDTH, TAG_HEIGHT, INK);
      text(s.meaning, LEFT + 22, top);
    }
  }

  HWND panel_;
  const hostsim::Picture picture_;  // the panel's window as it is painted
  hostsim::Painter painter_;
  int width_, height_;
  const std::vector<Placed_Widget>& widgets_;
  std::vector<Rect> tags_;
};

}  // namespace

void write_panel_map(HWND panel, const std::string& path) {
  const int width = hostsim::window_width(panel), height = hostsim::window_height(panel);
  if (width <= 0 || height <= 0) throw Action_Error("the window has no pixels");
  if (width > MOST_WIDTH || height > MOST_HEIGHT)
    throw Action_Error("the window is too large for a map: at most " + std::to_string(MOST_WIDTH) + " x " +
                       std::to_string(MOST_HEIGHT) + " pixels");
  const std::vector<Placed_Widget> widgets = placed_widgets(panel);
  hostsim::Picture map(LEFT + width * SCALE + RIGHT, TOP + height * SCALE + KEY_GAP + key_rows(widgets.size()) * ROW + 8,
                       WHITE);
  {
    Map drawing(panel, map, widgets);
    if (!drawing.draw()) throw Action_Error("cannot draw the map");
  }
  write_picture(map, path);
}

}  // namespace console
