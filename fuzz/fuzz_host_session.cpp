// Whole host sessions: the input is a sequence of host actions, one byte naming the
// action and the bytes after it its arguments. The host builds and changes its data
// (image trees with cleanup releases and nodes removed by cleanups, images of any extents
// and sample widths, undo figures, 3-D objects, files and tags with or without movie
// tables, missing variables, a null root), its machine and GPU, its windows, its trace
// level and how it delivers updates, and calls the module's entry points in any order,
// before Init and after Exit included. After every action the host must be intact.
//
// The module stays loaded from one input to the next, as in a long host session; the
// host model starts afresh for each input. Host data is kept consistent, as a real host
// keeps it: counts never exceed the tables they describe.
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/harness.h"
#include "host/host_services.h"
#include "hostsim/byte_text.h"
#include "hostsim/db2d.h"
#include "hostsim/db3d.h"
#include "hostsim/gpu.h"
#include "hostsim/machine.h"
#include "hostsim/toolkit.h"
#include "hostsim/undo.h"
#include "hostsim/updates.h"
#include "hostsim/variables.h"
#include "hostsim/windows.h"

namespace {

constexpr size_t MOST_ACTIONS = 96;
constexpr size_t MOST_NODES = 200;
constexpr size_t NAME_DEPTH = 24;
constexpr uint32_t MOST_FILES = 4;
constexpr size_t MOST_WINDOWS = 6;

const char* const VARIABLES[] = {
    "$DB_2D_FILE_NB", "$DB_2D_FILE_PT", "$DB_2D_ROOT_PT", "$DB_3D_FILE_NB", "$DB_3D_FILE_PT",
    "$DB_3D_TAG_NB", "$DB_3D_TAG_PT", "$INTERFACE_TITLE_DIM_BIG", "$INTERFACE_SPACE_DIM",
    "$INTERFACE_BUTTON_DIM_SML", "$INTERFACE_BORDER_DIM", "$INTERFACE_TITLE_FONT_NAME",
    "$INTERFACE_TITLE_FONT_WEIGHT", "$INTERFACE_TITLE_FONT_SCALE", "$INTERFACE_TOOL_FONT_NAME",
    "$INTERFACE_TOOL_FONT_WEIGHT", "$INTERFACE_TOOL_FONT_SCALE"};
constexpr int DATA_VARIABLES = 7;  // the first seven: storage the host model owns
constexpr int VARIABLE_COUNT = sizeof VARIABLES / sizeof VARIABLES[0];

// What the session knows of the host's data, to keep its changes consistent.
struct Session {
  explicit Session(fuzz::Input& input) : in(input) {}

  fuzz::Input& in;
  std::vector<std::string> nodes{"/"};
  std::vector<int32_t> images_in_file;  // images added to each 2-D file record
  std::vector<size_t> file3d_movies;    // entries of each 3-D file's movie table
  std::vector<size_t> tag_movies;       // of each tag's table
  std::vector<HWND> windows;
  int objects = 0;
  bool registered = true;  // fresh_host registers the module for its updates

  // A node that still exists (cleanups may remove nodes), or the root.
  std::string some_node() {
    while (nodes.size() > 1) {
      const size_t at = static_cast<size_t>(in.range(0, static_cast<int>(nodes.size()) - 1));
      if (hostsim::node_exists(nodes[at])) return nodes[at];
      nodes.erase(nodes.begin() + static_cast<std::ptrdiff_t>(at));
    }
    return "/";
  }

  // A created window, none, or a handle the host never made.
  HWND some_window() {
    const int pick = in.range(0, static_cast<int>(windows.size()) + 1);
    if (pick < static_cast<int>(windows.size())) return windows[static_cast<size_t>(pick)];
    return pick == static_cast<int>(windows.size()) ? nullptr : reinterpret_cast<HWND>(uintptr_t{0x7777});
  }

  // Releases of up to three levels (any level, 15 to 5 mostly) adding up to `bytes`.
  std::vector<hostsim::Level_Release> releases(uint64_t bytes) {
    std::vector<hostsim::Level_Release> out;
    const int count = in.range(0, 3);
    for (int i = 0; i < count; ++i) {
      const int level = in.range(0, 20);
      const uint64_t drawn = in.bytes();
      const uint64_t share = bytes == UINT64_MAX ? drawn : drawn % (bytes + 1);
      bytes -= share;
      out.push_back({static_cast<unsigned short>(level), share});
    }
    return out;
  }

