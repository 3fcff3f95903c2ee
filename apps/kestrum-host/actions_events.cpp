// The panel's events and the host's update notifications: open, close, show, hide,
// draw, query, the pointer's moves, clicks, help requests and departure, scroll steps
// and update words. Each calls one entry point, prints what it returned and then lets
// the host deliver the updates that the call queued.
#include <cstdint>
#include <string>

#include "apps/kestrum-host/console.h"
#include "apps/kestrum-host/panel_widgets.h"
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
    if (session.module_loaded) returned(session, name, (session.module.*entry)());
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

// motion / click / help X Y [WORD], or WIDGET [WORD]: the pointer goes to (X, Y) in the
// panel window first, so that the toolkit's Select sees it there; a widget's name stands
// for the point of it nearest its centre that no other widget covers. The line
// "pointer X Y WIDGET" says which widget is on top there ("none" for none).
Handler pointer(kestrum::Ctrl_Pointer_Fn hostsim::Module::*entry, const char* name, const char* usage) {
  return [entry, name, usage](Session& session, const Words& words) {
    expect_args(words, 1, 3, usage);
    const bool named = is_widget_word(words[1]);
    if (words.size() != (named ? 2u : 3u) && words.size() != (named ? 3u : 4u))
      throw Action_Error(std::string("usage: ") + usage);
    if (named) expect_widget_name(words[1]);
    int16_t x = named ? 0 : position(words[1]);
    int16_t y = named ? 0 : position(words[2]);
    const size_t word_at = named ? 2 : 3;
    const int word = words.size() > word_at ? word32(words[word_at], "word") : LEFT_BUTTON;
    if (!session.module_loaded) return;
    if (named) {
      const Window_Point point = widget_point(session.panel_window, words[1]);
      x = static_cast<int16_t>(point.x);
      y = static_cast<int16_t>(point.y);
    }
    session.print("pointer " + std::to_string(x) + " " + std::to_string(y) + " " +
                  widget_at(session.panel_window, x, y));
    hostsim::set_pointer(session.panel_window, x, y);
    returned(session, name, (session.module.*entry)(nullptr, word, x, y));
  };
}

void scroll(Session& session, const Words& words) {
  expect_args(words, 1, 1, "scroll N");
  const int value = word32(words[1], "scroll value");
  if (session.module_loaded) returned(session, "Ctrl_Scroll", session.module.Ctrl_Scroll(nullptr, value));
}

void update(Session& session, const Words& words) {
  expect_args(words, 1, 1, "update WORD");
  const uint64_t word = parse_word(words[1], "update word");
  if (session.module_loaded) returned(session, "Update_A", session.module.Update_A(word));
}

}  // namespace

// The panel's events come once the panel has its window; Ctrl_Query and the host's
// updates only need the module initialised.
void add_event_actions(Action_Table& table) {
  using M = hostsim::Module;
  const unsigned panel = MODULE | INITIALISED | PANEL_WINDOW;
  table.add("open", plain(&M::Ctrl_Open, "Ctrl_Open"), panel, "open\tcalls Ctrl_Open: measures, draws the columns and bars");
  table.add("close", plain(&M::Ctrl_Close, "Ctrl_Close"), panel, "close\tcalls Ctrl_Close");
  table.add("show", plain(&M::Ctrl_Show, "Ctrl_Show"), panel, "show\tcalls Ctrl_Show: the window is shown (nothing drawn)");
  table.add("hide", plain(&M::Ctrl_Hide, "Ctrl_Hide"), panel, "hide\tcalls Ctrl_Hide");
  table.add("draw", plain(&M::Ctrl_Draw, "Ctrl_Draw"), panel, "draw\tcalls Ctrl_Draw: once open and shown, the whole panel");
  table.add("query", plain(&M::Ctrl_Query, "Ctrl_Query"), MODULE | INITIALISED, "query\tcalls Ctrl_Query: 1 while the panel is open");
  table.add("leave", plain(&M::Ctrl_Leave, "Ctrl_Leave"), panel, "leave\tcalls Ctrl_Leave: the pointer left the panel");
  table.add("motion", pointer(&M::Ctrl_Motion, "Ctrl_Motion", "motion X Y [WORD] | motion WIDGET [WORD]"), panel,
            "motion X Y|WIDGET [WORD]\tcalls Ctrl_Motion there (X, Y: from the bottom left)");
  table.add("click", pointer(&M::Ctrl_Click, "Ctrl_Click", "click X Y [WORD] | click WIDGET [WORD]"), panel,
            "click X Y|WIDGET [WORD]\tcalls Ctrl_Click there (WORD default 1: the left button)");
  table.add("help", pointer(&M::Ctrl_Help, "Ctrl_Help", "help X Y [KEY] | help WIDGET [KEY]"), panel,
            "help X Y|WIDGET [KEY]\tcalls Ctrl_Help there; \"help\" alone: this list");
  table.add("scroll", scroll, panel, "scroll N\tcalls Ctrl_Scroll");
  table.add("update", update, MODULE | INITIALISED, "update WORD\tcalls Update_A (0x40000000: memory changed)");
}

}  // namespace console
