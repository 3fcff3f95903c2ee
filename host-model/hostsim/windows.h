// The host's windows as the module sees them: each window is a client area of 32-bit
// pixels (0x00RRGGBB) that the Windows drawing calls of platform/windows_api.h and the
// widget toolkit paint into. Tests and the console read the pixels back, set the pointer
// position that the toolkit's Select answers from, and flip the failure switches of the
// device-context calls.
//
// Coordinates: "window" coordinates have their origin at the bottom-left pixel with y
// upward (as the panel's widgets); "device" rows count from the top row, 0 first (as the
// pixel buffer and a PNG).
#pragma once

#include <cstdint>
#include <string>

#include "hostsim/picture.h"
#include "platform/windows_api.h"

namespace hostsim {

// The colour of a window's client area before anything is painted on it.
constexpr uint32_t WINDOW_BACKGROUND = 0x00C8C8C8;

// A new window whose client area is width x height pixels (0 or more each), enabled and
// not shown. Windows live until destroy_window or the host model's reset.
HWND create_window(int width, int height);
void destroy_window(HWND window);
bool window_exists(HWND window);
// New client size; the client area is cleared to WINDOW_BACKGROUND.
void resize_window(HWND window, int width, int height);
int window_width(HWND window);
int window_height(HWND window);
void fill_window(HWND window, uint32_t rgb);

// One pixel as 0x00RRGGBB; 0xFFFFFFFF outside the client area or for no window.
uint32_t pixel(HWND window, int x, int y);             // window coordinates, y upward
uint32_t device_pixel(HWND window, int column, int row);  // device rows, top row 0
// The client area as it is painted, as a picture of its own (0 x 0 for no window).
Picture window_picture(HWND window);
// The client area as it is painted, top row first; false with the reason in `error`.
bool write_png(HWND window, const std::string& path, std::string& error);
bool write_png(HWND window, const std::string& path);

// Window state set by EnableWindow / ShowWindow / BringWindowToTop (each also recorded as
// a call "EnableWindow 1|0", "ShowWindow N", "BringWindowToTop").
bool window_enabled(HWND window);
bool window_shown(HWND window);
int window_raised(HWND window);  // how many times BringWindowToTop raised it

// Where the pointer is: a window and a position in window coordinates. The toolkit's
// Select tells whether a widget of that window lies under it.
void set_pointer(HWND window, int x, int y);
HWND pointer_window();
int pointer_x();
int pointer_y();

// Device contexts: the next GetDC fails (returns null) / the next ReleaseDC reports
// failure (returns 0; the context is released all the same). Each switch acts once.
void fail_next_get_dc();
void fail_next_release_dc();
int live_dcs();  // contexts handed out by GetDC and not yet released

// Pens: alive now (created, not deleted) and created since the last reset.
int live_pens();
uint64_t pens_created();

// Critical sections as the process models them: a nesting counter per section, so that a
// test can see whether a lock is held. Entering a section that was never initialised is
// counted as a misuse.
int lock_depth(const CRITICAL_SECTION* section);
uint64_t lock_entries(const CRITICAL_SECTION* section);  // Enter calls since initialised
bool lock_initialized(const CRITICAL_SECTION* section);
uint64_t lock_misuses();  // Enter/Leave on an uninitialised section, Leave when not held

// COLORREF (0x00BBGGRR) to a pixel word (0x00RRGGBB) and back.
constexpr uint32_t colorref_to_rgb(COLORREF c) {
  return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
constexpr COLORREF rgb_to_colorref(uint32_t p) { return colorref_to_rgb(p); }

// For the toolkit: the pixel buffer of a window (width * height words, top row first)
// or null for no window.
uint32_t* window_pixels(HWND window);

}  // namespace hostsim
