// Painting one widget into its window, for the toolkit, or a chart into an off-screen
// picture (picture.h), for the console: filled rectangles, bevels, a picture of 32-bit
// pixels, lines of text and triangles. The platform draws (hostsim/linux/: Cairo over the
// stand-in's pixel buffer or the picture's; hostsim/win32/: GDI on the window itself, or
// on a bitmap that takes the picture's pixels). Positions are device pixels, top row 0;
// `top` flips a widget's rectangle (origin bottom-left). Rectangles are filled on whole
// pixels, so that each pixel's colour follows from the positions; text and triangles are
// smoothed where the platform smooths them.
#pragma once

#include <cstdint>

#include "host/widget_toolkit.h"
#include "hostsim/picture.h"

namespace hostsim {

class Painter {
 public:
  explicit Painter(HWND window);
  // Draws on `picture`, which holds what was drawn once the painter is gone.
  explicit Painter(Picture& picture);
  ~Painter();
  Painter(const Painter&) = delete;
  Painter& operator=(const Painter&) = delete;

  explicit operator bool() const { return context_ != nullptr; }

  // Device top row of a widget rectangle.
  int top(const Tools& w) const { return height_ - (w.Y + w.DY); }

  void fill(int left, int top_row, int width, int height, uint32_t rgb);

  // Raised (light top-left) or sunken (dark top-left) edges, `thickness` pixels.
  void bevel(int left, int top_row, int width, int height, int thickness, uint32_t top_left,
             uint32_t bottom_right) {
    for (int i = 0; i < thickness && 2 * i < width && 2 * i < height; ++i) {
      const int l = left + i, t = top_row + i, w = width - 2 * i, h = height - 2 * i;
      fill(l, t, w, 1, top_left);
      fill(l, t, 1, h, top_left);
      fill(l, t + h - 1, w, 1, bottom_right);
      fill(l + w - 1, t, 1, h, bottom_right);
    }
  }

  void outline(int left, int top_row, int width, int height, uint32_t rgb) {
    bevel(left, top_row, width, height, 1, rgb, rgb);
  }

  // The picture's top-left part that fits (width x height) at (left, top_row).
  void picture(const uint32_t* pixels, int pic_width, int pic_height, int left, int top_row, int width,
               int height);

  // Writes `text` inside the box (left, top_row, width, height), clipped to it. The text
  // is centred horizontally or starts `pad` pixels in; vertically it is centred or its
  // line starts `pad` pixels below the top, then moved up by `raise` pixels.
  void text(const Tools& w, const char* text, int left, int top_row, int width, int height, bool centre_x,
            bool centre_y, int pad, uint32_t rgb, bool bold_always = false, double raise = 0);

  // A font by family, size in pixels (the em) and weight.
  struct Font {
    const char* family;
    int pixels;
    bool bold;
  };
  // How far `text` advances in `font`.
  double text_width(const char* text, const Font& font);
  // A line of text whose baseline starts at (x - align * its width, baseline): `align` 0
  // puts its left end at x, 0.5 its middle, 1 its right end.
  void text_at(const char* text, double x, double baseline, const Font& font, uint32_t rgb, double align = 0);

  // The triangle with the corners (x[i], y[i]).
  void triangle(const double (&x)[3], const double (&y)[3], uint32_t rgb);

  static double font_pixels(const Tools& w) {
    const int scale = w.Font_Scale > 0 ? w.Font_Scale : 10;
    return scale * 1.1;
  }

 private:
  // Where text() starts a line `advance` pixels wide in a font of `ascent` pixels: its
  // left edge and its baseline row. Digits and capitals fill about 0.73 of the ascent,
  // and that part is what is centred.
  struct Text_Place {
    double left;
    int baseline;
  };
  static Text_Place place_text(double advance, double ascent, int left, int top_row, int width, int height,
                               bool centre_x, bool centre_y, int pad, double raise) {
    const double x = centre_x ? left + (width - advance) / 2.0 : left + pad;
    const double ink = ascent * 0.73;
    const double baseline = (centre_y ? top_row + (height + ink) / 2.0 : top_row + pad + ink) - raise;
    return {x, static_cast<int>(baseline + 0.5)};
  }

  // What the platform draws with, held here so that painting a widget allocates nothing:
  // a Cairo surface over the window's or the picture's pixels and its context (Linux), or
  // the window and its device context (Windows; for a picture, a bitmap and a memory
  // context, whose pixels go back to the picture at the end).
  void* target_ = nullptr;
  void* context_ = nullptr;
  int height_ = 0;
  Picture* picture_ = nullptr;  // the picture drawn on, if any
};

}  // namespace hostsim
