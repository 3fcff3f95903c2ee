// The panel's events and the host's update notifications: open, close, show, hide,
// draw, query, the pointer's moves, clicks, help requests and departure, scroll steps
// and update words. Each calls one entry point, prints what it returned and then lets
// the host deliver the updates that the call queued.
#include <cstdint>
#include <string>

#include "apps/kestrum-host/console.h"
#include "hostsim/windows.h"

namespace console {

namespace {

// The host's mouse-button word for "left button pressed"; the toolkit's Select takes any
// non-zero word with the pointer over the widget as a press.
constexpr int LEFT_BUTTON = 1;

void returned(Session& session, const std::string& entry, int value) {
  session.ret(entry, std::to_string(value));
  session.entry_returned();
}

// An entry point without arguments: open, close, show, hide, draw, query, leave.
Handler plain(kestrum::Ctrl_Plain_Fn hostsim::Module::*entry, const char* name) {
  return [entry, name](Session& session, const Words& words) {
    expect_args(words, 0, 0, words[0].c_str());
    returned(session, name, (session.module.*entry)());
  };
}

int16_t position(const std::string& word) {
  return static_cast<int16_t>(parse_int(word, INT16_MIN, INT16_MAX, "position"));
}

// A 32-bit word, written signed or as its unsigned bits (0xFFFFFFFF reads as -1).
int word32(const std::string& word, const char* what) {
  const int64_t value = parse_int(word, INT32_MIN, UINT32_MAX, what);
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

// motion / click / help X Y [WORD]: the pointer goes to (X, Y) in the panel window
// first, so that the toolkit's Select sees it there.
Handler pointer(kestrum::Ctrl_Pointer_Fn hostsim::Module::*entry, const char* name, const char* usage) {
  return [entry, name, usage](Session& session, const Words& words) {
    expect_args(words, 2, 3, usage);
    const int16_t x = position(words[1]);
    const int16_t y = position(words[2]);
    const int word = words.size() > 3 ? word32(words[3], "word") : LEFT_BUTTON;
    hostsim::set_pointer(session.panel_window, x, y);
    returned(session, name, (session.module.*entry)(nullptr, word, x, y));
  };
}

void scroll(Session& session, const Words& words) {
  expect_args(words, 1, 1, "scroll N");
  returned(session, "Ctrl_Scroll", session.module.Ctrl_Scroll(nullptr, word32(words[1], "scroll value")));
}

void update(Session& session, const Words& words) {
  expect_args(words, 1, 1, "update WORD");
  returned(session, "Update_A", session.module.Update_A(parse_word(words[1], "update word")));
}

}  // namespace

// The panel's events come once the panel has its window; Ctrl_Query and the host's
// updates only need the module initialised.
void add_event_actions(Action_Table& table) {
  using M = hostsim::Module;
  const unsigned panel = MODULE | INITIALISED | PANEL_WINDOW;
  table.add("open", plain(&M::Ctrl_Open, "Ctrl_Open"), panel);
  table.add("close", plain(&M::Ctrl_Close, "Ctrl_Close"), panel);
  table.add("show", plain(&M::Ctrl_Show, "Ctrl_Show"), panel);
  table.add("hide", plain(&M::Ctrl_Hide, "Ctrl_Hide"), panel);
  table.add("draw", plain(&M::Ctrl_Draw, "Ctrl_Draw"), panel);
  table.add("query", plain(&M::Ctrl_Query, "Ctrl_Query"), MODULE | INITIALISED);
  table.add("leave", plain(&M::Ctrl_Leave, "Ctrl_Leave"), panel);
  table.add("motion", pointer(&M::Ctrl_Motion, "Ctrl_Motion", "motion X Y [WORD]"), panel);
  table.add("click", pointer(&M::Ctrl_Click, "Ctrl_Click", "click X Y [WORD]"), panel);
  table.add("help", pointer(&M::Ctrl_Help, "Ctrl_Help", "help X Y [KEY]"), panel);
  table.add("scroll", scroll, panel);
  table.add("update", update, MODULE | INITIALISED);
}

}  // namespace console
