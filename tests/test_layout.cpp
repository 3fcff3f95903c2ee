// The panel's size and the placing of its widgets, read back from the host's toolkit.
#include <cstdio>
#include <cstring>

#include "module_fixture.h"

namespace {

struct Rect {
  int x, y, width, height;
};

void expect_rect(const Tools& w, Rect r, const char* name) {
  EXPECT_EQ(w.X, r.x) << name;
  EXPECT_EQ(w.Y, r.y) << name;
  EXPECT_EQ(w.DX, r.width) << name;
  EXPECT_EQ(w.DY, r.height) << name;
}

void expect_font(const Tools& w, const char* name, int weight, int scale, const char* what) {
  EXPECT_STREQ(w.Font_Name, name) << what;
  EXPECT_EQ(w.Font_Weight, weight) << what;
  EXPECT_EQ(w.Font_Scale, scale) << what;
}

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
    hostsim::set_text_variable("$INTERFACE_TITLE_FONT_NAME", "DejaVu Sans");
    hostsim::set_variable("$INTERFACE_TITLE_FONT_WEIGHT", 700);
    hostsim::set_variable("$INTERFACE_TITLE_FONT_SCALE", 12);
    hostsim::set_text_variable("$INTERFACE_TOOL_FONT_NAME", "DejaVu Sans Mono");
    hostsim::set_variable("$INTERFACE_TOOL_FONT_WEIGHT", 400);
    hostsim::set_variable("$INTERFACE_TOOL_FONT_SCALE", 10);
  }
};

TEST_F(Layout_Test, WorkedExampleWithGpu) {
  init(2 * GIB, 24 * GIB);
  Flag_Trace = 4;
  int width = 0;
  EXPECT_EQ(module.Ctrl_Register(&width), 114);
  EXPECT_EQ(width, 432);
  window = hostsim::create_window(432, 114);
  hostsim::clear_events();
  EXPECT_EQ(module.Ctrl_Create(window, 432, 114), 1);
  EXPECT_EQ(module.Ctrl_Resize(window, 432, 114), 1);

  const std::vector<hostsim::Event> messages = hostsim::messages();
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0].code, 14);
  EXPECT_EQ(messages[0].text, trace("Ctrl_Create", window, 432, 114));
  EXPECT_EQ(messages[1].code, 4);
  EXPECT_EQ(messages[1].text, "We can access \x01" "2147483648\x02 of RAM memory");
  EXPECT_EQ(messages[2].code, 14);
  EXPECT_EQ(messages[2].text, trace("Ctrl_Resize", window, 432, 114));

  Tools& title = widget(TITLE);
  expect_rect(title, {1, 1, 430, 112}, "title");
  EXPECT_EQ(title.Style, 0x42u);
  EXPECT_STREQ(title.Text, "------- Memory Manager -------");
  EXPECT_EQ(title.Red, 170);
  EXPECT_EQ(title.Green, 170);
  EXPECT_EQ(title.Blue, 120);
  EXPECT_EQ(title.Border, 1);
  expect_font(title, "DejaVu Sans", 700, 12, "title");

  Tools& gpu = widget(GPU);
  expect_rect(gpu, {5, 5, 422, 16}, "gpu");
  EXPECT_EQ(gpu.Style, 0x40u);
  EXPECT_STREQ(gpu.Text, "GPU   (25769803776)");
  EXPECT_EQ(gpu.Border, 2);
  expect_font(gpu, "DejaVu Sans Mono", 400, 8, "gpu");

  Tools& bar = widget(BAR);
  expect_rect(bar, {5, 25, 422, 16}, "bar");
  EXPECT_EQ(bar.Style, 0x40u);
  EXPECT_EQ(bar.Text, nullptr);
  EXPECT_EQ(bar.Border, 2);
  EXPECT_NE(bar.Picture, nullptr);

  struct Column {
    Index box;
    int left;
    const char* caption;
    const char* button;
    int red, green, blue;
  };
  const Column columns[] = {{IMAGE_BOX, 5, "Image", "Cleanup", 100, 100, 250},
                            {UNDO_BOX, 146, "Undo", "Delete", 100, 200, 200},
                            {GEOM_BOX, 287, "3D Geom", "Delete", 180, 140, 180}};
  for (const Column& c : columns) {
    Tools& box = widget(c.box);
    Tools& label = widget(static_cast<Index>(c.box + 1));
    auto& press = static_cast<Buttons&>(widget(static_cast<Index>(c.box + 2)));
    expect_rect(box, {c.left, 45, 140, 48}, c.caption);
    EXPECT_EQ(box.Style, 2u);
    EXPECT_STREQ(box.Text, c.caption);
    EXPECT_EQ(box.Red, c.red);
    EXPECT_EQ(box.Green, c.green);
    EXPECT_EQ(box.Blue, c.blue);
    EXPECT_EQ(box.Border, 1);
    expect_font(box, "DejaVu Sans Mono", 400, 10, c.caption);

    expect_rect(label, {c.left, 49, 140, 44}, c.caption);
    EXPECT_EQ(label.Style, 0x1100u);
    ASSERT_NE(label.Text, nullptr);
    EXPECT_STREQ(label.Text, "");  // nothing measured yet
    expect_font(label, "DejaVu Sans Mono", 400, 10, c.caption);

    expect_rect(press, {c.left + 4, 49, 132, 18}, c.button);
    EXPECT_EQ(press.Style, 0u);
    EXPECT_STREQ(press.Text, c.button);
    EXPECT_EQ(press.Border, 1);
    EXPECT_EQ(press.Pressed, 0);
    expect_font(press, "DejaVu Sans Mono", 400, 10, c.button);
  }
  // Every widget belongs to the panel window; the columns end below the title band.
  for (const hostsim::Widget& w : hostsim::widgets()) EXPECT_EQ(w.object->Window, window);
  EXPECT_EQ(widget(IMAGE_BOX).Y + widget(IMAGE_BOX).DY, 93);
  // Three value labels, three distinct 40-byte texts.
  EXPECT_NE(widget(IMAGE_LABEL).Text, widget(UNDO_LABEL).Text);
  EXPECT_NE(widget(UNDO_LABEL).Text, widget(GEOM_LABEL).Text);
}

