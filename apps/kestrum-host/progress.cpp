#include "apps/kestrum-host/progress.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "hostsim/platform.h"

namespace console {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto QUIET_START = std::chrono::seconds(1);
constexpr auto REDRAW_EVERY = std::chrono::milliseconds(100);

bool usable_terminal(std::FILE* stream) {
  const char* term = std::getenv("TERM");
  return hostsim::is_terminal(stream) && !(term && std::strcmp(term, "dumb") == 0);
}

}  // namespace

void Progress::begin(size_t total_lines) {
  enabled_ = usable_terminal(stderr);
  shares_terminal_ = hostsim::is_terminal(stdout);
  total_ = total_lines;
  actions_ = 0;
  start_ = Clock::now();
}

void Progress::before_line() {
  if (shares_terminal_) erase();
}

void Progress::after_line(unsigned number) {
  ++actions_;
  if (!enabled_) return;
  const auto now = Clock::now();
  if (now - start_ < QUIET_START || (shown_ && now - drawn_ < REDRAW_EVERY)) return;
  drawn_ = now;
  draw(number);
}

void Progress::draw(unsigned number) {
  char text[96];
  if (total_ > 0)
    std::snprintf(text, sizeof text, "kestrum-host: %zu actions, line %u of %zu", actions_, number, total_);
  else
    std::snprintf(text, sizeof text, "kestrum-host: %zu actions, line %u", actions_, number);
  std::fflush(stdout);
  std::fprintf(stderr, "\r\033[K%s", text);
  std::fflush(stderr);
  shown_ = true;
}

void Progress::erase() {
  if (!shown_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  shown_ = false;
}

}  // namespace console
