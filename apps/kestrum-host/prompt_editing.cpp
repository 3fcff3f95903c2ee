// The prompt with libedit (readline-compatible): line editing, history, and completion
// of a line's first word from the action words.
#include <editline/readline.h>

#include <cstdlib>
#include <cstring>

#include "apps/kestrum-host/prompt.h"

namespace console {

namespace {

// The completion callbacks take no context: the words live here.
std::vector<std::string>& completion_words() {
  static std::vector<std::string> words;
  return words;
}

char** complete(const char* text, int start, int) {
  rl_attempted_completion_over = 1;  // no file names
  if (start != 0) return nullptr;
  return rl_completion_matches(text, [](const char* prefix, int state) -> char* {
    static size_t next = 0;
    if (state == 0) next = 0;
    const std::vector<std::string>& words = completion_words();
    while (next < words.size()) {
      const std::string& word = words[next++];
      if (word.compare(0, std::strlen(prefix), prefix) == 0) return strdup(word.c_str());
    }
    return nullptr;
  });
}

// Whether a line has an action to remember: words before any comment.
bool has_words(const std::string& line) {
  const size_t first = line.find_first_not_of(" \t\r\n\v\f");
  return first != std::string::npos && line[first] != '#';
}

}  // namespace

Prompt::Prompt(std::vector<std::string> words) {
  completion_words() = std::move(words);
  rl_attempted_completion_function = complete;
}

bool Prompt::read(std::string& line) {
  char* typed = readline("kestrum> ");
  if (!typed) return false;
  line = typed;
  if (has_words(line)) add_history(typed);
  std::free(typed);
  return true;
}

}  // namespace console
