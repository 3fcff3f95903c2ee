// The widget toolkit of host/widget_toolkit.h as the host model provides it. The widgets
// are the module's own static objects; the toolkit keeps what it needs about each (the
// picture buffer it allocated, the caption Set_Name wrote, the pointer-over look) in a
// side table keyed by the object, and tests reach the module's widgets through it.
//
// What the toolkit records as calls: "Draw CAPTION" for every Draw (CAPTION is the
// widget's Text, "null" when it has none; for a label "label TEXT" with the text as it
// reads at that moment), "Adjust CAPTION PRESSED" and "Deselect CAPTION" for buttons.
//
// Style bits, the toolkit's own:
//   0x0002  framed face in the widget's tint, caption at the top (a column)
//   0x0040  a well showing the picture (plain grey without one), caption centred
//   0x0042  both: the framed title box, caption in a band at the top
//   0x0100  label text centred horizontally (else from the left edge)
//   0x1000  label text centred vertically (else at the top)
// Select answers non-zero when the word is non-zero and the pointer (set_pointer in
// hostsim/windows.h) lies inside the widget in the widget's window. For buttons every
// Select but a help query (word 4) also moves the pointer-over look.
#pragma once

#include <string>
#include <vector>

#include "host/widget_toolkit.h"

namespace hostsim {

constexpr uint32_t STYLE_FRAMED = 0x0002;
constexpr uint32_t STYLE_PICTURE = 0x0040;
constexpr uint32_t STYLE_CENTRE_X = 0x0100;
constexpr uint32_t STYLE_CENTRE_Y = 0x1000;
constexpr int SELECT_HELP = 4;

enum class Widget_Kind { BOX, LABEL, BUTTON };

struct Widget {
  Widget_Kind kind;
  Tools* object;
};

// The live widgets in the order they were constructed.
std::vector<Widget> widgets();
// The first live widget whose Text reads `caption`, or null.
Tools* find_widget(const std::string& caption);
// How often Init / Draw were called on a widget since it was built (or the last reset).
int init_count(const Tools* widget);
int draw_count(const Tools* widget);
bool hovered(const Buttons* button);
// What a Draw of the widget is recorded as, after "Draw ".
std::string draw_caption(const Tools* widget);

// Loads the faces that the layout settings name (title and tool fonts, regular and bold)
// by drawing a text in each, as a host does at start-up: what the font machinery maps
// into the process is then mapped before the first widget is drawn.
void load_fonts();

}  // namespace hostsim
