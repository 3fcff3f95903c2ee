// The widget toolkit: side table, the five drawing globals, and the widgets' looks,
// painted through the platform's painter (hostsim/painter.h) into the widget's window.
#include "hostsim/toolkit.h"

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <map>

#include "host/host_services.h"
#include "hostsim/events.h"
#include "hostsim/format_text.h"
#include "hostsim/painter.h"
#include "hostsim/reset.h"
#include "hostsim/windows.h"

HWND Y_Window = nullptr;
HDC Y_DC = nullptr;
CRITICAL_SECTION Critical{};
char Critical_Flag = 0;
COLORREF Current_Color = 0;

namespace hostsim {

namespace {

struct Side {
  Widget_Kind kind = Widget_Kind::BOX;
  uint64_t order = 0;
  std::vector<uint32_t> image;  // what Alloc_Graph_Normal gave, image_width x image_height
  int image_width = 0;
  int image_height = 0;
  std::string name;  // the caption Set_Name wrote; Text points at it
  bool hovered = false;
  bool drawn = false;  // painted since its last Init: hover and press repaint only then
  int inits = 0;
  int draws = 0;
};

struct Table {
  std::map<const Tools*, Side> sides;
  uint64_t next_order = 0;
};

// Never destroyed: the module's static widgets may go after this library's statics.
Table& table() {
  static Table* the_table = new Table;
  return *the_table;
}

Side& side(const Tools* widget) { return table().sides[widget]; }

const Side* find_side(const Tools* widget) {
  auto it = table().sides.find(widget);
  return it == table().sides.end() ? nullptr : &it->second;
}

const Reset_Registration g_reset{[] {
  Y_Window = nullptr;
  Y_DC = nullptr;
  std::memset(&Critical, 0, sizeof Critical);
  Critical_Flag = 0;
  Current_Color = 0;
  for (auto& entry : table().sides) {
    entry.second.hovered = false;
    entry.second.drawn = false;
    entry.second.inits = 0;
    entry.second.draws = 0;
  }
}};

// ---- Colours -------------------------------------------------------------------------

constexpr uint32_t TEXT_COLOUR = 0x1A1A1A;
constexpr uint32_t WELL_FACE = 0xAAAAAA;
constexpr uint32_t WELL_SHADOW = 0x5A5A5A;
constexpr uint32_t WELL_LIGHT = 0xEEEEEE;
constexpr uint32_t BUTTON_FACE = 0xDDDFE3;
constexpr uint32_t BUTTON_HOVER = 0xF2F4F7;
constexpr uint32_t BUTTON_PRESSED = 0xA9ADB5;
constexpr uint32_t BUTTON_OUTLINE = 0x3C3F44;

int channel(int16_t value) { return std::clamp<int>(value, 0, 255); }

uint32_t tint_of(const Tools& w) {
  return static_cast<uint32_t>(channel(w.Red) << 16 | channel(w.Green) << 8 | channel(w.Blue));
}

// `rgb` moved toward `target` by `amount` (0 to 1).
uint32_t mix(uint32_t rgb, uint32_t target, double amount) {
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const double a = (rgb >> shift) & 0xFF;
    const double b = (target >> shift) & 0xFF;
    out |= static_cast<uint32_t>(a + (b - a) * amount + 0.5) << shift;
  }
  return out;
}

// ---- Painting ------------------------------------------------------------------------

void paint_box(const Boxs& box) {
  Painter p(box.Window);
  if (!p || box.DX <= 0 || box.DY <= 0) return;
  const int left = box.X, top = p.top(box), width = box.DX, height = box.DY;
  const int border = std::max<int>(0, box.Border);
  const bool framed = box.Style & STYLE_FRAMED;
  const bool picture = box.Style & STYLE_PICTURE;

  if (picture && !framed) {
    const Side* s = find_side(&box);
    if (box.Picture && s && box.Picture == s->image.data() && !s->image.empty())
      p.picture(box.Picture, s->image_width, s->image_height, left, top, width, height);
    else if (box.Picture)
      p.picture(box.Picture, width, height, left, top, width, height);
    else
      p.fill(left, top, width, height, WELL_FACE);
    p.bevel(left, top, width, height, border, WELL_SHADOW, WELL_LIGHT);
    p.text(box, box.Text, left + border, top + border, width - 2 * border, height - 2 * border, true, true, 0,
           TEXT_COLOUR);
    return;
  }

  const uint32_t face = tint_of(box);
  p.fill(left, top, width, height, face);
  p.bevel(left, top, width, height, border, mix(face, 0xFFFFFF, 0.55), mix(face, 0x000000, 0.45));
  if (framed && picture) {
    // Title: the caption in a band at the top, as high as its font needs.
    const int band = static_cast<int>(Painter::font_pixels(box) * 1.5 + 0.5);
    p.text(box, box.Text, left + border, top + border, width - 2 * border, band, true, true, 0, TEXT_COLOUR,
           true);
  } else if (framed) {
    p.text(box, box.Text, left + border, top + border, width - 2 * border, height - 2 * border, true, false, 2,
           TEXT_COLOUR, true);
  } else {
    p.text(box, box.Text, left, top, width, height, true, true, 0, TEXT_COLOUR);
  }
}

void paint_label(const Labels& label) {
  Painter p(label.Window);
  if (!p) return;
  // A centred value sits a quarter line above the middle, clear of what lies under it.
  p.text(label, label.Text, label.X, p.top(label), label.DX, label.DY, label.Style & STYLE_CENTRE_X,
         label.Style & STYLE_CENTRE_Y, 2, TEXT_COLOUR, false, Painter::font_pixels(label) / 4);
}

void paint_button(const Buttons& button) {
  Painter p(button.Window);
  if (!p || button.DX <= 0 || button.DY <= 0) return;
  const Side* s = find_side(&button);
  const bool pressed = button.Pressed != 0;
  const int left = button.X, top = p.top(button), width = button.DX, height = button.DY;
  const int border = std::max<int>(1, button.Border);
  const uint32_t face = pressed ? BUTTON_PRESSED : (s && s->hovered ? BUTTON_HOVER : BUTTON_FACE);
  p.fill(left, top, width, height, face);
  p.outline(left, top, width, height, BUTTON_OUTLINE);
  if (pressed)
    p.bevel(left + 1, top + 1, width - 2, height - 2, border, mix(face, 0x000000, 0.35), mix(face, 0xFFFFFF, 0.4));
  else
    p.bevel(left + 1, top + 1, width - 2, height - 2, border, 0xFFFFFF, mix(face, 0x000000, 0.35));
  const int shift = pressed ? 1 : 0;
  p.text(button, button.Text, left + 1 + shift, top + 1 + shift, width - 2, height - 2, true, true, 0,
         TEXT_COLOUR);
}

std::string text_or_null(const char* text) { return text ? text : "null"; }

}  // namespace

