// A printf-style text formatted at any length, for the host services that take a format.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>

namespace hostsim {

// Formats `format` with `args` (left unconsumed: the caller still ends them).
std::string format_text(const char* format, va_list args);

// The short form in which the host writes a byte count: "1.50 GiB", "512 KiB", "100 B".
std::string human_byte_text(uint64_t bytes);

}  // namespace hostsim
