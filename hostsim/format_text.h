// A printf-style text formatted at any length, for the host services that take a format.
#pragma once

#include <cstdarg>
#include <string>

namespace hostsim {

// Formats `format` with `args` (left unconsumed: the caller still ends them).
std::string format_text(const char* format, va_list args);

}  // namespace hostsim