std::vector<Widget> widgets() {
  std::vector<std::pair<uint64_t, Widget>> ordered;
  for (auto& entry : table().sides)
    ordered.push_back({entry.second.order, Widget{entry.second.kind, const_cast<Tools*>(entry.first)}});
  std::sort(ordered.begin(), ordered.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<Widget> out;
  for (auto& entry : ordered) out.push_back(entry.second);
  return out;
}

Tools* find_widget(const std::string& caption) {
  for (const Widget& w : widgets())
    if (w.object->Text && caption == w.object->Text) return w.object;
  return nullptr;
}

int init_count(const Tools* widget) {
  const Side* s = find_side(widget);
  return s ? s->inits : 0;
}

int draw_count(const Tools* widget) {
  const Side* s = find_side(widget);
  return s ? s->draws : 0;
}

bool hovered(const Buttons* button) {
  const Side* s = find_side(button);
  return s && s->hovered;
}

std::string draw_caption(const Tools* widget) {
  const Side* s = find_side(widget);
  if (s && s->kind == Widget_Kind::LABEL) return "label " + std::string(widget->Text ? widget->Text : "");
  return text_or_null(widget->Text);
}

}  // namespace hostsim

// ---- The classes -----------------------------------------------------------------------

using hostsim::side;

namespace {

bool under_pointer(const Tools& w) {
  if (!w.Window || hostsim::pointer_window() != w.Window) return false;
  const int x = hostsim::pointer_x(), y = hostsim::pointer_y();
  return x >= w.X && x < w.X + w.DX && y >= w.Y && y < w.Y + w.DY;
}

void record_draw(const Tools* widget) {
  ++side(widget).draws;
  side(widget).drawn = true;
  hostsim::record_call("Draw " + hostsim::draw_caption(widget));
}

}  // namespace

