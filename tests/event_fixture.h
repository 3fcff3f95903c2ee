// Tests of the update cycle and the panel's events, driven as a host drives them: a
// machine of a known size, the module initialised and registered for updates, its panel
// window made and laid out at the registered size, and the host's record read back.
//
// With the default layout settings (title 20, spacing 4, button 18) and no GPU the
// panel is 432 x 94: the RAM bar's box lies at (5, 5), 422 x 16, and the three columns
// at (5, 25), (146, 25) and (287, 25), 140 x 48, with their buttons 132 x 18 at
// (9, 29), (150, 29) and (291, 29). With GPU memory everything above the GPU bar's box
// at (5, 5) moves up by 20.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/host_services.h"
#include "hostsim/db2d.h"
#include "hostsim/events.h"
#include "hostsim/gpu.h"
#include "hostsim/machine.h"
#include "hostsim/undo.h"
#include "hostsim/updates.h"
#include "hostsim/windows.h"
#include "module_fixture.h"

class Event_Test : public Module_Test {
 protected:
  static constexpr uint64_t MIB = uint64_t{1} << 20;
  static constexpr uint64_t RAM = 16 * MIB;  // physical memory and free address space
  static constexpr uint64_t DEFAULT_SHARE = 102400;
  static constexpr uint64_t MEMORY_MAX = RAM - DEFAULT_SHARE;
  static constexpr uint64_t MEMORY_HIGH = RAM * 80 / 100 - DEFAULT_SHARE;
  static constexpr uint64_t PURGE_TARGET = MEMORY_MAX - MEMORY_HIGH;  // 3,355,444
  static constexpr uint64_t MEMORY = 0x40000000;
  static constexpr uint64_t PANEL_DRAW = 0x2000000000000080;

  // The bar as the painter lays it out in a 422 x 16 box: track 406 pixels, the body
  // from 8 pixels in, its middle row (8) shaded 170.
  static constexpr int BAR_X = 5;
  static constexpr int BAR_BODY = BAR_X + 8;
  static constexpr int TRACK = 406;
  static constexpr uint32_t BLUE = 0x0000AA;
  static constexpr uint32_t MAGENTA = 0xAA00AA;

  // Column buttons (no GPU): a point inside each, and one over the bar.
  struct Point {
    int x, y;
  };
  static constexpr Point OVER_IMAGE{20, 35};
  static constexpr Point OVER_UNDO{160, 35};
  static constexpr Point OVER_GEOM{300, 35};
  static constexpr Point OVER_BAR{100, 12};
  static constexpr Point OVER_TITLE{200, 85};

  void SetUp() override {
    Module_Test::SetUp();
    if (HasFatalFailure()) return;
    hostsim::set_machine(RAM, RAM);
    hostsim::set_exact_bytes(true);
    hostsim::gpu_none();
  }

  // Init, registration for updates, the panel window made and laid out.
  void start() {
    ASSERT_EQ(module.Init(), 1);
    hostsim::register_tool(module.Update_Register(), module.Update_A);
    int width = 0;
    const int height = module.Ctrl_Register(&width);
    window = hostsim::create_window(width, height);
    ASSERT_EQ(module.Ctrl_Create(window, width, height), 1);
    ASSERT_EQ(module.Ctrl_Resize(window, width, height), 1);
    hostsim::clear_events();
  }

  // Open and show the panel, as a host does before it has it drawn.
  void open_and_show() {
    ASSERT_EQ(module.Ctrl_Open(), 1);
    ASSERT_EQ(module.Ctrl_Show(), 1);
    hostsim::deliver_deferred();
    hostsim::clear_events();
  }

  // The host's update with the memory bit, and the updates it queued meanwhile.
  void update(uint64_t word = MEMORY) {
    EXPECT_EQ(module.Update_A(word), 1);
    hostsim::deliver_deferred();
  }

  static void trace_level(signed char level) { Flag_Trace = level; }

  // Where the body of a bar of `mib` against `scale` ends, as the painter computes it.
  static int bar_end(int32_t mib, int32_t scale) {
    return static_cast<int>(static_cast<float>(TRACK * mib) / static_cast<float>(scale));
  }
  // The middle row of the bar's body, `column` pixels into the track.
  uint32_t bar_pixel(int column, int box_y = 5) const {
    return hostsim::pixel(window, BAR_BODY + column, box_y + 8);
  }

  static std::vector<std::string> calls_starting(const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& call : hostsim::calls())
      if (call.rfind(prefix, 0) == 0) out.push_back(call);
    return out;
  }
  static std::vector<std::string> draws() { return calls_starting("Draw "); }
  // The messages of `code`, their texts in order.
  static std::vector<std::string> texts(int code) {
    std::vector<std::string> out;
    for (const hostsim::Event& message : hostsim::messages())
      if (message.code == code) out.push_back(message.text);
    return out;
  }
  static std::string cleared(uint64_t bytes) {
    return "The memory manager has cleared \x01" + std::to_string(bytes) + "\x02 of memory";
  }
  static std::string update_trace(const char* word) {
    return std::string("Kestrum: Ctrl_Update(flag:") + word + ")";
  }

  HWND window = nullptr;
};
