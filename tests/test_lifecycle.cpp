// The module's life cycle as a host sees it: its names, Init and Exit, the trace gates,
// what Init finds of a GPU, the data export and the names the library exports.
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "host/host_services.h"
#include "hostsim/gpu.h"
#include "hostsim/machine.h"
#include "hostsim/undo.h"
#include "module_fixture.h"

namespace {

constexpr uint64_t GIB = uint64_t{1} << 30;
constexpr uint64_t MEMORY_UPDATE = 0x40000000;

int count_code(int code) {
  int count = 0;
  for (const hostsim::Event& message : hostsim::messages()) count += message.code == code;
  return count;
}

class Lifecycle_Test : public Module_Test {
 protected:
  // The GPU total that Init recorded, read where the host reads it.
  uint64_t gpu_total() {
    char name[] = "$MEMORY_CUDA_AVAILABLE";
    void* address = module.Variable_Get(name, nullptr, nullptr);
    if (address == nullptr) {
      ADD_FAILURE() << "no address for " << name;
      return 0;
    }
    uint64_t value;
    std::memcpy(&value, address, sizeof value);
    return value;
  }

  // Init's whole output on a machine of 8 GiB with 3 GiB of address space free.
  void expect_plain_init() {
    hostsim::set_exact_bytes(true);
    hostsim::set_machine(8 * GIB, 3 * GIB);
    hostsim::clear_events();
    EXPECT_EQ(module.Init(), 1);
    const std::vector<hostsim::Event> messages = hostsim::messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].text, "Kestrum: Init");
    EXPECT_EQ(messages[1].text, "Memory Manager (32 bit) -> 3221225472 Tot Available");
    EXPECT_EQ(messages[2].text, "Memory Manager (32 bit) -> 8589934592 Tot RAM");
    for (const hostsim::Event& message : messages) EXPECT_EQ(message.code, 11);
    EXPECT_TRUE(hostsim::calls().empty());
  }
};

TEST_F(Lifecycle_Test, NamesAreConstantTextsAtOneAddress) {
  Flag_Trace = 8;  // none of them traces, whatever the level
  const char* name = module.Register(0);
  EXPECT_STREQ(name, "Memory Manager");
  EXPECT_EQ(module.Register(0), name);
  EXPECT_EQ(module.Register(0xFFFFFFFFu), name);
  const char* sort = module.Sort();
  EXPECT_STREQ(sort, "0D Memory Manager");
  EXPECT_EQ(module.Sort(), sort);
  const char* version = module.Version();
  EXPECT_STREQ(version, "1.0 Rev-11  (Aug 19 2020)");  // two blanks before "(Aug"
  EXPECT_EQ(module.Version(), version);
  const char* command = module.Script_Register();
  EXPECT_STREQ(command, "Memory");
  EXPECT_EQ(module.Script_Register(), command);
  EXPECT_EQ(module.Update_Register(), 0x1000000040000000ull);
  EXPECT_TRUE(hostsim::events().empty());
}

TEST_F(Lifecycle_Test, ExitLogsAndReturnsOneEvenBeforeInit) {
  EXPECT_EQ(module.Exit(), 1);
  EXPECT_EQ(module.Exit(), 1);
  const std::vector<hostsim::Event> messages = hostsim::messages();
  ASSERT_EQ(messages.size(), 2u);
  for (const hostsim::Event& message : messages) {
    EXPECT_EQ(message.code, 11);
    EXPECT_EQ(message.text, "Kestrum: Exit");
  }
}

TEST_F(Lifecycle_Test, DataExportReadsOne) {
  ASSERT_NE(module.NvOptimusEnablementCuda, nullptr);
  EXPECT_EQ(*module.NvOptimusEnablementCuda, 1u);
}

