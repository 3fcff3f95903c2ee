// Every module test starts from a freshly loaded module and a host model at its initial
// state (a machine of 16 MiB, no GPU, exact byte counts), talks to the module only through
// its entry points and reads the host's record back.
//
// With the default layout settings and no GPU the panel is 432 x 94: the RAM bar's box
// lies at (5, 5), 422 x 16, the three columns at (5, 25), (146, 25) and (287, 25),
// 140 x 48, with their buttons 132 x 18 at (9, 29), (150, 29) and (291, 29). With GPU
// memory everything above the GPU bar's box at (5, 5) moves up by 20.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "host/host_services.h"
#include "host/widget_toolkit.h"
#include "hostsim/db2d.h"
#include "hostsim/db3d.h"
#include "hostsim/events.h"
#include "hostsim/gpu.h"
#include "hostsim/machine.h"
#include "hostsim/module.h"
#include "hostsim/reset.h"
#include "hostsim/toolkit.h"
#include "hostsim/undo.h"
#include "hostsim/updates.h"
#include "hostsim/variables.h"
#include "hostsim/windows.h"

using Strings = std::vector<std::string>;

class Module_Test : public testing::Test {
 protected:
  static constexpr uint64_t MIB = uint64_t{1} << 20;
  static constexpr uint64_t GIB = uint64_t{1} << 30;
  static constexpr uint64_t RAM = 16 * MIB;           // the default machine's memory and address space
  static constexpr uint64_t DEFAULT_SHARE = 102400;   // what every measurement adds to the images
  static constexpr uint64_t MEMORY_MAX = RAM - DEFAULT_SHARE;  // where a purge starts
  static constexpr uint64_t PURGE_TARGET = RAM - RAM * 80 / 100;  // Memory_Max - Memory_High: 3,355,444
  static constexpr uint64_t MEMORY = 0x40000000;
  static constexpr uint64_t PANEL_DRAW = 0x2000000000000080;
  // The bar in a 422 x 16 box: track 406 pixels, the body from 8 pixels in, its middle
  // row (8) shaded 170.
  static constexpr int BAR_BODY = 5 + 8;
  static constexpr uint32_t BLUE = 0x0000AA;
  static constexpr uint32_t MAGENTA = 0xAA00AA;

  // The widgets in the order the module defines them.
  enum Index { TITLE, GPU, BAR, IMAGE_BOX, IMAGE_LABEL, IMAGE_BUTTON, UNDO_BOX, UNDO_LABEL, UNDO_BUTTON,
               GEOM_BOX, GEOM_LABEL, GEOM_BUTTON };

  void SetUp() override {
    hostsim::reset();
    std::string error;
    ASSERT_TRUE(module.load(KESTRUM_MODULE_PATH, error)) << error;
    hostsim::set_machine(RAM, RAM);
    hostsim::set_exact_bytes(true);
    if (!machine_runtime) hostsim::gpu_none();
  }
  void TearDown() override { module.unload(); }

