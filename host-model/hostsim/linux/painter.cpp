// The toolkit's painter on Linux: Cairo straight into the stand-in window's pixel buffer.
#include "hostsim/painter.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdlib>

#include "host/host_services.h"
#include "hostsim/toolkit.h"
#include "hostsim/windows.h"

namespace hostsim {

namespace {

// Cairo and fontconfig keep the fonts they loaded until told to let go: done once at exit,
// so that a leak checker sees only what the process really lost.
void release_fonts_at_exit() {
  static const bool registered = [] {
    std::atexit([] {
      cairo_debug_reset_static_data();
      FcFini();
    });
    return true;
  }();
  (void)registered;
}

cairo_surface_t* surface_of(void* target) { return static_cast<cairo_surface_t*>(target); }
cairo_t* context_of(void* context) { return static_cast<cairo_t*>(context); }

void colour(cairo_t* cr, uint32_t rgb) {
  cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
}

void select_font(cairo_t* cr, const Painter::Font& font) {
  release_fonts_at_exit();
  cairo_select_font_face(cr, font.family, CAIRO_FONT_SLANT_NORMAL,
                         font.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, font.pixels);
}

// A surface over width x height pixels of 32 bits (RGB24 rows are exactly that wide) and
// its context, drawing without smoothing.
void over_pixels(uint32_t* pixels, int width, int height, void*& target, void*& context) {
  cairo_surface_t* surface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels),
                                                                 CAIRO_FORMAT_RGB24, width, height,
                                                                 width * static_cast<int>(sizeof(uint32_t)));
  cairo_t* cr = cairo_create(surface);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  target = surface;
  context = cr;
}

}  // namespace

Painter::Painter(HWND window) {
  uint32_t* pixels = window_pixels(window);
  if (!pixels) return;
  height_ = window_height(window);
  over_pixels(pixels, window_width(window), height_, target_, context_);
}

Painter::Painter(Picture& picture) {
  if (picture.pixels.empty()) return;
  picture_ = &picture;  // Cairo draws on its pixels themselves
  height_ = picture.height;
  over_pixels(picture.pixels.data(), picture.width, height_, target_, context_);
}

Painter::~Painter() {
  if (!context_) return;
  cairo_destroy(context_of(context_));
  cairo_surface_flush(surface_of(target_));
  cairo_surface_destroy(surface_of(target_));
}

void Painter::fill(int left, int top_row, int width, int height, uint32_t rgb) {
  if (width <= 0 || height <= 0) return;
  cairo_t* cr = context_of(context_);
  colour(cr, rgb);
  cairo_rectangle(cr, left, top_row, width, height);
  cairo_fill(cr);
}

void Painter::picture(const uint32_t* pixels, int pic_width, int pic_height, int left, int top_row, int width,
                      int height) {
  cairo_surface_t* surface = surface_of(target_);
  cairo_surface_flush(surface);
  uint32_t* target = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface));
  const int surface_width = cairo_image_surface_get_width(surface);
  const int columns = std::min(pic_width, width);
  for (int row = 0; row < std::min(pic_height, height); ++row) {
    const int y = top_row + row;
    if (y < 0 || y >= height_) continue;
    for (int c = 0; c < columns; ++c) {
      const int x = left + c;
      if (x < 0 || x >= surface_width) continue;
      target[static_cast<size_t>(y) * static_cast<size_t>(surface_width) + static_cast<size_t>(x)] =
          pixels[static_cast<size_t>(row) * static_cast<size_t>(pic_width) + static_cast<size_t>(c)] &
          0x00FFFFFFu;
    }
  }
  cairo_surface_mark_dirty(surface);
}

void Painter::text(const Tools& w, const char* text, int left, int top_row, int width, int height, bool centre_x,
                   bool centre_y, int pad, uint32_t rgb, bool bold_always, double raise) {
  if (!text || !*text || width <= 0 || height <= 0) return;
  release_fonts_at_exit();
  cairo_t* cr = context_of(context_);
  cairo_save(cr);
  cairo_rectangle(cr, left, top_row, width, height);
  cairo_clip(cr);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
  const char* family = w.Font_Name && *w.Font_Name ? w.Font_Name : "sans-serif";
  const bool bold = bold_always || w.Font_Weight >= 600;
  cairo_select_font_face(cr, family, CAIRO_FONT_SLANT_NORMAL, bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, font_pixels(w));
  cairo_font_extents_t font;
  cairo_font_extents(cr, &font);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text, &extents);
  const Text_Place place =
      place_text(extents.x_advance, font.ascent, left, top_row, width, height, centre_x, centre_y, pad, raise);
  colour(cr, rgb);
  cairo_move_to(cr, place.left, place.baseline);
  cairo_show_text(cr, text);
  cairo_restore(cr);
}

double Painter::text_width(const char* text, const Font& font) {
  cairo_t* cr = context_of(context_);
  select_font(cr, font);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text, &extents);
  return extents.x_advance;
}

void Painter::text_at(const char* text, double x, double baseline, const Font& font, uint32_t rgb, double align) {
  cairo_t* cr = context_of(context_);
  const double left = x - (align != 0 ? text_width(text, font) * align : 0);
  select_font(cr, font);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
  colour(cr, rgb);
  cairo_move_to(cr, left, baseline);
  cairo_show_text(cr, text);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
}

void Painter::triangle(const double (&x)[3], const double (&y)[3], uint32_t rgb) {
  cairo_t* cr = context_of(context_);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
  colour(cr, rgb);
  cairo_move_to(cr, x[0], y[0]);
  cairo_line_to(cr, x[1], y[1]);
  cairo_line_to(cr, x[2], y[2]);
  cairo_close_path(cr);
  cairo_fill(cr);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
}

void load_fonts() {
  release_fonts_at_exit();
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 64, 16);
  cairo_t* cr = cairo_create(surface);
  for (const char* setting : {"$INTERFACE_TITLE_FONT_NAME", "$INTERFACE_TOOL_FONT_NAME"}) {
    const char* name = reinterpret_cast<const char*>(Fct_Variable_Value(Host_Text(setting), nullptr, nullptr, nullptr));
    const char* family = name && *name ? name : "sans-serif";
    for (const cairo_font_weight_t weight : {CAIRO_FONT_WEIGHT_NORMAL, CAIRO_FONT_WEIGHT_BOLD}) {
      cairo_select_font_face(cr, family, CAIRO_FONT_SLANT_NORMAL, weight);
      cairo_set_font_size(cr, 11);
      cairo_move_to(cr, 0, 12);
      cairo_show_text(cr, "Memory 0123456789 MiB");
    }
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}

}  // namespace hostsim
