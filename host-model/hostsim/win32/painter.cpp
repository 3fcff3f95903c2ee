// The toolkit's painter on Windows: GDI on the widget's window, or on a bitmap in memory
// for an off-screen picture.
#include <windows.h>

#include "hostsim/painter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "host/host_services.h"
#include "hostsim/toolkit.h"
#include "hostsim/win32/bitmap.h"
#include "hostsim/windows.h"

namespace hostsim {

namespace {

// Fonts by face, weight and pixel size, made once and kept for the process.
HFONT font(const char* family, bool bold, int pixels) {
  static std::map<std::tuple<std::string, bool, int>, HFONT>* fonts = new std::map<std::tuple<std::string, bool, int>, HFONT>;
  const auto key = std::make_tuple(std::string(family), bold, pixels);
  auto it = fonts->find(key);
  if (it != fonts->end()) return it->second;
  HFONT made = CreateFontA(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, family);
  fonts->emplace(key, made);
  return made;
}

const char* family_of(const char* name) { return name && *name ? name : "DejaVu Sans"; }

HDC dc_of(void* context) { return static_cast<HDC>(context); }

}  // namespace

Painter::Painter(HWND window) {
  RECT client{};
  if (!window_exists(window) || !GetClientRect(window, &client)) return;
  HDC dc = GetDC(window);
  if (!dc) return;
  height_ = client.bottom;
  target_ = window;
  context_ = dc;
}

// A top-down 32-bit bitmap (a DIB section) holds the picture's pixels while GDI draws;
// they go back to the picture when the painter is done.
Painter::Painter(Picture& picture) {
  if (picture.pixels.empty()) return;
  const BITMAPINFO info = top_down_bitmap(picture.width, picture.height);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = bitmap ? CreateCompatibleDC(nullptr) : nullptr;
  if (!dc) {
    if (bitmap) DeleteObject(bitmap);
    return;
  }
  std::memcpy(bits, picture.pixels.data(), picture.pixels.size() * sizeof(uint32_t));
  SaveDC(dc);
  SelectObject(dc, bitmap);
  height_ = picture.height;
  picture_ = &picture;
  target_ = bitmap;
  context_ = dc;
}

Painter::~Painter() {
  if (!context_) return;
  if (!picture_) {
    ReleaseDC(static_cast<HWND>(target_), dc_of(context_));
    return;
  }
  GdiFlush();
  DIBSECTION section{};
  if (GetObject(static_cast<HBITMAP>(target_), sizeof section, &section) == sizeof section && section.dsBm.bmBits)
    std::memcpy(picture_->pixels.data(), section.dsBm.bmBits, picture_->pixels.size() * sizeof(uint32_t));
  RestoreDC(dc_of(context_), -1);  // the bitmap the memory context began with
  DeleteDC(dc_of(context_));
  DeleteObject(static_cast<HBITMAP>(target_));
}

void Painter::fill(int left, int top_row, int width, int height, uint32_t rgb) {
  if (width <= 0 || height <= 0) return;
  const RECT area{left, top_row, left + width, top_row + height};
  SetDCBrushColor(dc_of(context_), rgb_to_colorref(rgb));
  FillRect(dc_of(context_), &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void Painter::picture(const uint32_t* pixels, int pic_width, int pic_height, int left, int top_row, int width,
                      int height) {
  const int columns = std::min(pic_width, width);
  const int rows = std::min(pic_height, height);
  if (columns <= 0 || rows <= 0) return;
  std::vector<uint32_t> part(static_cast<size_t>(columns) * static_cast<size_t>(rows));
  for (int row = 0; row < rows; ++row)
    for (int c = 0; c < columns; ++c)
      part[static_cast<size_t>(row) * static_cast<size_t>(columns) + static_cast<size_t>(c)] =
          pixels[static_cast<size_t>(row) * static_cast<size_t>(pic_width) + static_cast<size_t>(c)] & 0x00FFFFFFu;
  const BITMAPINFO info = top_down_bitmap(columns, rows);
  SetDIBitsToDevice(dc_of(context_), left, top_row, static_cast<DWORD>(columns), static_cast<DWORD>(rows), 0, 0, 0,
                    static_cast<UINT>(rows), part.data(), &info, DIB_RGB_COLORS);
}

void Painter::text(const Tools& w, const char* text, int left, int top_row, int width, int height, bool centre_x,
                   bool centre_y, int pad, uint32_t rgb, bool bold_always, double raise) {
  if (!text || !*text || width <= 0 || height <= 0) return;
  HDC dc = dc_of(context_);
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, left, top_row, left + width, top_row + height);
  const bool bold = bold_always || w.Font_Weight >= 600;
  SelectObject(dc, font(family_of(w.Font_Name), bold, static_cast<int>(std::lround(font_pixels(w)))));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, rgb_to_colorref(rgb));
  SetTextAlign(dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  const int length = static_cast<int>(std::strlen(text));
  SIZE extent{};
  GetTextExtentPoint32A(dc, text, length, &extent);
  const Text_Place place =
      place_text(extent.cx, metrics.tmAscent, left, top_row, width, height, centre_x, centre_y, pad, raise);
  TextOutA(dc, static_cast<int>(std::lround(place.left)), place.baseline, text, length);
  RestoreDC(dc, saved);
}

double Painter::text_width(const char* text, const Font& face) {
  HDC dc = dc_of(context_);
  SelectObject(dc, font(family_of(face.family), face.bold, face.pixels));
  SIZE extent{};
  GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &extent);
  return extent.cx;
}

void Painter::text_at(const char* text, double x, double baseline, const Font& face, uint32_t rgb, double align) {
  HDC dc = dc_of(context_);
  const double left = x - text_width(text, face) * align;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, rgb_to_colorref(rgb));
  SetTextAlign(dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
  TextOutA(dc, static_cast<int>(std::lround(left)), static_cast<int>(std::lround(baseline)), text,
           static_cast<int>(std::strlen(text)));
}

void Painter::triangle(const double (&x)[3], const double (&y)[3], uint32_t rgb) {
  HDC dc = dc_of(context_);
  POINT corners[3];
  for (int i = 0; i < 3; ++i) corners[i] = {static_cast<LONG>(std::lround(x[i])), static_cast<LONG>(std::lround(y[i]))};
  const int saved = SaveDC(dc);
  SelectObject(dc, GetStockObject(DC_BRUSH));
  SelectObject(dc, GetStockObject(DC_PEN));
  SetDCBrushColor(dc, rgb_to_colorref(rgb));
  SetDCPenColor(dc, rgb_to_colorref(rgb));
  Polygon(dc, corners, 3);
  RestoreDC(dc, saved);
}

void load_fonts() {
  for (const char* setting : {"$INTERFACE_TITLE_FONT_NAME", "$INTERFACE_TOOL_FONT_NAME"}) {
    const char* name = reinterpret_cast<const char*>(Fct_Variable_Value(Host_Text(setting), nullptr, nullptr, nullptr));
    for (const bool bold : {false, true}) font(family_of(name), bold, 11);
  }
}

}  // namespace hostsim
