// The session's own lines: echo, which prints a text so that a long session reads as a
// story, and summary, which tells what the host went through.
#include <string>

#include "apps/kestrum-host/console.h"
#include "host/host_services.h"
#include "hostsim/real_memory.h"

namespace console {

namespace {

// echo TEXT...: the words joined by one blank, control bytes shown as \xNN.
void echo(Session& session, const Words& words) {
  std::string line;
  for (size_t i = 1; i < words.size(); ++i) line += (i > 1 ? " " : "") + words[i];
  session.print(hostsim::printable(line));
}

std::string byte_text(uint64_t bytes) {
  return Int_2_Byte(static_cast<int64_t>(bytes), nullptr);
}

// summary: the loads, the purges the module reported, the real memory the host's data
// gave back while the module was at work (purges, buttons, script lines) and the real
// memory the host's data holds now.
void summary(Session& session, const Words& words) {
  expect_args(words, 0, 0, "summary");
  const auto count = [](uint64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  session.print("summary: " + count(session.loads, "image loaded", "images loaded") + ", " +
                count(session.purges, "purge", "purges") + ", " + byte_text(session.freed_bytes) +
                " freed by the module, " + byte_text(hostsim::real_bytes_held()) + " held");
}

}  // namespace

void add_session_actions(Action_Table& table) {
  table.add("echo", echo);
  table.add("summary", summary);
}

}  // namespace console
