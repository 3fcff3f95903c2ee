// The host's utility services as a tool sees them: the message window (Error_Fct), the
// byte-count text, the host's window and trace level, and the help and redraw requests.
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <optional>
#include <string>

#include "host/host_services.h"
#include "hostsim/byte_text.h"
#include "hostsim/events.h"
#include "hostsim/format_text.h"
#include "hostsim/machine.h"
#include "hostsim/reset.h"

HWND hwnd = nullptr;  // the host model has no main window of its own
signed char Flag_Trace = 0;

namespace {

bool g_exact_bytes = false;
size_t g_text_length = 0;  // 0: the usual texts
bool g_no_text = false;
std::optional<int64_t> g_last_count;  // what Int_2_Byte converted since the last message

const hostsim::Reset_Registration g_reset{[] {
  g_last_count.reset();
  Flag_Trace = 0;
  g_exact_bytes = false;
  g_text_length = 0;
  g_no_text = false;
}};

// `text` cut or filled with dots to exactly g_text_length characters, in a buffer of its
// own that also lives until the next call.
char* stretch(const char* text) {
  static char stretched[hostsim::MAX_BYTE_TEXT_LENGTH + 1];
  size_t i = 0;
  for (; i < g_text_length && text[i] != '\0'; ++i) stretched[i] = text[i];
  for (; i < g_text_length; ++i) stretched[i] = '.';
  stretched[g_text_length] = '\0';
  return stretched;
}

// "1.50 GiB", "512 KiB", "100 B": a whole number of a unit without decimals. A count
// that two decimals would show as whole ("2.00 GiB" for 2047 MiB) goes down a unit.
void write_human(uint64_t magnitude, bool negative, char* out, size_t size) {
  static const char* const UNITS[] = {"B", "KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
  const char* sign = negative ? "-" : "";
  unsigned unit = 0;
  while (unit + 1 < sizeof UNITS / sizeof UNITS[0] && magnitude >> (10 * (unit + 1)) != 0) ++unit;
  for (;; --unit) {
    const uint64_t scale = uint64_t{1} << (10 * unit);
    if (magnitude % scale == 0) {
      std::snprintf(out, size, "%s%" PRIu64 " %s", sign, magnitude / scale, UNITS[unit]);
      return;
    }
    char number[32];
    std::snprintf(number, sizeof number, "%.2f",
                  static_cast<double>(magnitude) / static_cast<double>(scale));
    const std::string digits = number;
    if (digits.compare(digits.size() - 3, 3, ".00") != 0) {
      std::snprintf(out, size, "%s%s %s", sign, number, UNITS[unit]);
      return;
    }
  }
}

}  // namespace

namespace hostsim {
std::string human_byte_text(uint64_t bytes) {
  char text[64];
  write_human(bytes, false, text, sizeof text);
  return text;
}
void set_exact_bytes(bool exact) { g_exact_bytes = exact; }
void set_byte_text_length(size_t length) {
  g_text_length = length < MAX_BYTE_TEXT_LENGTH ? length : MAX_BYTE_TEXT_LENGTH;
}
void set_no_byte_text(bool on) { g_no_text = on; }
}  // namespace hostsim

// Formats the text at any length and records it under its code.
int Error_Fct(HWND, int code, char* format, ...) {
  if (format == nullptr) return 0;
  va_list args;
  va_start(args, format);
  std::string text = hostsim::format_text(format, args);
  va_end(args);
  hostsim::record_message(code, std::move(text), g_last_count);
  g_last_count.reset();
  return 1;
}

// The text lives in one static buffer, overwritten by the next call.
char* Int_2_Byte(Host_Int64 bytes, char*) {
  static char text[64];
  g_last_count = bytes;
  if (g_no_text) return nullptr;
  if (g_exact_bytes) {
    std::snprintf(text, sizeof text, "%" PRId64, bytes);
  } else {
    const bool negative = bytes < 0;
    // Magnitude in unsigned arithmetic, so that the most negative count has one too.
    const uint64_t magnitude = negative ? uint64_t{0} - static_cast<uint64_t>(bytes)
                                        : static_cast<uint64_t>(bytes);
    write_human(magnitude, negative, text, sizeof text);
  }
  return g_text_length != 0 ? stretch(text) : text;
}

int Fct_Redraw(Host_UInt64 flags, void*, void*, Region_2D*) {
  hostsim::record_call("Fct_Redraw " + hostsim::hex_word(flags));
  return 1;
}

int Fct_Help(char* page, char* entry) {
  hostsim::record_call(std::string("Fct_Help ") + (page ? page : "null") + " " +
                       (entry ? entry : "null"));
  return 1;
}
