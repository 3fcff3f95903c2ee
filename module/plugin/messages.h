// The module's one way of writing to the host: every text goes to Error_Fct with the
// host's window and a message code. Codes 4, 6 and 11 are always written; the trace
// codes 14, 16 and 18 only when the host's trace level, read afresh at every use and
// compared signed, reaches 4, 6 and 8.
#pragma once

#include "host/host_services.h"

namespace kestrum {

enum Message_Code : int {
  MSG_USER = 4,       // information for the user
  MSG_HELP = 6,       // script help
  MSG_LOG = 11,       // life cycle and drawing failures
  MSG_TRACE_ENTRY = 14,    // one per panel, script or update entry
  MSG_TRACE_MEMORY = 16,   // one per measurement or cleanup call
  MSG_TRACE_VARIABLE = 18, // one per variable read
};

// True when a message of `code` is written at the host's current trace level.
inline bool Message_Enabled(int code) {
  const int level = Flag_Trace;
  switch (code) {
    case MSG_TRACE_ENTRY: return level >= 4;
    case MSG_TRACE_MEMORY: return level >= 6;
    case MSG_TRACE_VARIABLE: return level >= 8;
    default: return true;
  }
}

// Writes `format` with its arguments under `code`, when that code is enabled. Called
// through KESTRUM_MESSAGE, which has the format checked first.
template <typename... Args>
inline void Write_Message(int code, const char* format, Args... args) {
  // Called through a pointer, which carries no format attribute: the format, checked
  // where the message is written, is a variable here.
  int (*const error_fct)(HWND, int, char*, ...) = Error_Fct;
  if (Message_Enabled(code)) error_fct(hwnd, code, Host_Text(format), args...);
}

}  // namespace kestrum

// Writes a message: `format` with its arguments under `code`, when that code is enabled.
// The call of Error_Fct inside sizeof is never made; it is there so that the compiler
// checks the arguments against the format, by Error_Fct's format attribute, at every
// call site: a mismatch fails the build.
#define KESTRUM_MESSAGE(code, format, ...)                                                   \
  (static_cast<void>(sizeof(Error_Fct(hwnd, code, const_cast<char*>(format), ##__VA_ARGS__))), \
   ::kestrum::Write_Message(code, format, ##__VA_ARGS__))
