// The module's life cycle as a host sees it: its names and exports, the trace gates, what
// Init finds of the machine and a GPU, and the budget it fixes, as the purge shows it.
#include <cstdio>
#include <cstring>
#include <set>
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
TEST_F(Lifecycle_Test, NamesAreConstantTextsAndTheLibraryExportsNothingElse) {
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
  ASSERT_NE(module.NvOptimusEnablementCuda, nullptr);
  EXPECT_EQ(*module.NvOptimusEnablementCuda, 1u);

  const std::string command_line = std::string("nm -D --defined-only --format=posix '") + KESTRUM_MODULE_PATH + "'";
  std::FILE* pipe = popen(command_line.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> exported;
  char line[512];
  while (std::fgets(line, sizeof line, pipe)) exported.insert(std::string(line).substr(0, std::strcspn(line, " ")));
  ASSERT_EQ(pclose(pipe), 0) << command_line;
  EXPECT_EQ(exported, (std::set<std::string>{
      "Init", "Exit", "Register", "Sort", "Version", "Ctrl_Register", "Ctrl_Create", "Ctrl_Resize", "Ctrl_Open",
      "Ctrl_Close", "Ctrl_Show", "Ctrl_Hide", "Ctrl_Draw", "Ctrl_Query", "Ctrl_Click", "Ctrl_Motion", "Ctrl_Leave",
      "Ctrl_Help", "Ctrl_Scroll", "Script_Register", "Script_Parse", "Update_Register", "Update_A",
      "Variable_Register", "Variable_Get", "NvOptimusEnablementCuda"}));
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
TEST_F(Lifecycle_Test, InitLogsWholeMiBAndRecordsTheGpuTotal) {
  const struct {
    uint64_t physical, available;
    const char *logged_available, *logged_ram;
  } machines[] = {{8 * GIB, 3 * GIB, "3221225472", "8589934592"},
                  {8 * GIB + MIB - 1, 3 * GIB + MIB - 1, "3221225472", "8589934592"},
                  {MIB - 1, 5 * MIB + 1, "5242880", "0"},
                  {64 * GIB, 2 * GIB, "2147483648", "68719476736"}};
  for (const auto& m : machines) {
    hostsim::set_machine(m.physical, m.available);
    EXPECT_EQ(init_log(), logged(m.logged_available, m.logged_ram));
  }
  EXPECT_EQ(hostsim::last_memory_status_length(), sizeof(MEMORYSTATUS));

  hostsim::use_real_machine();
  const Strings real = init_log();
  ASSERT_EQ(real.size(), 3u);
  const uint64_t available = std::stoull(real[1].substr(std::strlen("Memory Manager (32 bit) -> ")));
  EXPECT_EQ(real, logged(std::to_string(available), std::to_string(hostsim::real_physical_memory() & ~(MIB - 1))));
  EXPECT_GT(available, 0u);
  EXPECT_EQ(available % MIB, 0u);

  // Each Init goes by the runtime as it then is; without a usable one it finds no GPU.
  const std::pair<void (*)(), uint64_t> gpus[] = {
      {[] { hostsim::gpu_present(24 * GIB, 5 * GIB); }, 24 * GIB},
      {hostsim::gpu_none, 0},
      {hostsim::gpu_broken, 0},  // the version call fails
      {[] { hostsim::gpu_present(uint64_t{1} << 40, 0); }, uint64_t{1} << 40},
      {hostsim::gpu_noinfo, 0},  // the version call works, the memory information fails
      {hostsim::reset, 0}};      // the machine's own runtime, or none: Init works either way
  for (const auto& gpu : gpus) {
    gpu.first();
    hostsim::set_exact_bytes(true);
    hostsim::set_machine(8 * GIB, 3 * GIB);
    EXPECT_EQ(init_log(), logged("3221225472", "8589934592"));
    const uint64_t total = variable("$MEMORY_CUDA_AVAILABLE");
    EXPECT_TRUE(gpu.first == hostsim::reset || total == gpu.second) << total;
    EXPECT_EQ(variable("$MEMORY_CUDA_USAGE"), 0u);  // Init asks for the total only
  }
}

// Memory_RAM = 1 GiB, the smaller of the two figures: the purge starts at 1 GiB - 102,400,
// and not a byte before. (Budgets under 1 MiB: test_misbehaviour.)
TEST_F(Lifecycle_Test, PurgeStartsAtTheBudgetOfTheSmallerFigure) {
  for (const auto& machine : {std::make_pair(GIB, 2 * GIB), std::make_pair(GIB, GIB), std::make_pair(8 * GIB, GIB),
                              std::make_pair(GIB + MIB - 1, 4 * GIB), std::make_pair(4 * GIB, GIB + MIB - 1)}) {
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