  std::vector<std::optional<uint32_t>> movies() {
    std::vector<std::optional<uint32_t>> out;
    const int count = in.range(0, 4);
    for (int i = 0; i < count; ++i) {
      if (in.byte() % 4 == 0)
        out.push_back(std::nullopt);
      else
        out.push_back(in.number<uint32_t>());
    }
    return out;
  }

  // The tags the module's geometry cleanup destroyed are gone from the session too.
  void sync_tags() {
    if (hostsim::tag3d_count() < tag_movies.size()) tag_movies.clear();
  }

  // A 3-D file or tag with a movie table, or with a movie count and no table.
  void add_movie_record(bool tag) {
    if (tag) sync_tags();
    std::vector<size_t>& tables = tag ? tag_movies : file3d_movies;
    const std::vector<std::optional<uint32_t>> list = movies();
    if (in.flag()) {
      (tag ? hostsim::add_tag3d : hostsim::add_file3d)(list);
      tables.push_back(list.size());
    } else {
      (tag ? hostsim::add_tag3d_without_table : hostsim::add_file3d_without_table)(in.number<int32_t>());
      tables.push_back(0);
    }
  }

  void host_data(uint8_t action);
  void host_setting(uint8_t action);
  void entry_point(uint8_t action);
  void step();
};

void Session::host_data(uint8_t action) {
  switch (action) {
    case 0: {  // a node below an existing one, or new bytes and releases for one
      const std::string parent = some_node();
      const bool existing = in.flag();
      if (!existing && (nodes.size() >= MOST_NODES || parent.size() / 2 >= NAME_DEPTH)) break;
      const std::string path =
          existing ? parent : (parent == "/" ? "" : parent) + "/" + std::to_string(in.byte() % 8);
      const uint64_t bytes = in.bytes();
      hostsim::add_node(path, bytes, releases(bytes));
      if (!existing) nodes.push_back(path);
      break;
    }
    case 1: {
      const std::string node = some_node();
      if (node != "/") hostsim::drop_node(node);
      break;
    }
    case 2: {  // a cleanup of one node removes another, neither it nor above it
      const std::string node = some_node();
      const std::string target = some_node();
      if (target == "/" || target == node || node.compare(0, target.size() + 1, target + "/") == 0) break;
      hostsim::drop_on_cleanup(node, static_cast<unsigned short>(in.range(0, 20)), target);
      break;
    }
    case 3: hostsim::set_root_present(in.flag()); break;
    case 4: {  // an image of any extents, sample width and samples per element
      const uint32_t file = static_cast<uint32_t>(in.range(0, MOST_FILES - 1));
      hostsim::add_image(file, in.number<uint16_t>(), in.number<uint16_t>(), in.number<uint16_t>(),
                         in.number<uint16_t>(), in.number<uint16_t>(), in.byte());
      if (images_in_file.size() <= file) images_in_file.resize(file + 1, 0);
      ++images_in_file[file];
      break;
    }
    case 5: {  // a file record claims fewer images than its table holds, or a negative count
      if (images_in_file.empty()) break;
      const uint32_t file = static_cast<uint32_t>(in.range(0, static_cast<int>(images_in_file.size()) - 1));
      hostsim::set_image_count(file, in.range(-3, images_in_file[file]));
      break;
    }
    case 6: hostsim::set_undo_bytes(in.number<int32_t>()); break;
    case 7:
      if (objects < 32) hostsim::add_object3d("object" + std::to_string(objects++), in.bytes(), in.bytes());
      break;
    case 8: add_movie_record(false); break;
    case 9: add_movie_record(true); break;
    case 10: {  // a movie count lowered, or made negative, in a file or a tag with a table
      sync_tags();
      const bool tag = in.flag();
      std::vector<size_t>& tables = tag ? tag_movies : file3d_movies;
      if (tables.empty()) break;
      const size_t at = static_cast<size_t>(in.range(0, static_cast<int>(tables.size()) - 1));
      if (tables[at] == 0) break;  // no table: any count is consistent already
      const int32_t count = in.range(-2, static_cast<int>(tables[at]));
      if (tag)
        hostsim::set_tag3d_movie_count(static_cast<uint32_t>(at), count);
      else
        hostsim::set_file3d_movie_count(static_cast<uint32_t>(at), count);
      break;
    }
    case 11: {  // a null entry in the tag table
      sync_tags();
      if (!tag_movies.empty())
        hostsim::clear_tag3d_entry(static_cast<uint32_t>(in.range(0, static_cast<int>(tag_movies.size()) - 1)));
      break;
    }
    case 12: hostsim::set_iterator_available(in.flag()); break;
    case 13: {  // a variable disappears, or shows again
      const int which = in.range(0, VARIABLE_COUNT - 1);
      if (in.flag()) {
        hostsim::unset_variable(VARIABLES[which]);
      } else if (which < DATA_VARIABLES) {
        Fct_Variable_Get(Host_Text(VARIABLES[which]), nullptr, nullptr, nullptr, 1);
      } else if (std::string(VARIABLES[which]).find("FONT_NAME") != std::string::npos) {
        hostsim::set_text_variable(VARIABLES[which], in.text(16));
      } else {
        hostsim::set_variable(VARIABLES[which], in.flag() ? in.range(-8, 64) : in.number<int32_t>());
      }
      break;
    }
  }
}

void Session::host_setting(uint8_t action) {
  switch (action) {
    case 0: hostsim::set_machine(in.bytes(), in.bytes()); break;
    case 1:
      switch (in.byte() % 4) {
        case 0: hostsim::gpu_none(); break;
        case 1: hostsim::gpu_broken(); break;
        case 2: hostsim::gpu_noinfo(); break;
        default: hostsim::gpu_present(in.bytes(), in.bytes()); break;
      }
      break;
    case 2: Flag_Trace = static_cast<signed char>(in.byte()); break;
    case 3: hostsim::set_delivery(in.flag() ? hostsim::Delivery::SYNC : hostsim::Delivery::DEFERRED); break;
    case 4: hostsim::deliver_deferred(); break;
    case 5:
      if (windows.size() < MOST_WINDOWS) windows.push_back(hostsim::create_window(in.range(0, 640), in.range(0, 240)));
      break;
    case 6:
      if (!windows.empty()) hostsim::resize_window(some_window(), in.range(0, 640), in.range(0, 240));
      break;
    case 7: hostsim::destroy_window(some_window()); break;
    case 8:
      if (in.flag()) {
        hostsim::set_pointer(some_window(), in.range(-20, 700), in.range(-20, 260));
      } else {  // over one of the module's widgets, where the widget says it is
        const std::vector<hostsim::Widget> widgets = hostsim::widgets();
        if (widgets.empty()) break;
        const Tools& w = *widgets[static_cast<size_t>(in.range(0, static_cast<int>(widgets.size()) - 1))].object;
        hostsim::set_pointer(w.Window, w.X + w.DX / 2, w.Y + w.DY / 2);
      }
      break;
    case 9:
      if (in.flag())
        hostsim::fail_next_get_dc();
      else
        hostsim::fail_next_release_dc();
      break;
    case 10:
      switch (in.byte() % 4) {
        case 0: hostsim::set_byte_text_length(in.range(0, 200)); break;
        case 1: hostsim::set_no_byte_text(in.flag()); break;
        default: hostsim::set_exact_bytes(in.flag()); break;
      }
      break;
    case 11:  // the host forgets the tool, or registers it again, for its word or another
      // One registration at most: with two, every update the module sends comes back
      // twice, and a purge that cannot get below the budget doubles at every delivery.
      if (registered) {
        hostsim::unregister_tools();
      } else {
        hostsim::register_tool(in.flag() ? fuzz::module().Update_Register() : in.update_word(),
                               fuzz::module().Update_A);
      }
      registered = !registered;
      break;
  }
}

void Session::entry_point(uint8_t action) {
  hostsim::Module& m = fuzz::module();
  const auto position = [&] { return static_cast<short>(in.number<uint16_t>()); };
  switch (action) {
    case 0: m.Init(); break;
    case 1: m.Exit(); break;
    case 2: {
      m.Register(in.number<uint32_t>());
      m.Sort();
      m.Version();
      m.Script_Register();
      m.Update_Register();
      char** names = nullptr;
      if (m.Variable_Register(&names) != 2 || !names || !names[0] || !names[1])
        fuzz::fail("Variable_Register gave no table of two names");
      break;
    }
    case 3: {
      int width = 0;
      m.Ctrl_Register(in.flag() ? &width : nullptr);
      break;
    }
    case 4: {
      HWND window = some_window();
      const int width = in.flag() ? in.range(-100, 1000) : in.number<int32_t>();
      m.Ctrl_Create(window, width, in.flag() ? in.range(-100, 400) : in.number<int32_t>());
      break;
    }
    case 5: {
      HWND window = some_window();
      const int width = in.flag() ? in.range(-100, 1000) : in.number<int32_t>();
      m.Ctrl_Resize(window, width, in.flag() ? in.range(-100, 400) : in.number<int32_t>());
      break;
    }
    case 6: m.Ctrl_Open(); break;
    case 7: m.Ctrl_Close(); break;
    case 8: m.Ctrl_Show(); break;
    case 9: m.Ctrl_Hide(); break;
    case 10: m.Ctrl_Draw(); break;
    case 11: m.Ctrl_Query(); break;
    case 12: {
      const int word = in.flag() ? in.range(0, 3) : in.number<int32_t>();
      const short x = position();
      m.Ctrl_Click(nullptr, word, x, position());
      break;
    }
    case 13: {
      const int word = in.flag() ? in.range(0, 3) : in.number<int32_t>();
      const short x = position();
      m.Ctrl_Motion(nullptr, word, x, position());
      break;
    }
    case 14: m.Ctrl_Leave(); break;
    case 15: {
      const int key = in.number<int32_t>();
      const short x = position();
      m.Ctrl_Help(nullptr, key, x, position());
      break;
    }
    case 16: m.Ctrl_Scroll(nullptr, in.number<int32_t>()); break;
    case 17: m.Update_A(in.update_word()); break;
    case 18: {  // a script line, its words mostly the command's own
      static const char* const KNOWN[] = {"clear", "CLEAR", "clean", "help", "hello",
                                          "images", "undo", "geom", "*", "geometry", "im"};
      constexpr int KNOWN_COUNT = sizeof KNOWN / sizeof KNOWN[0];
      const int count = in.range(0, 3);
      std::vector<std::string> texts;
      for (int i = 0; i < count; ++i) {
        const int pick = in.range(0, KNOWN_COUNT);
        texts.push_back(pick < KNOWN_COUNT ? KNOWN[pick] : in.text(8));
      }
      fuzz::Script_Words words(texts);
      m.Script_Parse(count, words.array());
      words.check_after_parse();
      break;
    }
    case 19: {
      std::string name = in.flag() ? std::string("$MEMORY_CUDA_") + static_cast<char>(in.byte()) : in.text(24);
      if (m.Variable_Get(name.data(), nullptr, nullptr) == nullptr && name.size() > 13 &&
          (name[13] == 'A' || name[13] == 'U'))
        fuzz::fail("Variable_Get gave no address for " + name);
      break;
    }
  }
}

// Action bytes: 0-19 entry points, 20-33 host data, 34-45 host settings; others wrap.
void Session::step() {
  const uint8_t action = in.byte() % 46;
  if (action < 20)
    entry_point(action);
  else if (action < 34)
    host_data(static_cast<uint8_t>(action - 20));
  else
    host_setting(static_cast<uint8_t>(action - 34));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::module();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  fuzz::fresh_host();
  Session session(in);
  for (size_t actions = 0; actions < MOST_ACTIONS && !in.empty(); ++actions) {
    try {
      session.step();
    } catch (const std::exception&) {
      // The host model refused a change of its own data (a bad path, say): not the
      // module's doing, and the session goes on.
    }
    fuzz::check_host_intact();
  }
  hostsim::set_delivery(hostsim::Delivery::DEFERRED);
  hostsim::deliver_deferred();
  fuzz::check_host_intact();
  return 0;
}
