// The host console's session machinery: a table of actions, one handler a word, each
// subsystem adding its own from its own file. A handler gets the session and the
// line's words (words[0] is the action word) and throws Action_Error when the line is
// wrong; the console then prints "error: LINE: WHY" and, in a session file, stops.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "hostsim/events.h"
#include "hostsim/module.h"
#include "hostsim/picture.h"
#include "hostsim/printable.h"

namespace console {

using Words = std::vector<std::string>;

// How the module's purge report (a message of code 4) begins; the amount follows.
constexpr std::string_view PURGE_REPORT = "The memory manager has cleared ";

// The reason is kept as it will be shown: control bytes, bytes from 0x7F up and NUL
// bytes as \xNN, so that a word of the user's is shown whole and cannot act on a terminal.
struct Action_Error : std::runtime_error {
  explicit Action_Error(const std::string& why) : std::runtime_error(hostsim::printable(why)) {}
};
// What does not read as a number at all (as against a number out of its field's range).
struct Not_A_Number : Action_Error {
  using Action_Error::Action_Error;
};

// Whether a line's first word is a script command word ("Memory:"): the line goes to the
// tool that registered that word, not to an action.
inline bool is_script_word(const std::string& word) { return word.size() > 1 && word.back() == ':'; }

struct Session {
  hostsim::Module& module;
  bool module_loaded = true;    // false with --no-module: a module action reads its words,
                                // then stops before the call (see Needs)
  std::string png_dir;          // where relative snapshot paths go (--png-dir; empty: here)
  HWND panel_window = nullptr;  // made by "panel create"; null before
  bool initialised = false;     // "init" has run
  bool exited = false;          // "exit" has run: only the constant answers may follow
  bool log_calls = false;       // also print the host calls ("log calls", --log calls)
  bool bold_marks = false;      // marked spans in bold: standard output is a terminal

  bool quit = false;            // "quit" ran: the session ends after this line

  // What the closing summary reports. What the host's data gave back is read from the
  // host's own figures (real memory or not) around every call into the module.
  uint64_t loads = 0;          // images and nodes the host loaded
  uint64_t purges = 0;         // automatic purges the module reported
  uint64_t purged_bytes = 0;   // what the images gave back in calls that purged
  uint64_t clears = 0;         // kinds of data that gave back bytes in other calls
  uint64_t cleared_bytes = 0;  // what they gave back

  explicit Session(hostsim::Module& loaded) : module(loaded) {}

  // Prints one output line ("ret ...", say) on standard output.
  void print(const std::string& line);
  // Prints "ret ENTRY VALUES" (VALUES may be empty), control bytes in VALUES as \xNN.
  void ret(const std::string& entry, const std::string& values);
  // To be called after every entry-point call: the host delivers deferred updates.
  void entry_returned();
  // Prints one event of the host model's record as it happens: "msg CODE TEXT", or
  // "call TEXT" while call logging is on; counts the purges that messages report.
  void on_event(const hostsim::Event& event);
  // Starts or stops printing host calls; the host model records them only meanwhile.
  void set_log_calls(bool on);
  // A snapshot path: relative ones lie in png_dir.
  std::string picture_path(const std::string& path) const;
};

// What an action needs before it may run. Without a module (--no-module) an action that
// calls the module, or needs the panel's window, is not checked for the calling order;
// its handler reads its words (a wrong line is an error as with the module) and returns
// before it would call the module or touch the window.
// Every action that calls the module is refused after "exit", unless it only asks for
// constant answers (ANY_TIME), as a host may at any time.
enum Needs : unsigned {
  NOTHING = 0,
  MODULE = 1,        // calls an entry point
  INITIALISED = 2,   // comes after "init", as the module's calling order wants
  PANEL_WINDOW = 4,  // needs the window that "panel create" made
  BEFORE_INIT = 8,   // only makes sense before "init"
  ANY_TIME = 16,     // with MODULE: also after "exit"
};

using Handler = std::function<void(Session&, const Words&)>;

// An action's lines in "help": one or more lines "USAGE\tWHAT IT DOES", joined by '\n'.
struct Action {
  Handler handler;
  unsigned needs = NOTHING;
  std::string help;
};

class Action_Table {
 public:
  void add(const std::string& word, Handler handler, unsigned needs, std::string help);
  const Action* find(const std::string& word) const;
  std::vector<std::string> words() const;  // in alphabetical order
  // The help lines of every action, in alphabetical order, then those of `more`, each
  // usage padded to one width.
  std::vector<std::string> help_lines(const std::string& more = "") const;

 private:
  std::map<std::string, Action> actions_;
};

// Word parsing. Numbers are decimal, or hexadecimal after 0x, with an optional sign;
// byte counts may end in K, M or G. What does not read as a number throws Not_A_Number
// ("not a number: WORD"); a number outside its field throws Action_Error naming the field
// and the range it takes ("WHAT out of range LEAST..MOST: WORD").
int64_t parse_int(const std::string& word, int64_t least, int64_t most, const char* what);
uint64_t parse_word(const std::string& word, const char* what);  // any 64-bit word, unsigned
uint64_t parse_bytes(const std::string& word, const char* what = "byte count",
                     uint64_t most = UINT64_MAX);
int64_t parse_signed_bytes(const std::string& word, int64_t least, int64_t most, const char* what);
// Throws unless words.size() - 1 lies in [least, most]; `usage` goes into the reason.
void expect_args(const Words& words, size_t least, size_t most, const char* usage);

// Each subsystem's actions, in its own file.
void add_lifecycle_actions(Action_Table& table);  // names init exit trace machine limit gpu
                                                  // delivery log set unset
void add_data_actions(Action_Table& table);       // node drop root image undo object3d file3d
                                                  // tag3d iterator
void add_panel_actions(Action_Table& table);      // panel snapshot
void add_event_actions(Action_Table& table);      // open close show hide draw query motion
                                                  // click leave help scroll update
void add_script_actions(Action_Table& table);     // get
void add_session_actions(Action_Table& table);    // echo summary quit
void add_widget_actions(Action_Table& table);     // widgets map

// The picture file that "snapshot FILE.png" or "map FILE.png" names (relative ones lie in
// the picture folder); throws unless it ends in .png.
std::string picture_file(const Session& session, const std::string& word, const char* action);
// Writes the window, or a picture, as a PNG file into `path`; throws with the reason
// when it cannot.
void write_picture(HWND window, const std::string& path);
void write_picture(const hostsim::Picture& picture, const std::string& path);

// What the host's data hold by the host's own figures, real memory or not: the images,
// the undo history (a negative figure as 0) and the 3-D geometry.
struct Host_Figures {
  uint64_t images, undo, geometry;
  uint64_t total() const { return images + undo + geometry; }
};
Host_Figures host_figures();

// Calls Exit as the "exit" action does: also when a session that ran "init" ends
// without "exit", as a host calls Exit before it unloads a tool.
void call_exit(Session& session);

// A script line "WORD: ARGS..." for the command word that Script_Register gave;
// `args` are the words after the colon.
void run_script_line(Session& session, const Words& args);

// The built-in demo's actions, run when the console is given no session.
const char* demo_session();

}  // namespace console
