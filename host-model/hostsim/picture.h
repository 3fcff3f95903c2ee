// A picture of the host model's own, drawn off screen (no window shows it): 32-bit pixels
// 0x00RRGGBB, top row first, as a window's client area keeps them. A Painter draws on it
// (painter.h) and write_png writes it, with the platform's drawing and PNG writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace hostsim {

struct Picture {
  Picture(int width, int height, uint32_t rgb)
      : width(width > 0 ? width : 0),
        height(height > 0 ? height : 0),
        pixels(static_cast<size_t>(this->width) * static_cast<size_t>(this->height), rgb) {}

  int width, height;
  std::vector<uint32_t> pixels;
};

// Writes `picture` as a PNG file; false with the reason in `error`.
bool write_png(const Picture& picture, const std::string& path, std::string& error);

}  // namespace hostsim
