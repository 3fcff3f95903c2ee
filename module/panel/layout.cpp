// The panel's size and the placing of its twelve widgets. Positions and sizes are the
// toolkit's 16-bit values; the settings are the host's $INTERFACE_ variables, read by
// name each time they are needed, since the host may change them at any moment.
#include <cstdint>

#include "accounting/byte_text.h"
#include "accounting/memory_state.h"
#include "host/host_services.h"
#include "panel/panel_state.h"
#include "panel/usage_bars.h"
#include "plugin/kestrum.h"
#include "plugin/messages.h"

namespace kestrum {

namespace {

constexpr int PANEL_WIDTH = 432;
constexpr int BAR_HEIGHT = 16;
constexpr int16_t BAR_BORDER = 2;
constexpr int16_t GPU_FONT_SCALE = 8;

constexpr uint32_t STYLE_TITLE = 0x42;
constexpr uint32_t STYLE_BAR = 0x40;
constexpr uint32_t STYLE_COLUMN = 2;
constexpr uint32_t STYLE_VALUE = 0x1100;
constexpr uint32_t STYLE_BUTTON = 0;

const char* const TITLE_CAPTION = "------- Memory Manager -------";

intptr_t Setting(const char* name) { return Fct_Variable_Value(Host_Text(name), nullptr, nullptr, nullptr); }

// The low 16 bits of a value, signed: every position, size and setting kept as 16 bits.
int16_t Low16(intptr_t value) { return static_cast<int16_t>(static_cast<uint16_t>(value)); }

int16_t Setting16(const char* name) { return Low16(Setting(name)); }

struct Font {
  const char* name;
  int32_t weight;
  int16_t scale;
};

Font Read_Font(const char* name, const char* weight, const char* scale) {
  return Font{reinterpret_cast<const char*>(Setting(name)), static_cast<int32_t>(Setting(weight)),
              Setting16(scale)};
}

Font Title_Font() {
  return Read_Font("$INTERFACE_TITLE_FONT_NAME", "$INTERFACE_TITLE_FONT_WEIGHT", "$INTERFACE_TITLE_FONT_SCALE");
}

Font Tool_Font() {
  return Read_Font("$INTERFACE_TOOL_FONT_NAME", "$INTERFACE_TOOL_FONT_WEIGHT", "$INTERFACE_TOOL_FONT_SCALE");
}

void Set_Font(Tools& widget, const Font& font) {
  widget.Font_Name = font.name;
  widget.Font_Weight = font.weight;
  widget.Font_Scale = font.scale;
}

void Place(Tools& widget, int x, int y, int width, int height) {
  widget.X = Low16(x);
  widget.Y = Low16(y);
  widget.DX = Low16(width);
  widget.DY = Low16(height);
}

void Set_Tint(Tools& widget, int16_t red, int16_t green, int16_t blue) {
  widget.Red = red;
  widget.Green = green;
  widget.Blue = blue;
}

// The window's handle as a number for a trace: its low 32 bits.
unsigned int Window_Number(HWND window) {
  return static_cast<unsigned int>(reinterpret_cast<uintptr_t>(window));
}

struct Column {
  Boxs& box;
  Labels& label;
  Buttons& button;
  const char* caption;
  const char* button_caption;
  char* text;
  int16_t red, green, blue;  // the colour of the column's bar segment
};

}  // namespace

}  // namespace kestrum

using namespace kestrum;

int Ctrl_Register(int* width) {
  KESTRUM_MESSAGE(MSG_TRACE_ENTRY, "Kestrum: Ctrl_Register()");
  const int16_t title = Setting16("$INTERFACE_TITLE_DIM_BIG");
  const int16_t space = Setting16("$INTERFACE_SPACE_DIM");
  const int16_t button = Setting16("$INTERFACE_BUTTON_DIM_SML");
  // From the bottom: border, [GPU bar, space], RAM bar, space, columns, title band, border.
  int height = title + 5 * space + 2 * button + 18;
  if (Memory_CUDA_Available != 0) height += BAR_HEIGHT + space;
  if (width) *width = PANEL_WIDTH;
  return Low16(height);
}

