// The module's life cycle as a host sees it: its names, the trace gates, what Init finds
// of the machine (this process's own address space too) and a GPU, and the budget it
// fixes, as the purge shows it.
#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "module_fixture.h"

namespace {

class Lifecycle_Test : public Module_Test {
 protected:
  Lifecycle_Test() { machine_runtime = true; }

  // Reads one of the module's two variables where the host reads it.
  uint64_t variable(const char* name) {
    std::string copy = name;
    void* address = module.Variable_Get(copy.data(), nullptr, nullptr);
    uint64_t value = 0;
    if (address) std::memcpy(&value, address, sizeof value); else ADD_FAILURE() << "no address for " << name;
    return value;
  }
  // Init on the machine and GPU as set: all it writes.
  Strings init_log() {
    hostsim::clear_events();
    EXPECT_EQ(module.Init(), 1);
    EXPECT_EQ(hostsim::calls(), Strings{});
    EXPECT_EQ(hostsim::messages().size(), texts(11).size());
    return texts(11);
  }
  static Strings logged(const std::string& available, const std::string& ram) {
    return {"Kestrum: Init", "Memory Manager (32 bit) -> " + available + " Tot Available",
            "Memory Manager (32 bit) -> " + ram + " Tot RAM"};
  }
};

// The session `names` checks the names' texts; here, that each comes back at one address.
// (The ctest test module.exports checks that the library exports these names and no other.)
TEST_F(Lifecycle_Test, NamesAreConstantTextsAtOneAddress) {
  Flag_Trace = 8;  // none of them traces, whatever the level
  const char* const name = module.Register(0);
  const char* const sort = module.Sort();
  const char* const version = module.Version();
  const char* const command = module.Script_Register();
  EXPECT_EQ(module.Register(0xFFFFFFFFu), name);
  EXPECT_EQ(module.Sort(), sort);
  EXPECT_EQ(module.Version(), version);
  EXPECT_EQ(module.Script_Register(), command);
  char** names = nullptr;
  char** again = nullptr;
  ASSERT_EQ(module.Variable_Register(&names), 2);
  EXPECT_EQ(module.Variable_Register(&again), 2);
  EXPECT_EQ(again, names);
  EXPECT_EQ(module.Variable_Register(nullptr), 0);  // nowhere to put the table
  EXPECT_TRUE(hostsim::events().empty());
}

// Codes 4, 6 and 11 are written at every level; 14 from level 4, 16 from 6, 18 from 8.
TEST_F(Lifecycle_Test, TraceLevelGatesTheTraceCodesOnly) {
  hostsim::set_undo_bytes(32 << 20);  // over the budget: the update purges and says so
  for (const int level : {-128, -1, 0, 3, 4, 5, 6, 7, 8, 127}) {
    SCOPED_TRACE("Flag_Trace " + std::to_string(level));
    Flag_Trace = static_cast<signed char>(level);
    hostsim::clear_events();
    EXPECT_EQ(module.Init(), 1);
    EXPECT_EQ(module.Ctrl_Scroll(nullptr, 3), 1);  // one code-14 trace
    EXPECT_EQ(module.Update_A(MEMORY), 1);          // measurements: code 16
    EXPECT_EQ(variable("$MEMORY_CUDA_USAGE"), 0u);  // code 18
    EXPECT_EQ(script({"help"}), 0);                 // help lines: code 6
    EXPECT_EQ(module.Exit(), 1);
    EXPECT_EQ(texts(11).size(), 4u);  // Init, its two figures, Exit
    EXPECT_EQ(texts(11).back(), "Kestrum: Exit");
    EXPECT_EQ(texts(4), Strings{cleared(0)});
    EXPECT_EQ(texts(6).size(), 2u);
    EXPECT_EQ(texts(14).size(), level >= 4 ? 2u : 0u);  // Scroll and Script_Parse
    EXPECT_EQ(texts(16).size(), level >= 6 ? 15u : 0u);  // four measurements, eleven cleanups
    EXPECT_EQ(texts(18).size(), level >= 8 ? 1u : 0u);
  }
}

// Init logs the figures rounded down to whole MiB, the RAM line the physical memory even
// when the address space is smaller, and records the GPU total (logging nothing of it).
// A figure that the process's SIZE_T or size_t cannot carry reads as its largest value:
// 4 GiB - 1 in a 32-bit process.
TEST_F(Lifecycle_Test, InitLogsWholeMiBAndRecordsTheGpuTotal) {
  const bool narrow = sizeof(SIZE_T) == 4;
  const struct {
    uint64_t physical, available;
    const char *logged_available, *logged_ram;
  } machines[] = {{3 * GIB, 2 * GIB, "2147483648", "3221225472"},
                  {3 * GIB + MIB - 1, 2 * GIB + MIB - 1, "2147483648", "3221225472"},
                  {MIB - 1, 5 * MIB + 1, "5242880", "0"},
                  {64 * GIB, 2 * GIB, "2147483648", narrow ? "4293918720" : "68719476736"}};
  for (const auto& m : machines) {
    hostsim::set_machine(m.physical, m.available);
    EXPECT_EQ(init_log(), logged(m.logged_available, m.logged_ram));
  }
  EXPECT_EQ(hostsim::last_memory_status_length(), sizeof(MEMORYSTATUS));

  // Each Init goes by the runtime as it then is; without a usable one it finds no GPU.
  const uint64_t huge = std::min<uint64_t>(uint64_t{1} << 40, std::numeric_limits<size_t>::max());  // as read
  const std::pair<void (*)(), uint64_t> gpus[] = {
      {[] { hostsim::gpu_present(3 * GIB, GIB); }, 3 * GIB},
      {hostsim::gpu_none, 0},
      {hostsim::gpu_broken, 0},  // the version call fails
      {[] { hostsim::gpu_present(uint64_t{1} << 40, 0); }, huge},
      {hostsim::gpu_noinfo, 0},  // the version call works, the memory information fails
      {hostsim::reset, 0}};      // the machine's own runtime, or none: Init works either way
  for (const auto& gpu : gpus) {
    gpu.first();
    hostsim::set_exact_bytes(true);
    hostsim::set_machine(3 * GIB, 2 * GIB);
    EXPECT_EQ(init_log(), logged("2147483648", "3221225472"));
    const uint64_t total = variable("$MEMORY_CUDA_AVAILABLE");
    EXPECT_TRUE(gpu.first == hostsim::reset || total == gpu.second) << total;
    EXPECT_EQ(variable("$MEMORY_CUDA_USAGE"), 0u);  // Init asks for the total only
  }
}

// Nothing set by the test: Init finds this process's own free address space (below
// 4 GiB in a 32-bit process) and the machine's RAM as far as a SIZE_T carries it, and
// the budget is the smaller of the two: the panel says so, and a purge starts there.
TEST_F(Lifecycle_Test, RealFreeAddressSpaceBoundsTheBudget) {
  hostsim::use_real_machine();
  const uint64_t free_before = hostsim::real_available_address_space();
  const Strings log = init_log();
  const uint64_t free_after = hostsim::real_available_address_space();
  ASSERT_EQ(log.size(), 3u);
  const uint64_t available = std::stoull(log[1].substr(std::strlen("Memory Manager (32 bit) -> ")));
  const uint64_t physical = std::min<uint64_t>(hostsim::real_physical_memory(), std::numeric_limits<SIZE_T>::max());
  const uint64_t ram = physical & ~(MIB - 1);
  EXPECT_EQ(log, logged(std::to_string(available), std::to_string(ram)));
  EXPECT_EQ(available % MIB, 0u);
  EXPECT_GE(available, std::min(free_before, free_after) & ~(MIB - 1));
  EXPECT_LE(available, std::max(free_before, free_after));
  EXPECT_GT(available, 0u);
  if (sizeof(void*) == 4) {
    EXPECT_LT(available, 4 * GIB);
  }

  const uint64_t budget = std::min(ram, available);
  hostsim::register_tool(module.Update_Register(), module.Update_A);
  int width = 0;
  const int height = module.Ctrl_Register(&width);
  window = hostsim::create_window(width, height);
  ASSERT_EQ(module.Ctrl_Create(window, width, height), 1);
  EXPECT_EQ(texts(4), Strings{"We can access \x01" + std::to_string(budget) + "\x02 of RAM memory"});
  hostsim::add_node("/", budget - 2 * DEFAULT_SHARE - 1);  // a figure, no memory behind it
  EXPECT_FALSE(update_purges());
  hostsim::add_node("/", budget - 2 * DEFAULT_SHARE);
  EXPECT_TRUE(update_purges());
}

// Memory_RAM = 1 GiB, the smaller of the two figures: the purge starts at 1 GiB - 102,400,
// and not a byte before. (Budgets under 1 MiB: test_misbehaviour.)
TEST_F(Lifecycle_Test, PurgeStartsAtTheBudgetOfTheSmallerFigure) {
  for (const auto& machine : {std::make_pair(GIB, 2 * GIB), std::make_pair(GIB, GIB), std::make_pair(8 * GIB, GIB),
                              std::make_pair(GIB + MIB - 1, 4 * GIB), std::make_pair(4 * GIB, GIB + MIB - 1),
                              std::make_pair(GIB + MIB, GIB)}) {
    SCOPED_TRACE(std::to_string(machine.first) + " " + std::to_string(machine.second));
    hostsim::set_machine(machine.first, machine.second);
    ASSERT_EQ(module.Init(), 1);
    const uint64_t undo = GIB - 2 * DEFAULT_SHARE;  // the database and 3-D data are empty
    hostsim::set_undo_bytes(static_cast<int32_t>(undo - 1));
    EXPECT_FALSE(update_purges());
    hostsim::set_undo_bytes(static_cast<int32_t>(undo));
    EXPECT_TRUE(update_purges());
  }
}

}  // namespace
