// The panel's size and the placing of its widgets, read back from the host's toolkit.
#include <array>
#include <cstdio>

#include "module_fixture.h"

namespace {

using Rect = std::array<int, 4>;  // x, y, width, height

void expect_rect(const Tools& w, Rect r, const char* name) { EXPECT_EQ((Rect{w.X, w.Y, w.DX, w.DY}), r) << name; }

std::string trace(const char* entry, HWND window, int width, int height) {
  char text[128];
  std::snprintf(text, sizeof text, "Kestrum: %s(wind=%08x,dim=%dx%d)", entry,
                static_cast<unsigned int>(reinterpret_cast<uintptr_t>(window)), width, height);
  return text;
}

class Layout_Test : public Module_Test {
 protected:
  void SetUp() override {
    Module_Test::SetUp();
    if (HasFatalFailure()) return;
    hostsim::set_variable("$INTERFACE_TITLE_DIM_BIG", 20);
    hostsim::set_variable("$INTERFACE_SPACE_DIM", 4);
    hostsim::set_variable("$INTERFACE_BUTTON_DIM_SML", 18);
    hostsim::set_variable("$INTERFACE_BORDER_DIM", 1);
  }
};

TEST_F(Layout_Test, WorkedExampleWithGpu) {
  init(2 * GIB, 3 * GIB);
  Flag_Trace = 4;
  int width = 0;
  EXPECT_EQ(module.Ctrl_Register(&width), 114);
  EXPECT_EQ(width, 432);
  window = hostsim::create_window(432, 114);
  hostsim::clear_events();
  EXPECT_EQ(module.Ctrl_Create(window, 432, 114), 1);
  EXPECT_EQ(module.Ctrl_Resize(window, 432, 114), 1);
  EXPECT_EQ(texts(14), (Strings{trace("Ctrl_Create", window, 432, 114), trace("Ctrl_Resize", window, 432, 114)}));
  EXPECT_EQ(texts(4), Strings{"We can access \x01" "2147483648\x02 of RAM memory"});
  EXPECT_EQ(hostsim::messages().at(1).code, 4);  // between the two traces

  const struct {
    Index index;
    Rect rect;
    const char* text;  // null: no text
  } widgets[] = {
      {TITLE, {1, 1, 430, 112}, "------- Memory Manager -------"},
      {GPU, {5, 5, 422, 16}, "GPU   (3221225472)"},
      {BAR, {5, 25, 422, 16}, nullptr},
      {IMAGE_BOX, {5, 45, 140, 48}, "Image"},
      {IMAGE_LABEL, {5, 49, 140, 44}, ""},
      {IMAGE_BUTTON, {9, 49, 132, 18}, "Cleanup"},
      {UNDO_BOX, {146, 45, 140, 48}, "Undo"},
      {UNDO_LABEL, {146, 49, 140, 44}, ""},
      {UNDO_BUTTON, {150, 49, 132, 18}, "Delete"},
      {GEOM_BOX, {287, 45, 140, 48}, "3D Geom"},
      {GEOM_LABEL, {287, 49, 140, 44}, ""},
      {GEOM_BUTTON, {291, 49, 132, 18}, "Delete"},
  };
  // Laid out again without a window handle: the title is kept, the rest placed as before in
  // the window given at Ctrl_Create, whatever the sizes passed.
  const int title_inits = hostsim::init_count(&widget(TITLE));
  for (const HWND handle : {window, static_cast<HWND>(nullptr)}) {
    SCOPED_TRACE(handle ? "created" : "resized without a window");
    if (!handle) {
      hostsim::clear_events();
      EXPECT_EQ(module.Ctrl_Resize(nullptr, 600, 300), 1);
      EXPECT_EQ(texts(14), Strings{trace("Ctrl_Resize", nullptr, 600, 300)});
      EXPECT_EQ(hostsim::init_count(&widget(TITLE)), title_inits);
    }
    for (const auto& w : widgets) {
      const Tools& tool = widget(w.index);
      const std::string name = w.text ? w.text : "bar";
      expect_rect(tool, w.rect, name.c_str());
      EXPECT_EQ(tool.Window, window) << name;
      EXPECT_STREQ(tool.Text ? tool.Text : "(none)", w.text ? w.text : "(none)");
    }
  }
  EXPECT_NE(widget(BAR).Picture, nullptr);
  EXPECT_EQ(static_cast<Buttons&>(widget(IMAGE_BUTTON)).Pressed, 0);
  // Three value labels, three distinct 40-byte texts (nothing measured yet).
  EXPECT_NE(widget(IMAGE_LABEL).Text, widget(UNDO_LABEL).Text);
  EXPECT_NE(widget(UNDO_LABEL).Text, widget(GEOM_LABEL).Text);
}

TEST_F(Layout_Test, SettingsAreReadAtEachCallAndKeptAs16Bits) {
  init(2 * GIB);
  hostsim::set_variable("$INTERFACE_SPACE_DIM", 6);
  EXPECT_EQ(module.Ctrl_Register(nullptr), 20 + 30 + 36 + 18);
  hostsim::set_variable("$INTERFACE_TITLE_DIM_BIG", 0x10014);  // low 16 bits: 20
  EXPECT_EQ(module.Ctrl_Register(nullptr), 20 + 30 + 36 + 18);
  hostsim::set_variable("$INTERFACE_TITLE_DIM_BIG", 32767);
  hostsim::set_variable("$INTERFACE_SPACE_DIM", 4);
  EXPECT_EQ(module.Ctrl_Register(nullptr), 32767 + 20 + 36 + 18 - 65536);  // wraps negative

  hostsim::set_variable("$INTERFACE_TITLE_DIM_BIG", 20);
  make_panel();
  hostsim::set_variable("$INTERFACE_SPACE_DIM", 2);
  hostsim::set_variable("$INTERFACE_BORDER_DIM", 3);
  hostsim::set_variable("$INTERFACE_TOOL_FONT_SCALE", 0x7000A);  // low 16 bits: 10
  EXPECT_EQ(module.Ctrl_Resize(window, 432, 94), 1);
  expect_rect(widget(BAR), {3, 3, 426, 16}, "bar");
  expect_rect(widget(IMAGE_BOX), {3, 21, 141, 42}, "image");  // (430 - 4 - 2) / 3 = 141
  EXPECT_EQ(widget(IMAGE_BOX).Border, 3);
  EXPECT_EQ(widget(TITLE).Border, 3);
  EXPECT_EQ(widget(IMAGE_LABEL).Font_Scale, 10);
}

// The columns are 140 wide for widths 432 to 434: the remainder stays right of the last.
TEST_F(Layout_Test, ColumnRemainderIsLeftRightOfTheGeometryColumn) {
  init(2 * GIB);
  for (int width : {432, 433, 434}) {
    window = hostsim::create_window(width, 94);
    module.Ctrl_Create(window, width, 94);
    module.Ctrl_Resize(window, width, 94);
    expect_rect(widget(UNDO_BOX), {5 + 141, 25, 140, 48}, "undo");
    expect_rect(widget(GEOM_BOX), {5 + 282, 25, 140, 48}, "geom");
    EXPECT_EQ(5 + (width - 10) - (widget(GEOM_BOX).X + widget(GEOM_BOX).DX), width - 432) << width;
  }
}

}  // namespace
