// The one picture format the host model hands GDI and reads back: 32-bit 0x00RRGGBB
// pixels, top row first.
#pragma once

#include <windows.h>

namespace hostsim {

inline BITMAPINFO top_down_bitmap(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // negative: top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace hostsim
