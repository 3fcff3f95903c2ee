// Tests of the panel's layout and bars: a machine and a GPU chosen by the test, the
// module initialised, a panel window made the size the module registers, and the
// module's twelve widgets reached through the host's toolkit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/host_services.h"
#include "host/widget_toolkit.h"
#include "hostsim/gpu.h"
#include "hostsim/machine.h"
#include "hostsim/toolkit.h"
#include "hostsim/windows.h"
#include "module_fixture.h"

class Panel_Test : public Module_Test {
 protected:
  static constexpr uint64_t MIB = uint64_t{1} << 20;
  static constexpr uint64_t GIB = uint64_t{1} << 30;
  static constexpr uint64_t DEFAULT_SHARE = 102400;  // what every measurement adds to images

  // The widgets in the order the module defines them.
  enum Index {
    TITLE, GPU, BAR,
    IMAGE_BOX, IMAGE_LABEL, IMAGE_BUTTON,
    UNDO_BOX, UNDO_LABEL, UNDO_BUTTON,
    GEOM_BOX, GEOM_LABEL, GEOM_BUTTON,
  };

  // A machine with `ram` bytes of memory and address space, a GPU of `gpu` bytes (0: no
  // CUDA runtime), then Init.
  void start(uint64_t ram, uint64_t gpu = 0) {
    hostsim::set_machine(ram, ram);
    if (gpu)
      hostsim::gpu_present(gpu, 0);
    else
      hostsim::gpu_none();
    ASSERT_EQ(module.Init(), 1);
  }

  // The panel window at the registered size, created and laid out.
  HWND make_panel() {
    int width = 0;
    const int height = module.Ctrl_Register(&width);
    HWND window = hostsim::create_window(width, height);
    EXPECT_EQ(module.Ctrl_Create(window, width, height), 1);
    EXPECT_EQ(module.Ctrl_Resize(window, width, height), 1);
    return window;
  }

  static Tools& widget(Index index) {
    const std::vector<hostsim::Widget> all = hostsim::widgets();
    EXPECT_EQ(all.size(), 12u);
    return *all.at(index).object;
  }
  static Buttons& button(Index index) { return static_cast<Buttons&>(widget(index)); }

  static int count_calls(const std::string& text) {
    int count = 0;
    for (const std::string& call : hostsim::calls()) count += call == text ? 1 : 0;
    return count;
  }

  static bool has_message(int code, const std::string& text) {
    for (const hostsim::Event& message : hostsim::messages())
      if (message.code == code && message.text == text) return true;
    return false;
  }
};
