// The script command "Memory": its help and its one sub-command, "clear", which frees
// images, the undo history or 3-D geometry as the panel's buttons do.
#include <cctype>

#include "accounting/requested_cleanups.h"
#include "host/host_services.h"
#include "plugin/kestrum.h"
#include "plugin/messages.h"

namespace kestrum {
namespace {

constexpr char COMMAND_WORD[] = "Memory";
constexpr char HELP_WORD[] = "help";    // its first 3 characters, case-sensitive
constexpr char CLEAR_WORD[] = "clear";  // its first 3 characters, any case
constexpr char USAGE[] = "\x01Memory: clear (*|images|undo|geom)";
// Written as formats with no arguments: the compiler checks that neither holds a '%'.
constexpr char HELP_HEADING[] = "\xF1\x03------ Memory command -------------";
constexpr char HELP_USAGE[] = "\x01Memory: clear\x02 (*|images|undo|geom)";

// The object words after shortening to three characters.
constexpr char OBJECT_IMAGES[] = "ima";
constexpr char OBJECT_UNDO[] = "und";
constexpr char OBJECT_GEOMETRY[] = "geo";

constexpr int COMPARED_LENGTH = 3;
constexpr int OBJECT_WORD_COUNT = 2;  // "clear" and its object word

// Like a 3-character strncmp (or its case-blind form) that answers only "same or not":
// it stops at the first difference or terminator, so a short word is read no further
// than its end.
bool Same_Start(const char* word, const char* reference, bool ignore_case) {
  for (int i = 0; i < COMPARED_LENGTH; ++i) {
    int a = static_cast<unsigned char>(word[i]);
    int b = static_cast<unsigned char>(reference[i]);
    if (ignore_case) {
      a = std::tolower(a);
      b = std::tolower(b);
    }
    if (a != b) return false;
    if (a == '\0') return true;
  }
  return true;
}

// Cuts a word longer than three characters to its first three, in place. The checks
// run in order, so a shorter word is neither read past its terminator nor written.
void Shorten(char* word) {
  if (word[0] != '\0' && word[1] != '\0' && word[2] != '\0' && word[3] != '\0')
    word[COMPARED_LENGTH] = '\0';
}

}  // namespace
}  // namespace kestrum

using namespace kestrum;

const char* Script_Register(void) { return COMMAND_WORD; }

// 0 for help, for a line that is not a "clear", for a word count the host's check
// refuses, and for a host that hands no usable words (a count below 1, a null array,
// null words): such a line is neither read further nor written. 1 once a clear ran.
int Script_Parse(int nb_arg, char** args) {
  KESTRUM_MESSAGE(MSG_TRACE_ENTRY, "Kestrum: Script_Parse(nb_arg=%d)", nb_arg);
  if (nb_arg < 1 || args == nullptr) return 0;

  // A single word asks for help whatever it is, so "clear" alone is no clear.
  if (nb_arg == 1 || (args[0] != nullptr && Same_Start(args[0], HELP_WORD, false))) {
    KESTRUM_MESSAGE(MSG_HELP, HELP_HEADING);
    KESTRUM_MESSAGE(MSG_HELP, HELP_USAGE);
    return 0;
  }
  if (args[0] == nullptr || !Same_Start(args[0], CLEAR_WORD, true)) return 0;

  // The host reports a wrong count to the user itself.
  if (Script_Arg_Check(Host_Text(USAGE), nb_arg, OBJECT_WORD_COUNT) == 0) return 0;
  char* object = args[1];
  if (object == nullptr) return 0;

  Shorten(object);
  // Independent tests: "*" matches all three and clears them in this order.
  if (Str_Match(Host_Text(OBJECT_IMAGES), object) != 0) Clear_Images();
  if (Str_Match(Host_Text(OBJECT_UNDO), object) != 0) Clear_Undo();
  if (Str_Match(Host_Text(OBJECT_GEOMETRY), object) != 0) Clear_Geometry();
  return 1;
}
