// Windows, device contexts, pens, lines and critical sections over plain pixel buffers.
// Every handle the module passes in is checked against the live ones first, so a stale
// or made-up handle is simply a failed call.
#include "hostsim/windows.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

#include "hostsim/events.h"
#include "hostsim/picture.h"
#include "hostsim/reset.h"
#include "hostsim/window_book.h"

struct HPEN__ {
  int style = PS_SOLID;
  COLORREF color = 0;
};

struct HDC__ {
  HWND window = nullptr;
  int map_mode = 1;  // MM_TEXT: one unit a pixel, y downward from the top-left
  SIZE window_ext{1, 1};
  SIZE viewport_ext{1, 1};
  POINT viewport_org{0, 0};
  POINT current{0, 0};
  HGDIOBJ pen = nullptr;
};

namespace hostsim {

namespace {

constexpr int PS_NULL_STYLE = 5;

// A window's state. Window handles are numbers handed out in order, as a windowing
// system does, so that traces showing a handle read the same at every run.
struct Window_State {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // top row first
  bool enabled = true;
  bool shown = false;
  int raised = 0;
};

constexpr uintptr_t FIRST_WINDOW_HANDLE = 0x00010010;
constexpr uintptr_t WINDOW_HANDLE_STEP = 0x10;

struct World {
  std::map<HWND, std::unique_ptr<Window_State>> windows;
  uintptr_t next_window = FIRST_WINDOW_HANDLE;
  std::map<HDC, std::unique_ptr<HDC__>> dcs;
  std::map<HPEN, std::unique_ptr<HPEN__>> pens;
  uint64_t pens_created = 0;
};

// Never destroyed: the module's widgets may still reach the windows while the process
// ends, after the statics of this library are gone.
World& world() {
  static World* the_world = new World;
  return *the_world;
}

// Every device context starts with this black pen selected; it is never deleted.
HPEN__ g_stock_pen{PS_SOLID, 0};

const Reset_Registration g_reset{[] {
  World& w = world();
  w.dcs.clear();
  w.pens.clear();
  w.windows.clear();
  w.next_window = FIRST_WINDOW_HANDLE;
  w.pens_created = 0;
}};

Window_State* find_window(HWND window) {
  auto it = world().windows.find(window);
  return it == world().windows.end() ? nullptr : it->second.get();
}

HDC__* find_dc(HDC dc) {
  auto it = world().dcs.find(dc);
  return it == world().dcs.end() ? nullptr : it->second.get();
}

HPEN__* find_pen(HGDIOBJ object) {
  if (object == &g_stock_pen) return &g_stock_pen;
  auto it = world().pens.find(static_cast<HPEN>(object));
  return it == world().pens.end() ? nullptr : it->second.get();
}

// Sets one of a context's mapping values, handing back the previous one when asked.
template <typename Value>
BOOL set_mapping(HDC dc, Value HDC__::*field, Value value, Value* previous) {
  HDC__* context = find_dc(dc);
  if (!context) return FALSE;
  if (previous) *previous = context->*field;
  context->*field = value;
  return TRUE;
}

// n * num / den rounded to the nearest integer, halves away from zero (as MulDiv).
int64_t scale_rounded(int64_t n, int64_t num, int64_t den) {
  const double exact = static_cast<double>(n) * static_cast<double>(num) / static_cast<double>(den);
  return static_cast<int64_t>(std::llround(exact));
}

// A logical point to a device pixel under the context's mapping.
void to_device(const HDC__& dc, int64_t x, int64_t y, int64_t& dx, int64_t& dy) {
  const bool scaled = dc.map_mode == MM_ANISOTROPIC && dc.window_ext.cx != 0 && dc.window_ext.cy != 0;
  if (!scaled) {
    dx = x;
    dy = y;
    return;
  }
  dx = dc.viewport_org.x + scale_rounded(x, dc.viewport_ext.cx, dc.window_ext.cx);
  dy = dc.viewport_org.y + scale_rounded(y, dc.viewport_ext.cy, dc.window_ext.cy);
}

// The steps t of [0, n) for which start + t * step stays inside [0, size).
void clip_steps(int64_t start, int step, int64_t size, int64_t n, int64_t& first, int64_t& last) {
  if (step > 0) {
    first = std::max<int64_t>(0, -start);
    last = std::min<int64_t>(n, size - start);
  } else if (step < 0) {
    first = std::max<int64_t>(0, start - size + 1);
    last = std::min<int64_t>(n, start + 1);
  } else {
    first = 0;
    last = (start >= 0 && start < size) ? n : 0;
  }
}

// Covers the start pixel and every pixel up to, not including, the end pixel; clipped to
// the client area. The major axis advances one pixel a step, the other is rounded.
void draw_line(Window_State& window, int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t rgb) {
  const int64_t ddx = x1 - x0;
  const int64_t ddy = y1 - y0;
  const int64_t n = std::max(std::llabs(ddx), std::llabs(ddy));
  if (n == 0) return;
  const bool x_major = std::llabs(ddx) >= std::llabs(ddy);
  int64_t first = 0;
  int64_t last = 0;
  if (x_major)
    clip_steps(x0, ddx > 0 ? 1 : -1, window.width, n, first, last);
  else
    clip_steps(y0, ddy > 0 ? 1 : -1, window.height, n, first, last);
  for (int64_t t = first; t < last; ++t) {
    const int64_t x = x0 + (x_major ? (ddx > 0 ? t : -t) : static_cast<int64_t>(std::llround(
                                                               static_cast<double>(t) * static_cast<double>(ddx) /
                                                               static_cast<double>(n))));
    const int64_t y = y0 + (!x_major ? (ddy > 0 ? t : -t) : static_cast<int64_t>(std::llround(
                                                                static_cast<double>(t) * static_cast<double>(ddy) /
                                                                static_cast<double>(n))));
    if (x < 0 || y < 0 || x >= window.width || y >= window.height) continue;
    window.pixels[static_cast<size_t>(y) * static_cast<size_t>(window.width) + static_cast<size_t>(x)] = rgb;
  }
}

}  // namespace

// ---- Windows -------------------------------------------------------------------------

HWND create_window(int width, int height) {
  World& w = world();
  HWND handle = reinterpret_cast<HWND>(w.next_window);
  w.next_window += WINDOW_HANDLE_STEP;
  w.windows.emplace(handle, std::make_unique<Window_State>());
  resize_window(handle, width, height);
  return handle;
}

void destroy_window(HWND window) {
  World& w = world();
  for (auto it = w.dcs.begin(); it != w.dcs.end();) {
    if (it->second->window == window)
      it = w.dcs.erase(it);
    else
      ++it;
  }
  book::forget_window(window);
  w.windows.erase(window);
}

bool window_exists(HWND window) { return find_window(window) != nullptr; }

void resize_window(HWND window, int width, int height) {
  Window_State* w = find_window(window);
  if (!w) return;
  w->width = std::max(0, width);
  w->height = std::max(0, height);
  w->pixels.assign(static_cast<size_t>(w->width) * static_cast<size_t>(w->height), WINDOW_BACKGROUND);
}

int window_width(HWND window) {
  Window_State* w = find_window(window);
  return w ? w->width : 0;
}

int window_height(HWND window) {
  Window_State* w = find_window(window);
  return w ? w->height : 0;
}

void fill_window(HWND window, uint32_t rgb) {
  if (Window_State* w = find_window(window)) std::fill(w->pixels.begin(), w->pixels.end(), rgb);
}

uint32_t device_pixel(HWND window, int column, int row) {
  Window_State* w = find_window(window);
  if (!w || column < 0 || row < 0 || column >= w->width || row >= w->height) return 0xFFFFFFFFu;
  // The top byte carries nothing (Cairo sets it); only the colour is answered.
  return w->pixels[static_cast<size_t>(row) * static_cast<size_t>(w->width) + static_cast<size_t>(column)] &
         0x00FFFFFFu;
}

uint32_t* window_pixels(HWND window) {
  Window_State* w = find_window(window);
  return w && !w->pixels.empty() ? w->pixels.data() : nullptr;
}

Picture window_picture(HWND window) {
  Window_State* w = find_window(window);
  Picture picture(w ? w->width : 0, w ? w->height : 0, 0);
  if (w) picture.pixels = w->pixels;
  for (uint32_t& p : picture.pixels) p &= 0x00FFFFFFu;  // the top byte carries nothing
  return picture;
}

namespace {

// Writes width x height pixels (0x00RRGGBB, as cairo's RGB24 keeps them) straight from
// where they are, without a copy: a host whose address space is nearly full has no room
// for one. Cairo only reads them.
bool write_pixels_png(const uint32_t* pixels, int width, int height, const std::string& path,
                      std::string& error) {
  static_assert(sizeof(uint32_t) == 4, "a pixel is 32 bits");
  const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, width);
  if (stride != width * 4) {
    error = "the window is too wide for a picture";
    return false;
  }
  cairo_surface_t* surface = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(pixels)), CAIRO_FORMAT_RGB24, width, height, stride);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    error = cairo_status_to_string(cairo_surface_status(surface));
    cairo_surface_destroy(surface);
    return false;
  }
  const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    error = std::string("cannot write ") + path + ": " + cairo_status_to_string(status);
    return false;
  }
  return true;
}

}  // namespace