TEST_F(Lifecycle_Test, LibraryExportsTheEntryPointsAndNothingElse) {
  const std::string command =
      std::string("nm -D --defined-only --format=posix '") + KESTRUM_MODULE_PATH + "'";
  std::FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> exported;
  char line[512];
  while (std::fgets(line, sizeof line, pipe)) {
    const std::string text = line;
    exported.insert(text.substr(0, text.find(' ')));
  }
  ASSERT_EQ(pclose(pipe), 0) << command;
  const std::set<std::string> expected = {
      "Init",          "Exit",          "Register",        "Sort",
      "Version",       "Ctrl_Register", "Ctrl_Create",     "Ctrl_Resize",
      "Ctrl_Open",     "Ctrl_Close",    "Ctrl_Show",       "Ctrl_Hide",
      "Ctrl_Draw",     "Ctrl_Query",    "Ctrl_Click",      "Ctrl_Motion",
      "Ctrl_Leave",    "Ctrl_Help",     "Ctrl_Scroll",     "Script_Register",
      "Script_Parse",  "Update_Register", "Update_A",      "Variable_Register",
      "Variable_Get",  "NvOptimusEnablementCuda"};
  EXPECT_EQ(exported, expected);
}

// Codes 4, 6 and 11 are written at every level; 14 from level 4, 16 from 6, 18 from 8.
TEST_F(Lifecycle_Test, TraceLevelGatesTheTraceCodesOnly) {
  hostsim::set_machine(16u << 20, 16u << 20);
  hostsim::set_undo_bytes(32 << 20);  // over the budget: the update purges and says so
  for (const int level : {-128, -1, 0, 3, 4, 5, 6, 7, 8, 127}) {
    SCOPED_TRACE("Flag_Trace " + std::to_string(level));
    Flag_Trace = static_cast<signed char>(level);
    hostsim::clear_events();
    EXPECT_EQ(module.Init(), 1);
    EXPECT_EQ(module.Ctrl_Scroll(nullptr, 3), 1);          // one code-14 trace
    EXPECT_EQ(module.Update_A(MEMORY_UPDATE), 1);           // measurements: code 16
    char name[] = "$MEMORY_CUDA_USAGE";
    EXPECT_NE(module.Variable_Get(name, nullptr, nullptr), nullptr);  // code 18
    char help[] = "help";
    char* words[] = {help};
    EXPECT_EQ(module.Script_Parse(1, words), 0);           // help lines: code 6
    EXPECT_EQ(module.Exit(), 1);

    EXPECT_EQ(count_code(11), 4);  // Init, its two figures, Exit
    EXPECT_GE(count_code(4), 1);   // what the purge cleared
    EXPECT_EQ(count_code(6), 2);
    EXPECT_EQ(count_code(14) > 0, level >= 4);
    EXPECT_EQ(count_code(16) > 0, level >= 6);
    EXPECT_EQ(count_code(18), level >= 8 ? 1 : 0);
  }
}

TEST_F(Lifecycle_Test, InitWithoutUsableRuntimeFindsNoGpuAndReturnsOne) {
  hostsim::gpu_none();
  expect_plain_init();
  EXPECT_EQ(gpu_total(), 0u);

  hostsim::gpu_broken();  // the version call fails
  expect_plain_init();
  EXPECT_EQ(gpu_total(), 0u);

  hostsim::gpu_noinfo();  // the version call works, the memory information fails
  expect_plain_init();
  EXPECT_EQ(gpu_total(), 0u);
}

TEST_F(Lifecycle_Test, InitRecordsTheGpuTotalAndLogsNothingOfIt) {
  hostsim::gpu_present(24 * GIB, 5 * GIB);
  expect_plain_init();
  EXPECT_EQ(gpu_total(), 24 * GIB);
  char usage[] = "$MEMORY_CUDA_USAGE";
  uint64_t used;
  std::memcpy(&used, module.Variable_Get(usage, nullptr, nullptr), sizeof used);
  EXPECT_EQ(used, 0u);  // Init does not fill the usage

  // A later Init goes by the runtime as it is then.
  hostsim::gpu_none();
  expect_plain_init();
  EXPECT_EQ(gpu_total(), 0u);
  hostsim::gpu_present(uint64_t{1} << 40, 0);
  expect_plain_init();
  EXPECT_EQ(gpu_total(), uint64_t{1} << 40);
}

// No gpu setting: the machine's own runtime, or none. Here that is a runtime without a
// driver, or a real GPU; Init works either way.
TEST_F(Lifecycle_Test, InitWithTheMachinesRuntimeReturnsOne) {
  expect_plain_init();
  hostsim::gpu_present(24 * GIB, 0);
  hostsim::reset();  // back to the machine's runtime
  expect_plain_init();
}

}  // namespace
