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
#include <vector>

#include "hostsim/events.h"
#include "hostsim/module.h"

namespace console {

using Words = std::vector<std::string>;

struct Action_Error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Session {
  hostsim::Module& module;
  bool module_loaded = true;    // false with --no-module: module actions are skipped
  std::string png_dir;          // where relative snapshot paths go (--png-dir; empty: here)
  HWND panel_window = nullptr;  // made by "panel create"; null before
  bool initialised = false;     // "init" has run
  bool log_calls = false;       // also print the host calls ("log calls", --log calls)
  bool bold_marks = false;      // marked spans in bold: standard output is a terminal

  // What the closing summary reports.
  uint64_t loads = 0;        // images and nodes the host loaded
  uint64_t purges = 0;       // automatic purges the module reported
  uint64_t freed_bytes = 0;  // real memory the host gave back while the module was called

  explicit Session(hostsim::Module& loaded) : module(loaded) {}

  // Prints one output line ("ret ...", say) on standard output.
  void print(const std::string& line);
  // Prints "ret ENTRY VALUES" (VALUES may be empty).
  void ret(const std::string& entry, const std::string& values);
  // To be called after every entry-point call: the host delivers deferred updates.
  void entry_returned();
  // Prints one event of the host model's record as it happens: "msg CODE TEXT", or
  // "call TEXT" while call logging is on; counts the purges that messages report.
  void on_event(const hostsim::Event& event);
  // A snapshot path: relative ones lie in png_dir.
  std::string picture_path(const std::string& path) const;
};

// What an action needs before it may run. An action that calls the module is skipped
// without one (--no-module), and so is one that needs the panel's window.
enum Needs : unsigned {
  NOTHING = 0,
  MODULE = 1,        // calls an entry point
  INITIALISED = 2,   // comes after "init", as the module's calling order wants
  PANEL_WINDOW = 4,  // needs the window that "panel create" made
  BEFORE_INIT = 8,   // only makes sense before "init"
};

using Handler = std::function<void(Session&, const Words&)>;

struct Action {
  Handler handler;
  unsigned needs = NOTHING;
};

class Action_Table {
 public:
  void add(const std::string& word, Handler handler, unsigned needs = NOTHING);
  const Action* find(const std::string& word) const;
  std::vector<std::string> words() const;  // in alphabetical order

 private:
  std::map<std::string, Action> actions_;
};

// Word parsing; each throws Action_Error with a short reason.
int64_t parse_int(const std::string& word);          // decimal, or hex with 0x; sign allowed
uint64_t parse_unsigned(const std::string& word);    // decimal, or hex with 0x
uint64_t parse_bytes(const std::string& word);       // a number, optionally K, M or G
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
void add_session_actions(Action_Table& table);    // echo summary

// A script line "WORD: ARGS..." for the command word that Script_Register gave;
// `args` are the words after the colon.
void run_script_line(Session& session, const Words& args);

// The built-in demo's actions, run when the console is given no session.
const char* demo_session();

}  // namespace console
