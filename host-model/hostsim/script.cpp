// The host's side of script commands: the argument-count check that a tool asks for,
// and the word matching by which a tool tests a script word.
#include <cctype>
#include <string>

#include "host/host_services.h"
#include "hostsim/events.h"

namespace {

// The message code under which the host itself reports a script line it refuses.
constexpr int SCRIPT_REPORT_CODE = 5;

bool same_ignoring_case(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const int x = std::tolower(static_cast<unsigned char>(*a));
    const int y = std::tolower(static_cast<unsigned char>(*b));
    if (x != y) return false;
    if (x == '\0') return true;
  }
}

}  // namespace

// Records the check; a count that does not fit is reported with the tool's usage text.
int Script_Arg_Check(char* usage, int count, int expected) {
  if (hostsim::recording())
    hostsim::record_call("Script_Arg_Check " + std::to_string(count) + " " + std::to_string(expected));
  if (count == expected) return 1;
  if (hostsim::recording())
    hostsim::record_message(SCRIPT_REPORT_CODE,
                            std::string("Wrong number of arguments: ") + (usage ? usage : ""));
  return 0;
}

// The text "*" matches every word; any other text matches a word equal to it as a whole,
// letter case aside ("IMA" matches "ima", "im" does not). Nothing matches a null.
int Str_Match(char* word, char* text) {
  if (word == nullptr || text == nullptr) return 0;
  if (text[0] == '*' && text[1] == '\0') return 1;
  return same_ignoring_case(word, text) ? 1 : 0;
}
