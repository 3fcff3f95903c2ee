// The interactive prompt, "kestrum> ": with line editing, history and completion of the
// action words where the build has a line editor (libedit on Linux, prompt_editing.cpp),
// plain lines where it has none (a Windows console, prompt_plain.cpp).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace console {

class Prompt {
 public:
  // `words`: what the first word of a line completes to.
  explicit Prompt(std::vector<std::string> words);
  // Shows the prompt and reads one line; false at the end of the input.
  bool read(std::string& line);
};

// One line of `in` without its '\n', NUL bytes included; false at the end of the input.
inline bool read_line(std::FILE* in, std::string& line) {
  line.clear();
  for (int c = std::getc(in); c != EOF; c = std::getc(in)) {
    if (c == '\n') return true;
    line += static_cast<char>(c);
  }
  return !line.empty();
}

}  // namespace console
