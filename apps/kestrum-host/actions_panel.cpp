// The panel's actions: register, create and resize the panel window, and snapshot it.
#include <filesystem>
#include <string>

#include "apps/kestrum-host/console.h"
#include "hostsim/output_file.h"
#include "hostsim/windows.h"

namespace console {

namespace {

// The size the module registered, once "panel register" (or "panel create" without a
// size) asked for it.
struct Registered {
  bool known = false;
  int width = 0;
  int height = 0;
};
Registered g_registered;

void register_panel(Session& session) {
  int width = 0;
  const int height = session.module.Ctrl_Register(&width);
  g_registered = Registered{true, width, height};
  session.ret("Ctrl_Register", std::to_string(height) + " " + std::to_string(width));
  session.entry_returned();
}

int parse_size(const std::string& word, const char* what) {
  return static_cast<int>(parse_int(word, 0, 32767, what));
}

HWND require_window(const Session& session) {
  if (!session.panel_window) throw Action_Error("no panel window yet: use \"panel create\" first");
  return session.panel_window;
}

void create_panel(Session& session, const Words& words) {
  expect_args(words, 1, 3, "panel create [W H]");
  if (words.size() == 3) throw Action_Error("usage: panel create [W H]");
  int width = 0;
  int height = 0;
  if (words.size() == 4) {
    width = parse_size(words[2], "width");
    height = parse_size(words[3], "height");
    if (!session.module_loaded) return;
  } else {
    if (!session.module_loaded) return;
    if (!g_registered.known) register_panel(session);
    width = g_registered.width;
    height = g_registered.height;
    if (height < 0) throw Action_Error("the registered height is negative: give W H");
  }
  HWND window = hostsim::create_window(width, height);
  session.panel_window = window;
  const int result = session.module.Ctrl_Create(window, width, height);
  session.ret("Ctrl_Create", std::to_string(result));
  session.entry_returned();
}

void resize_panel(Session& session, const Words& words) {
  expect_args(words, 1, 4, "panel resize [null] [W H]");
  size_t next = 2;
  const bool null_window = words.size() > next && words[next] == "null";
  if (null_window) ++next;
  int width = -1;
  int height = -1;
  if (words.size() - next == 2) {
    width = parse_size(words[next], "width");
    height = parse_size(words[next + 1], "height");
  } else if (words.size() != next) {
    throw Action_Error("usage: panel resize [null] [W H]");
  }
  if (!session.module_loaded) return;
  HWND window = require_window(session);
  HWND passed = null_window ? nullptr : window;
  if (width < 0) {
    width = hostsim::window_width(window);
    height = hostsim::window_height(window);
  } else if (width != hostsim::window_width(window) || height != hostsim::window_height(window)) {
    hostsim::resize_window(window, width, height);
  }
  const int result = session.module.Ctrl_Resize(passed, width, height);
  session.ret("Ctrl_Resize", std::to_string(result));
  session.entry_returned();
}

void panel_action(Session& session, const Words& words) {
  if (words.size() < 2) throw Action_Error("usage: panel register|create|resize ...");
  const std::string& what = words[1];
  if (what == "register") {
    expect_args(words, 1, 1, "panel register");
    if (session.module_loaded) register_panel(session);
  } else if (what == "create") {
    create_panel(session, words);
  } else if (what == "resize") {
    resize_panel(session, words);
  } else {
    throw Action_Error("unknown panel action " + what);
  }
}

void snapshot_action(Session& session, const Words& words) {
  expect_args(words, 1, 1, "snapshot FILE.png");
  const std::string path = picture_file(session, words[1], "snapshot");
  if (!session.module_loaded) return;
  HWND window = require_window(session);
  write_picture(window, path);
}

}  // namespace

std::string picture_file(const Session& session, const std::string& word, const char* action) {
  if (std::filesystem::path(word).extension() != ".png")
    throw Action_Error(std::string(action) + " takes FILE.png: " + word);
  return session.picture_path(word);
}

namespace {
// A window or a picture, written as write_picture says.
template <typename Source>
void write_png_of(const Source& source, const std::string& path) {
  const std::string problem = hostsim::prepare_output_file(path);
  if (!problem.empty()) throw Action_Error(problem);
  std::string error;
  if (!hostsim::write_png(source, path, error)) throw Action_Error(error);
}
}  // namespace

void write_picture(HWND window, const std::string& path) { write_png_of(window, path); }
void write_picture(const hostsim::Picture& picture, const std::string& path) { write_png_of(picture, path); }

void add_panel_actions(Action_Table& table) {
  table.add("panel", panel_action, MODULE | INITIALISED,
            "panel register\tcalls Ctrl_Register: prints the height, then the width\n"
            "panel create [W H]\tmakes the window (W wide, H high), calls Ctrl_Create\n"
            "panel resize [null] [W H]\tcalls Ctrl_Resize: the panel lays out its widgets");
  table.add("snapshot", snapshot_action, PANEL_WINDOW, "snapshot FILE.png\twrites the panel's window as a PNG picture");
}

}  // namespace console