int Ctrl_Create(HWND window, int width, int height) {
  KESTRUM_MESSAGE(MSG_TRACE_ENTRY, "Kestrum: Ctrl_Create(wind=%08x,dim=%dx%d)", Window_Number(window), width, height);
  const Font font = Title_Font();
  Box_Title.Border = Setting16("$INTERFACE_BORDER_DIM");
  Box_Title.DX = Low16(width - 2);
  Box_Title.Text = TITLE_CAPTION;
  Box_Title.Style = STYLE_TITLE;
  Box_Title.X = 1;
  Box_Title.Y = 1;
  Set_Tint(Box_Title, 170, 170, 120);
  Set_Font(Box_Title, font);
  Box_Title.Init(window);
  KESTRUM_MESSAGE(MSG_USER, "We can access \x01%s\x02 of RAM memory", Byte_Text(Memory_RAM));
  return 1;
}

int Ctrl_Resize(HWND window, int width, int height) {
  KESTRUM_MESSAGE(MSG_TRACE_ENTRY, "Kestrum: Ctrl_Resize(wind=%08x,dim=%dx%d)", Window_Number(window), width, height);
  const int16_t space = Setting16("$INTERFACE_SPACE_DIM");
  const int16_t button_height = Setting16("$INTERFACE_BUTTON_DIM_SML");
  const int16_t border = Setting16("$INTERFACE_BORDER_DIM");
  const Font title_font = Title_Font();
  const Font tool_font = Tool_Font();

  if (window) {
    Box_Title.Border = border;
    Box_Title.DX = Low16(width - 2);
    Box_Title.X = 1;
    Box_Title.Y = 1;
    Box_Title.DY = Low16(height - 2);
    Set_Font(Box_Title, title_font);
    Box_Title.Init(window);
  } else {
    window = Box_Title.Window;
  }

  const int16_t x0 = Low16(Box_Title.X + space);
  const int16_t y0 = Low16(Box_Title.Y + space);
  const int16_t w0 = Low16(Box_Title.DX - 2 * space);
  const int16_t y1 = Memory_CUDA_Available != 0 ? Low16(y0 + BAR_HEIGHT + space) : y0;
  const int16_t y2 = Low16(y1 + BAR_HEIGHT + space);
  const int16_t column_width = Low16((Box_Title.DX - 2 * space - 2) / 3);
  const int16_t column_height = Low16(3 * space + 2 * button_height);

  // Placed even without GPU memory: it then lies under the RAM bar and is never drawn.
  Box_GPU.Style = STYLE_BAR;
  Box_GPU.Set_Name("GPU   (%s)", Byte_Text(Memory_CUDA_Available));
  Place(Box_GPU, x0, y0, w0, BAR_HEIGHT);
  Box_GPU.Border = BAR_BORDER;
  Box_GPU.Font_Name = tool_font.name;
  Box_GPU.Font_Weight = tool_font.weight;
  Box_GPU.Font_Scale = GPU_FONT_SCALE;
  Box_GPU.Init(window);

  Place(Box_Bar, x0, y1, w0, BAR_HEIGHT);
  Box_Bar.Style = STYLE_BAR;
  Box_Bar.Border = BAR_BORDER;
  Box_Bar.Init(window);
  Memory_Bar_Setup(&Box_Bar, Memory_RAM, Memory_Max, Memory_High);

  const Column columns[] = {
      {Box_Image, Label_Image, Button_Image, "Image", "Cleanup", Text_Image, 100, 100, 250},
      {Box_Undo, Label_Undo, Button_Undo, "Undo", "Delete", Text_Undo, 100, 200, 200},
      {Box_Geom, Label_Geom, Button_Geom, "3D Geom", "Delete", Text_Geom, 180, 140, 180},
  };
  int left = x0;  // one pixel between columns
  for (const Column& column : columns) {
    column.box.Style = STYLE_COLUMN;
    column.box.Text = column.caption;
    Place(column.box, left, y2, column_width, column_height);
    Set_Tint(column.box, column.red, column.green, column.blue);
    column.box.Border = border;
    Set_Font(column.box, tool_font);
    column.box.Init(window);

    column.label.Style = STYLE_VALUE;
    column.label.Text = column.text;
    Place(column.label, left, y2 + space, column_width, column_height - space);
    Set_Font(column.label, tool_font);
    column.label.Init(window);

    column.button.Style = STYLE_BUTTON;
    column.button.Text = column.button_caption;
    Place(column.button, left + space, y2 + space, column_width - 2 * space, button_height);
    column.button.Border = border;
    column.button.Pressed = 0;
    Set_Font(column.button, tool_font);
    column.button.Init(window);

    left = Low16(left + column_width + 1);
  }
  return 1;
}