bool write_png(HWND window, const std::string& path, std::string& error) {
  Window_State* w = find_window(window);
  if (!w) {
    error = "no such window";
    return false;
  }
  if (w->width == 0 || w->height == 0) {
    error = "the window has no pixels";
    return false;
  }
  return write_pixels_png(w->pixels.data(), w->width, w->height, path, error);
}

bool write_png(const Picture& picture, const std::string& path, std::string& error) {
  if (picture.pixels.empty()) {
    error = "the picture has no pixels";
    return false;
  }
  return write_pixels_png(picture.pixels.data(), picture.width, picture.height, path, error);
}

bool window_enabled(HWND window) {
  Window_State* w = find_window(window);
  return w && w->enabled;
}

bool window_shown(HWND window) {
  Window_State* w = find_window(window);
  return w && w->shown;
}

int window_raised(HWND window) {
  Window_State* w = find_window(window);
  return w ? w->raised : 0;
}

int live_dcs() { return static_cast<int>(world().dcs.size()); }

int live_pens() { return static_cast<int>(world().pens.size()); }
uint64_t pens_created() { return world().pens_created; }

}  // namespace hostsim

// ---- The Windows calls ---------------------------------------------------------------

using hostsim::find_dc;
using hostsim::find_pen;
using hostsim::find_window;
using hostsim::world;
using hostsim::Window_State;

