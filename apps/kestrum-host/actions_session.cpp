// The session's own lines: echo, which prints a text so that a long session reads as a
// story, summary, which tells what the host went through, and quit.
#include <string>

#include "apps/kestrum-host/console.h"
#include "host/host_services.h"
#include "hostsim/db2d.h"
#include "hostsim/db3d.h"
#include "hostsim/undo.h"

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

std::string count(uint64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// summary: the loads; with the module, its purges and the clears asked of it (buttons and
// script lines), each with what the host's data gave back; what the host's data hold now.
void summary(Session& session, const Words& words) {
  expect_args(words, 0, 0, "summary");
  std::string line = "summary: " + count(session.loads, "image loaded", "images loaded") + ", ";
  if (session.module_loaded)
    line += count(session.purges, "purge", "purges") + " freed " + byte_text(session.purged_bytes) + ", " +
            count(session.clears, "clear", "clears") + " freed " + byte_text(session.cleared_bytes) + ", ";
  line += byte_text(host_figures().total()) + " held";
  session.print(line + (session.module_loaded ? "" : ", without the module"));
}

// quit: the session ends here, as at the end of its input.
void quit(Session& session, const Words& words) {
  expect_args(words, 0, 0, "quit");
  session.quit = true;
}

}  // namespace

Host_Figures host_figures() {
  const int64_t undo = hostsim::undo_bytes();
  return {hostsim::image_bytes(), undo > 0 ? static_cast<uint64_t>(undo) : 0, hostsim::geometry_bytes()};
}

void add_session_actions(Action_Table& table) {
  table.add("echo", echo, NOTHING, "echo TEXT...\tprints the text");
  table.add("summary", summary, NOTHING, "summary\tprints the loads, what purges and clears freed, what is held");
  table.add("quit", quit, NOTHING, "quit\tends the session here");
}

}  // namespace console
