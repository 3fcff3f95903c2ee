// Tests of the measurements and cleanups, driven the way a host drives them: host data
// set up in the host model, then a host update with the memory bit (the panel closed)
// or a script "clear" line, and the host's record read back.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "host/host_services.h"
#include "hostsim/db2d.h"
#include "hostsim/db3d.h"
#include "hostsim/machine.h"
#include "hostsim/real_memory.h"
#include "hostsim/undo.h"
#include "hostsim/variables.h"
#include "module_fixture.h"

class Data_Test : public Module_Test {
 protected:
  static constexpr uint64_t MIB = uint64_t{1} << 20;
  static constexpr uint64_t RAM = 16 * MIB;             // the machine's memory and address space
  static constexpr uint64_t DEFAULT_SHARE = 102400;     // what Memory_Compute_Default adds
  static constexpr uint64_t MEMORY_MAX = RAM - DEFAULT_SHARE;  // where a purge starts
  static constexpr uint64_t MEMORY_UPDATE = 0x40000000;

  void SetUp() override {
    Module_Test::SetUp();
    if (HasFatalFailure()) return;
    hostsim::set_machine(RAM, RAM);
    ASSERT_EQ(module.Init(), 1);
    hostsim::clear_events();
  }

  // One host update with the memory bit while the panel is closed; true when the total
  // reached Memory_Max and the purge ran.
  bool update_purges() {
    hostsim::clear_events();
    EXPECT_EQ(module.Update_A(MEMORY_UPDATE), 1);
    for (const hostsim::Event& message : hostsim::messages())
      if (message.code == 4 && message.text.find("The memory manager has cleared") == 0) return true;
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

  // Nodes of the image tree, each path with the bytes it holds, parents first.
  static void add_nodes(std::initializer_list<std::pair<const char*, uint64_t>> nodes) {
    for (const auto& node : nodes) hostsim::add_node(node.first, node.second);
  }

  // A script line "Memory: clear WHAT", with writable words as a host passes them.
  int clear(const std::string& what) {
    std::string sub_command = "clear";
    std::string object = what;
    char* words[] = {sub_command.data(), object.data()};
    return module.Script_Parse(2, words);
  }

  // How many messages of `code` read exactly `text`.
  static int count_messages(int code, const std::string& text) {
    int count = 0;
    for (const hostsim::Event& message : hostsim::messages())
      count += message.code == code && message.text == text ? 1 : 0;
    return count;
  }

  // The recorded calls whose names are among `names`, in order.
  static std::vector<std::string> calls_among(const std::vector<std::string>& names) {
    std::vector<std::string> out;
    for (const std::string& call : hostsim::calls()) {
      const std::string name = call.substr(0, call.find(' '));
      for (const std::string& wanted : names)
        if (name == wanted) out.push_back(call);
    }
    return out;
  }
};