extern "C" {

HDC WINAPI GetDC(HWND window) {
  if (hostsim::book::take_get_dc_failure()) return nullptr;
  // No screen is modelled: a context is had only for a live window.
  if (!find_window(window)) return nullptr;
  auto dc = std::make_unique<HDC__>();
  dc->window = window;
  dc->pen = &hostsim::g_stock_pen;
  HDC handle = dc.get();
  world().dcs.emplace(handle, std::move(dc));
  return handle;
}

int WINAPI ReleaseDC(HWND window, HDC dc) {
  HDC__* context = find_dc(dc);
  const bool ok = context && context->window == window;
  if (ok) world().dcs.erase(dc);
  if (hostsim::book::take_release_dc_failure()) return 0;
  return ok ? 1 : 0;
}

BOOL WINAPI GetClientRect(HWND window, RECT* rect) {
  Window_State* w = find_window(window);
  if (!w || !rect) return FALSE;
  *rect = RECT{0, 0, w->width, w->height};
  return TRUE;
}

int WINAPI SetMapMode(HDC dc, int mode) {
  HDC__* context = find_dc(dc);
  if (!context) return 0;
  const int previous = context->map_mode;
  context->map_mode = mode;
  return previous;
}

BOOL WINAPI SetWindowExtEx(HDC dc, int x, int y, SIZE* old_size) {
  return hostsim::set_mapping(dc, &HDC__::window_ext, SIZE{x, y}, old_size);
}

BOOL WINAPI SetViewportExtEx(HDC dc, int x, int y, SIZE* old_size) {
  return hostsim::set_mapping(dc, &HDC__::viewport_ext, SIZE{x, y}, old_size);
}

BOOL WINAPI SetViewportOrgEx(HDC dc, int x, int y, POINT* old_origin) {
  return hostsim::set_mapping(dc, &HDC__::viewport_org, POINT{x, y}, old_origin);
}

HPEN WINAPI CreatePen(int style, int /*width: every pen is one pixel wide*/, COLORREF color) {
  auto pen = std::make_unique<HPEN__>();
  pen->style = style;
  pen->color = color;
  HPEN handle = pen.get();
  world().pens.emplace(handle, std::move(pen));
  ++world().pens_created;
  return handle;
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
  HDC__* context = find_dc(dc);
  if (!context || !find_pen(object)) return nullptr;
  HGDIOBJ previous = context->pen;
  context->pen = object;
  return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
  if (object == &hostsim::g_stock_pen) return TRUE;
  if (!find_pen(object)) return FALSE;
  for (const auto& dc : world().dcs)
    if (dc.second->pen == object) return FALSE;  // still selected: not deleted
  world().pens.erase(static_cast<HPEN>(object));
  return TRUE;
}

BOOL WINAPI MoveToEx(HDC dc, int x, int y, POINT* old_point) {
  HDC__* context = find_dc(dc);
  if (!context) return FALSE;
  if (old_point) *old_point = context->current;
  context->current = POINT{x, y};
  return TRUE;
}

BOOL WINAPI LineTo(HDC dc, int x, int y) {
  HDC__* context = find_dc(dc);
  if (!context) return FALSE;
  Window_State* window = find_window(context->window);
  HPEN__* pen = find_pen(context->pen);
  int64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  hostsim::to_device(*context, context->current.x, context->current.y, x0, y0);
  hostsim::to_device(*context, x, y, x1, y1);
  if (window && pen && pen->style != hostsim::PS_NULL_STYLE)
    hostsim::draw_line(*window, x0, y0, x1, y1, hostsim::colorref_to_rgb(pen->color));
  context->current = POINT{x, y};
  return TRUE;
}

BOOL WINAPI EnableWindow(HWND window, BOOL enable) {
  hostsim::record_call(std::string("EnableWindow ") + (enable ? "1" : "0"));
  Window_State* w = find_window(window);
  if (!w) return FALSE;
  const bool was_disabled = !w->enabled;
  w->enabled = enable != FALSE;
  return was_disabled ? TRUE : FALSE;
}

BOOL WINAPI ShowWindow(HWND window, int command) {
  hostsim::record_call("ShowWindow " + std::to_string(command));
  Window_State* w = find_window(window);
  if (!w) return FALSE;
  const bool was_shown = w->shown;
  w->shown = command != 0;  // 0 is SW_HIDE; every other command leaves it visible
  return was_shown ? TRUE : FALSE;
}

BOOL WINAPI BringWindowToTop(HWND window) {
  hostsim::record_call("BringWindowToTop");
  Window_State* w = find_window(window);
  if (!w) return FALSE;
  ++w->raised;
  return TRUE;
}

void WINAPI InitializeCriticalSection(CRITICAL_SECTION* section) {
  if (section) hostsim::book::lock_initialized_now(section);
}

void WINAPI EnterCriticalSection(CRITICAL_SECTION* section) {
  if (hostsim::book::lock_known(section))
    hostsim::book::lock_entered(section);
  else
    hostsim::book::lock_misused();
}

void WINAPI LeaveCriticalSection(CRITICAL_SECTION* section) { hostsim::book::lock_left(section); }

void WINAPI DeleteCriticalSection(CRITICAL_SECTION* section) { hostsim::book::lock_deleted(section); }

}  // extern "C"