Tools::Tools() { side(this).order = hostsim::table().next_order++; }

Tools::~Tools() { hostsim::table().sides.erase(this); }

int Tools::Init(HWND window) {
  Window = window;
  hostsim::Side& s = side(this);
  s.drawn = false;
  ++s.inits;
  return 1;
}

int Tools::Alloc_Graph_Normal(unsigned long color) {
  hostsim::Side& s = side(this);
  const uint32_t* old = s.image.empty() ? nullptr : s.image.data();
  s.image_width = std::max<int>(0, DX);
  s.image_height = std::max<int>(0, DY);
  s.image.assign(static_cast<size_t>(s.image_width) * static_cast<size_t>(s.image_height),
                 static_cast<uint32_t>(color & 0x00FFFFFFul));
  Image = s.image.empty() ? nullptr : s.image.data();
  // Never leave the picture on the buffer just freed.
  if (old && Picture == old) Picture = Image;
  return 1;
}

int Tools::Set_Name(const char* format, ...) {
  hostsim::Side& s = side(this);
  va_list args;
  va_start(args, format);
  s.name = format ? hostsim::format_text(format, args) : std::string();
  va_end(args);
  Text = s.name.c_str();
  return 1;
}

Boxs::Boxs() { side(this).kind = hostsim::Widget_Kind::BOX; }
Boxs::~Boxs() = default;

int Boxs::Draw() {
  record_draw(this);
  hostsim::paint_box(*this);
  return 1;
}

int Boxs::Select(int mouse) { return mouse != 0 && under_pointer(*this) ? 1 : 0; }

Labels::Labels() { side(this).kind = hostsim::Widget_Kind::LABEL; }
Labels::~Labels() = default;

int Labels::Draw() {
  record_draw(this);
  hostsim::paint_label(*this);
  return 1;
}

Buttons::Buttons() { side(this).kind = hostsim::Widget_Kind::BUTTON; }
Buttons::~Buttons() = default;

int Buttons::Draw() {
  record_draw(this);
  hostsim::paint_button(*this);
  return 1;
}

int Buttons::Select(int mouse) {
  const bool inside = under_pointer(*this);
  hostsim::Side& s = side(this);
  if (mouse != hostsim::SELECT_HELP && s.hovered != inside) {
    s.hovered = inside;
    if (s.drawn) hostsim::paint_button(*this);
  }
  return mouse != 0 && inside ? 1 : 0;
}

int Buttons::Adjust() {
  hostsim::record_call("Adjust " + hostsim::draw_caption(this) + " " + std::to_string(Pressed));
  if (side(this).drawn) hostsim::paint_button(*this);
  return 1;
}

int Buttons::Deselect() {
  hostsim::record_call("Deselect " + hostsim::draw_caption(this));
  hostsim::Side& s = side(this);
  if (s.hovered) {
    s.hovered = false;
    if (s.drawn) hostsim::paint_button(*this);
  }
  return 1;
}