  // Init on the machine and GPU as set, and the registration for updates; or first a
  // machine of `ram` bytes of memory and address space and a GPU of `gpu` bytes (0: none).
  void init() {
    ASSERT_EQ(module.Init(), 1);
    hostsim::register_tool(module.Update_Register(), module.Update_A);
    hostsim::clear_events();
  }
  void init(uint64_t ram, uint64_t gpu = 0) {
    hostsim::set_machine(ram, ram);
    if (gpu) hostsim::gpu_present(gpu, 0); else hostsim::gpu_none();
    init();
  }
  // The panel window at the registered size, created and laid out.
  void make_panel() {
    int width = 0;
    const int height = module.Ctrl_Register(&width);
    window = hostsim::create_window(width, height);
    EXPECT_EQ(module.Ctrl_Create(window, width, height), 1);
    EXPECT_EQ(module.Ctrl_Resize(window, width, height), 1);
    hostsim::clear_events();
  }
  void start() { init(); make_panel(); }
  void start(uint64_t ram, uint64_t gpu = 0) { init(ram, gpu); make_panel(); }
  // Open and show the panel, as a host does before it has it drawn.
  void open_and_show() {
    ASSERT_EQ(module.Ctrl_Open(), 1);
    ASSERT_EQ(module.Ctrl_Show(), 1);
    hostsim::deliver_deferred();
    hostsim::clear_events();
  }
  // The host's update, and the updates it queued meanwhile.
  void update(uint64_t word = MEMORY) {
    EXPECT_EQ(module.Update_A(word), 1);
    hostsim::deliver_deferred();
  }
  // One update with the memory bit, nothing delivered back; true when a purge ran.
  bool update_purges() {
    hostsim::clear_events();
    EXPECT_EQ(module.Update_A(MEMORY), 1);
    for (const std::string& text : texts(4))
      if (text.rfind("The memory manager has cleared", 0) == 0) return true;
    return false;
  }
  // Checks that the image database and the 3-D data measure `figure` bytes together
  // (modulo 2^64): with the undo figure making the total exactly Memory_Max a purge
  // starts, and with it one byte smaller none does.
  void expect_measured(uint64_t figure) {
    const auto pad = static_cast<int64_t>(MEMORY_MAX - DEFAULT_SHARE - figure);
    ASSERT_TRUE(pad > INT32_MIN && pad <= INT32_MAX) << "no undo figure can balance " << figure;
    hostsim::set_undo_bytes(static_cast<int32_t>(pad));
    EXPECT_TRUE(update_purges()) << "measured less than " << figure;
    hostsim::set_undo_bytes(static_cast<int32_t>(pad - 1));
    EXPECT_FALSE(update_purges()) << "measured more than " << figure;
  }
  // A script line "Memory: WORDS...", with writable words as a host passes them.
  int script(Strings words) {
    std::vector<char*> pointers;
    for (std::string& word : words) pointers.push_back(word.data());
    return module.Script_Parse(static_cast<int>(words.size()), pointers.data());
  }

  static Tools& widget(Index index) { return *hostsim::widgets().at(index).object; }
  static std::string label(Index index) { return widget(index).Text ? widget(index).Text : ""; }
  // Where the body of a bar of `mib` against `scale` ends, as the painter computes it.
  static int bar_end(int32_t mib, int32_t scale) {
    return static_cast<int>(static_cast<float>(406 * mib) / static_cast<float>(scale));
  }
  // The middle row of the bar's body, `column` pixels into the track.
  uint32_t bar_pixel(int column, int box_y = 5) const { return hostsim::pixel(window, BAR_BODY + column, box_y + 8); }

  // The recorded calls whose names are among `names` (all calls starting so), in order.
  static Strings calls_among(const Strings& names) {
    Strings out;
    for (const std::string& call : hostsim::calls())
      for (const std::string& name : names)
        if (call.rfind(name, 0) == 0) out.push_back(call);
    return out;
  }
  static Strings draws() { return calls_among({"Draw "}); }
  // The messages of `code`, their texts in order.
  static Strings texts(int code) {
    Strings out;
    for (const hostsim::Event& message : hostsim::messages())
      if (message.code == code) out.push_back(message.text);
    return out;
  }
  static long count(const Strings& list, const std::string& text) { return std::count(list.begin(), list.end(), text); }
  static std::string cleared(uint64_t bytes) {
    return "The memory manager has cleared \x01" + std::to_string(bytes) + "\x02 of memory";
  }
  static std::string update_trace(const char* word) { return std::string("Kestrum: Ctrl_Update(flag:") + word + ")"; }

  hostsim::Module module;
  HWND window = nullptr;
  // Set by a fixture whose tests should start with the machine's own CUDA runtime (or
  // none), which the module then searches the machine's libraries for.
  bool machine_runtime = false;
};

// The module initialised on the default machine, its updates not delivered back.
class Initialised_Test : public Module_Test {
 protected:
  void SetUp() override {
    Module_Test::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_EQ(module.Init(), 1);
  }
};
