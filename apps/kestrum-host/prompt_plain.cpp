// The prompt without a line editor: the prompt, then a plain line (a Windows console
// ends it with "\r\n").
#include "apps/kestrum-host/prompt.h"

namespace console {

Prompt::Prompt(std::vector<std::string>) {}

bool Prompt::read(std::string& line) {
  std::fputs("kestrum> ", stdout);
  std::fflush(stdout);
  if (!read_line(stdin, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace console
