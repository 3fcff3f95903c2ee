#include "hostsim/format_text.h"

#include <cstdio>

namespace hostsim {

std::string format_text(const char* format, va_list args) {
  va_list measure;
  va_copy(measure, args);
  const int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  std::string text;
  if (length <= 0) return text;
  va_list write;
  va_copy(write, args);
  text.resize(static_cast<size_t>(length) + 1);
  std::vsnprintf(&text[0], text.size(), format, write);
  va_end(write);
  text.resize(static_cast<size_t>(length));
  return text;
}

}  // namespace hostsim
