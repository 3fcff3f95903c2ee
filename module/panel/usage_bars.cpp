// The usage bars: the RAM bar's track picture, and the shaded capsule of stacked
// segments painted pixel by pixel through GDI pens onto the panel window.
#include "panel/usage_bars.h"

#include <cmath>
#include <cstdint>

#include "accounting/memory_state.h"
#include "panel/panel_state.h"
#include "plugin/messages.h"

namespace kestrum {

namespace {

// Track picture words, 0x00RRGGBB.
constexpr unsigned long TRACK_FACE = 0xAAAAAA;  // what the toolkit fills the buffer with
constexpr uint32_t TRACK_GREEN = 0x78B478;      // 120, 180, 120: up to the lower mark
constexpr uint32_t TRACK_YELLOW = 0xB4B478;     // 180, 180, 120: up to the upper mark
constexpr uint32_t TRACK_RED = 0xB47878;        // 180, 120, 120: beyond
constexpr uint32_t TRACK_MARK = 0x000000;

// The bar covers the rows and columns from this far inside the box.
constexpr int BAR_INSET = 3;

// The last total (MiB) each bar was painted with; a smaller one erases the box first.
struct Last_Drawn {
  const Boxs* box;
  int32_t total;
};
Last_Drawn g_last_drawn[] = {{&Box_Bar, 0}, {&Box_GPU, 0}};
int32_t g_last_drawn_other = 0;  // any other box shares one

int32_t& Last_Drawn_Total(const Boxs* box) {
  for (Last_Drawn& entry : g_last_drawn)
    if (entry.box == box) return entry.total;
  return g_last_drawn_other;
}

// 32-bit sums and products wrap, as on the 32-bit platform, instead of overflowing.
int32_t Wrap_Add(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

int32_t Wrap_Mul(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

// A threshold's column on a track `width` pixels long: the 64-bit product of the signed
// width and the count, divided as unsigned, its low 32 bits read as signed.
int32_t Track_Column(int16_t width, uint64_t count, uint64_t scale) {
  const uint64_t product = static_cast<uint64_t>(static_cast<int64_t>(width)) * count;
  return static_cast<int32_t>(static_cast<uint32_t>(product / scale));
}

// A segment's end on a track `length` pixels long: the 32-bit product converted to single
// precision, divided by the scale in single precision, truncated toward zero. A quotient
// beyond the int range gives INT32_MIN, what the x86 conversion yields for it.
int32_t Segment_End(int32_t length, int32_t value, int32_t scale) {
  const float quotient = static_cast<float>(Wrap_Mul(length, value)) / static_cast<float>(scale);
  if (!(quotient >= -2147483648.0f && quotient < 2147483648.0f)) return INT32_MIN;
  return static_cast<int32_t>(quotient);
}

// clamp(trunc(value)) to [20, 255]; truncating first or clamping first agree here.
int Clamp_Shade(float value) {
  if (!(value > 20.0f)) return 20;
  if (value >= 255.0f) return 255;
  return static_cast<int>(value);
}

// The square root in double precision, brought back to single.
float Root(float value) { return static_cast<float>(std::sqrt(static_cast<double>(value))); }

// Shade of a cap pixel at (u, v) of the unit disc, lit from the upper left.
int Cap_Shade(float u, float v) {
  return Clamp_Shade(255.0f * (0.667f * Root(1.0f - (u * u + v * v)) + (0.333f * u - 0.667f * v)));
}

// Shade of a body row at height v of the unit disc.
int Body_Shade(float v) { return Clamp_Shade(255.0f * (0.667f * Root(1.0f - v * v) - 0.667f * v)); }

// Segment colours as GDI colour values, 0x00BBGGRR.
COLORREF Blue(int g) { return static_cast<COLORREF>(g) << 16; }
COLORREF Cyan(int g) { return (static_cast<COLORREF>(g) << 8 | static_cast<COLORREF>(g)) << 8; }
COLORREF Magenta(int g) { return static_cast<COLORREF>(g) | static_cast<COLORREF>(g) << 16; }

// Every line and pixel goes through a pen of its own, as the platform's drawing wants it.
void Draw_Line(COLORREF colour, int x_from, int y, int x_to) {
  Current_Color = colour;
  MoveToEx(Y_DC, x_from, y, nullptr);
  HPEN pen = CreatePen(PS_SOLID, 0, Current_Color);
  HGDIOBJ previous = SelectObject(Y_DC, pen);
  LineTo(Y_DC, x_to, y);
  SelectObject(Y_DC, previous);
  DeleteObject(pen);
}

// A single pixel is a line one column long.
void Draw_Pixel(COLORREF colour, int x, int y) { Draw_Line(colour, x, y, Wrap_Add(x, 1)); }

}  // namespace

void Memory_Bar_Setup(Boxs* box, uint64_t scale, uint64_t upper, uint64_t lower) {
  if (!box || !box->Window) return;
  box->Alloc_Graph_Normal(TRACK_FACE);
  const int width = box->DX;
  const int height = box->DY;
  // Without a scale no threshold has a place: the track keeps the toolkit's plain face.
  if (scale != 0 && box->Image && width > 0 && height > 0) {
    const int64_t k = height - 4;
    const int64_t lower_mark = Track_Column(box->DX, lower, scale) + k;
    const int64_t upper_mark = Track_Column(box->DX, upper, scale) + k;
    uint32_t* row = box->Image;
    for (int c = 0; c < width; ++c) {
      uint32_t colour = TRACK_GREEN;
      if (c > upper_mark)
        colour = TRACK_RED;
      else if (c == upper_mark)
        colour = TRACK_MARK;
      else if (c > lower_mark)
        colour = TRACK_YELLOW;
      else if (c == lower_mark)
        colour = TRACK_MARK;
      row[c] = colour;
    }
    for (int y = 1; y < height; ++y)
      for (int c = 0; c < width; ++c) box->Image[static_cast<size_t>(y) * static_cast<size_t>(width) + c] = row[c];
  }
  box->Picture = box->Image;
  box->Init(box->Window);
  if (Flag_Open) box->Draw();
}

void Memory_Bar_Redraw(Boxs* box, int32_t first, int32_t second, int32_t third, int32_t scale) {
  if (!box || !box->Window) return;

  int32_t& last_total = Last_Drawn_Total(box);
  const int32_t total = Wrap_Add(Wrap_Add(first, second), third);
  if (total < last_total) box->Draw();  // erases the longer bar
  last_total = total;

  // A scale of zero or less gives no bar: nothing is painted and nothing divided by it.
  if (scale <= 0) return;

  const int32_t a = Wrap_Add(first, static_cast<int32_t>(static_cast<uint32_t>(Memory_Reserve >> 20)));
  const int x = box->X;
  const int y = box->Y;
  const int w = box->DX;
  const int h = box->DY;
  const int half = h / 2;
  const int r = (h - 4) / 2;
  const int m = r + 2;
  const int length = w - 2 * m;
  const int32_t x1 = Segment_End(length, a, scale);
  const int32_t x2 = Segment_End(length, Wrap_Add(a, second), scale);
  const int32_t x3 = Segment_End(length, Wrap_Add(Wrap_Add(a, second), third), scale);
  const float radius = static_cast<float>(r);

  Y_setup(box->Window, "Memory_Bar_Redraw");

  // Right cap, in the colour of the last segment that has any length.
  for (int row = BAR_INSET; row <= h - BAR_INSET; ++row) {
    for (int i = m; i <= h - BAR_INSET; ++i) {
      const int dx = half - i;
      const int dy = half - row;
      if (dx * dx + dy * dy >= r * r) continue;
      const int g = Cap_Shade(static_cast<float>(dx) / radius, static_cast<float>(dy) / radius);
      const COLORREF colour = x3 > x2 ? Magenta(g) : (x3 > x1 ? Cyan(g) : Blue(g));
      Draw_Pixel(colour, Wrap_Add(x + i, x3), y + row);
    }
  }

  // Body: the three segments, last first; an empty segment draws nothing.
  const int start = x + m;
  for (int row = BAR_INSET; row <= h - BAR_INSET; ++row) {
    const int g = Body_Shade(static_cast<float>(half - row) / radius);
    Draw_Line(Magenta(g), Wrap_Add(start, x2), y + row, Wrap_Add(start, x3));
    Draw_Line(Cyan(g), Wrap_Add(start, x1), y + row, Wrap_Add(start, x2));
    Draw_Line(Blue(g), start, y + row, Wrap_Add(start, x1));
  }

  // Left cap, always blue.
  for (int row = BAR_INSET; row <= h - BAR_INSET; ++row) {
    for (int i = 2; i <= m - 1; ++i) {
      const int dx = half - i;
      const int dy = half - row;
      if (dx * dx + dy * dy >= r * r) continue;
      const int g = Cap_Shade(static_cast<float>(dx) / radius, static_cast<float>(dy) / radius);
      Draw_Pixel(Blue(g), x + i, y + row);
    }
  }

  Y_release();
}

void Y_setup(HWND window, const char* name) {
  if (!Critical_Flag) {
    InitializeCriticalSection(&Critical);
    Critical_Flag = 1;
  }
  EnterCriticalSection(&Critical);
  Y_DC = GetDC(window);
  if (!Y_DC) KESTRUM_MESSAGE(MSG_LOG, "Y_setup(%s) GetDC failed", name ? name : "---");
  Y_Window = window;
  // Origin at the bottom-left, y upward, one unit a pixel: (x, y) lands on (x, h - 1 - y).
  RECT client{0, 0, 0, 0};
  GetClientRect(window, &client);
  const int w = client.right - client.left;
  const int h = client.bottom - client.top;
  SetMapMode(Y_DC, MM_ANISOTROPIC);
  SetWindowExtEx(Y_DC, w, h, nullptr);
  SetViewportExtEx(Y_DC, w, -h, nullptr);
  SetViewportOrgEx(Y_DC, 0, h - 1, nullptr);
}

void Y_release() {
  if (ReleaseDC(Y_Window, Y_DC) == 0) KESTRUM_MESSAGE(MSG_LOG, "Y_release() Failed!");
  Y_DC = nullptr;
  Y_Window = nullptr;
  LeaveCriticalSection(&Critical);
}

}  // namespace kestrum
