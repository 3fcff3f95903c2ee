// What the width of the process bounds: GPU figures that the runtime's size_t caps, and
// the free address space of this very process, by the width of the build's own types.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "event_fixture.h"
#include "platform/windows_api.h"

namespace {

constexpr uint64_t GIB = uint64_t{1} << 30;

class Process_Width_Test : public Event_Test {
 protected:
  uint64_t variable(const char* name) {
    void* address = module.Variable_Get(const_cast<char*>(name), nullptr, nullptr);
    uint64_t value = 0;
    if (address) std::memcpy(&value, address, sizeof value);
    else ADD_FAILURE() << "no address for " << name;
    return value;
  }
};

// A runtime reports a figure its size_t cannot carry as the largest size_t, "at least
// this much": in a 32-bit process a GPU of 8 GiB with 5 GiB free reads 4 GiB - 1 twice.
// A 64-bit process checks the same rule with figures at SIZE_MAX.
TEST_F(Process_Width_Test, CappedGpuTotalShowsCappedAndACappedFreeFigureInventsNoUsage) {
  const uint64_t cap = std::numeric_limits<size_t>::max();
  const bool narrow = sizeof(size_t) == 4;
  const uint64_t total = narrow ? 8 * GIB : cap;  // reported as `cap` on either width
  const uint64_t capped_free = narrow ? 5 * GIB : cap;
  hostsim::gpu_present(total, total - capped_free);
  start();
  EXPECT_EQ(variable("$MEMORY_CUDA_AVAILABLE"), cap);
  const std::string cap_text = std::to_string(static_cast<int64_t>(cap));  // as Int_2_Byte has it

  ASSERT_EQ(module.Ctrl_Open(), 1);  // measures: the free figure is capped, no usage known
  EXPECT_EQ(texts(4), (std::vector<std::string>{
                          "Orvan-5 can access \x01" + std::to_string(RAM) + "\x02 of RAM memory",
                          "Orvan-5 can access \x01" + cap_text + "\x02 of GPU memory"}));
  EXPECT_EQ(variable("$MEMORY_CUDA_USAGE"), 0u);
  ASSERT_EQ(module.Ctrl_Show(), 1);
  hostsim::clear_events();
  ASSERT_EQ(module.Ctrl_Draw(), 1);
  ASSERT_GE(draws().size(), 3u);
  EXPECT_EQ(draws()[2], "Draw GPU   (" + cap_text + ")");
  EXPECT_NE(bar_pixel(0), MAGENTA);

  // 1 GiB free, an exact figure: the usage is the capped total less it, the least the
  // GPU has in use (3 GiB - 1 of the 7 GiB in a 32-bit process), against the capped total.
  hostsim::gpu_present(total, total - GIB);
  update();
  const uint64_t usage = cap - GIB;
  EXPECT_EQ(variable("$MEMORY_CUDA_USAGE"), usage);
  const int end = bar_end(static_cast<int32_t>(usage >> 20), static_cast<int32_t>(cap >> 20));
  if (narrow) {  // a 64-bit cap in MiB is beyond the painter's 32-bit scale
    EXPECT_EQ(end, 304);  // 3071 of 4095 MiB
    EXPECT_EQ(bar_pixel(0), MAGENTA);
    EXPECT_EQ(bar_pixel(end - 1), MAGENTA);
    EXPECT_NE(bar_pixel(end + 8), MAGENTA);
  }

  // Capped again: back to 0, the GPU box drawn first to erase the longer bar (and again
  // by the painter where its total in 32-bit MiB shrank too, which a 64-bit cap wraps).
  hostsim::gpu_present(total, total - capped_free);
  hostsim::clear_events();
  update();
  EXPECT_EQ(variable("$MEMORY_CUDA_USAGE"), 0u);
  EXPECT_EQ(calls_starting("Draw GPU").size(), narrow ? 2u : 1u);
  EXPECT_NE(bar_pixel(0), MAGENTA);
}

// Nothing set by the test: the memory status reports this process's own free address
// space (below 4 GiB in a 32-bit process) and the machine's RAM as far as a SIZE_T
// carries it, and the budget is the smaller of the two: the panel says so, and a purge
// starts there.
TEST_F(Process_Width_Test, RealFreeAddressSpaceBoundsTheBudget) {
  hostsim::use_real_machine();
  const uint64_t free_before = hostsim::real_available_address_space();
  hostsim::clear_events();
  ASSERT_EQ(module.Init(), 1);
  const uint64_t free_after = hostsim::real_available_address_space();
  const std::vector<std::string> log = texts(11);
  ASSERT_EQ(log.size(), 3u);
  const std::string prefix = "Memory Manager (32 bit) -> ";
  const auto figure = [&](const std::string& line, const std::string& suffix) -> uint64_t {
    EXPECT_EQ(line.rfind(prefix, 0), 0u) << line;
    EXPECT_GT(line.size(), prefix.size() + suffix.size()) << line;
    EXPECT_EQ(line.substr(line.size() - std::min(line.size(), suffix.size())), suffix) << line;
    return std::stoull(line.substr(prefix.size()));
  };
  const uint64_t available = figure(log[1], " Tot Available");
  const uint64_t ram = figure(log[2], " Tot RAM");

  const uint64_t largest = std::numeric_limits<SIZE_T>::max();
  const uint64_t physical = hostsim::real_physical_memory();
  EXPECT_EQ(ram, std::min(physical, largest) & ~(MIB - 1));
  EXPECT_EQ(available % MIB, 0u);
  EXPECT_GE(available, std::min(free_before, free_after) & ~(MIB - 1));
  EXPECT_LE(available, std::max(free_before, free_after));
  EXPECT_GT(available, 0u);
  if (sizeof(void*) == 4) {
    EXPECT_LT(available, 4 * GIB);
  }

  const uint64_t budget = std::min(ram, available);
  int width = 0;
  const int height = module.Ctrl_Register(&width);
  window = hostsim::create_window(width, height);
  hostsim::clear_events();
  ASSERT_EQ(module.Ctrl_Create(window, width, height), 1);
  EXPECT_EQ(texts(4), std::vector<std::string>{"We can access \x01" + std::to_string(budget) +
                                                "\x02 of RAM memory"});

  // Images (a figure, no memory behind it) one byte short of Memory_Max, then at it.
  hostsim::add_node("/", budget - 2 * DEFAULT_SHARE - 1);
  hostsim::clear_events();
  update();
  EXPECT_TRUE(calls_starting("User_Cleanup").empty());
  hostsim::add_node("/", budget - 2 * DEFAULT_SHARE);
  update();
  EXPECT_EQ(calls_starting("User_Cleanup").size(), 11u);
}

}  // namespace