TEST_F(Layout_Test, WithoutGpuTheRamBarSitsAtTheBottom) {
  init(2 * GIB);
  Flag_Trace = 3;
  EXPECT_EQ(module.Ctrl_Register(nullptr), 94);  // 20 + 5*4 + 2*18 + 18
  EXPECT_TRUE(hostsim::events().empty());
  make_panel();
  expect_rect(widget(BAR), {5, 5, 422, 16}, "bar");
  expect_rect(widget(GPU), {5, 5, 422, 16}, "gpu");  // placed, but under the bar
  EXPECT_STREQ(widget(GPU).Text, "GPU   (0)");
  expect_rect(widget(IMAGE_BOX), {5, 25, 140, 48}, "image");
  expect_rect(widget(GEOM_BUTTON), {291, 29, 132, 18}, "geom button");
  expect_rect(widget(TITLE), {1, 1, 430, 92}, "title");
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

TEST_F(Layout_Test, NullWindowKeepsTheTitleAndUsesItsWindow) {
  init(2 * GIB, 24 * GIB);
  make_panel();
  const int title_inits = hostsim::init_count(&widget(TITLE));
  Flag_Trace = 4;
  hostsim::clear_events();
  EXPECT_EQ(module.Ctrl_Resize(nullptr, 600, 300), 1);
  EXPECT_EQ(hostsim::messages().at(0).text, trace("Ctrl_Resize", nullptr, 600, 300));
  EXPECT_EQ(hostsim::init_count(&widget(TITLE)), title_inits);
  expect_rect(widget(TITLE), {1, 1, 430, 112}, "title");
  expect_rect(widget(BAR), {5, 25, 422, 16}, "bar");
  expect_rect(widget(GEOM_BOX), {287, 45, 140, 48}, "geom");
  for (const hostsim::Widget& w : hostsim::widgets()) EXPECT_EQ(w.object->Window, window);
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
