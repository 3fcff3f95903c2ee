// The two host variables that publish the GPU memory: their names, the addresses that
// Variable_Get hands out, and names it must refuse without reading past their end.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "host/host_services.h"
#include "hostsim/gpu.h"
#include "module_fixture.h"

namespace {

const int UNTOUCHED_COUNT = -7;
const unsigned short UNTOUCHED_TYPE = 0xBEEF;

// A name in a buffer of exactly its own size, so that a read past its end is a fault
// under the address sanitizer.
std::unique_ptr<char[]> exact(const char* text) {
  const size_t size = std::strlen(text) + 1;
  std::unique_ptr<char[]> copy(new char[size]);
  std::memcpy(copy.get(), text, size);
  return copy;
}

uint64_t read_value(void* address) {
  uint64_t value;
  std::memcpy(&value, address, sizeof value);
  return value;
}

class Variables_Test : public Module_Test {
 protected:
  // Asks for `name` with both out-arguments and expects nothing selected or written.
  void expect_refused(char* name) {
    int count = UNTOUCHED_COUNT;
    unsigned short type = UNTOUCHED_TYPE;
    EXPECT_EQ(module.Variable_Get(name, &count, &type), nullptr);
    EXPECT_EQ(count, UNTOUCHED_COUNT);
    EXPECT_EQ(type, UNTOUCHED_TYPE);
  }
};

TEST_F(Variables_Test, RegisterGivesTheTwoNamesInOrder) {
  char** names = nullptr;
  EXPECT_EQ(module.Variable_Register(&names), 2);
  ASSERT_NE(names, nullptr);
  EXPECT_STREQ(names[0], "$MEMORY_CUDA_AVAILABLE");
  EXPECT_STREQ(names[1], "$MEMORY_CUDA_USAGE");

  char** again = nullptr;
  EXPECT_EQ(module.Variable_Register(&again), 2);
  EXPECT_EQ(again, names);
  EXPECT_EQ(module.Variable_Register(nullptr), 0);  // nowhere to put the table
  EXPECT_TRUE(hostsim::events().empty());           // registering writes no trace
}

TEST_F(Variables_Test, GetHandsOutStableAddressesThatInitFillsLater) {
  auto available = exact("$MEMORY_CUDA_AVAILABLE");
  auto usage = exact("$MEMORY_CUDA_USAGE");
  int count = UNTOUCHED_COUNT;
  unsigned short type = UNTOUCHED_TYPE;
  void* gpu_total = module.Variable_Get(available.get(), &count, &type);
  ASSERT_NE(gpu_total, nullptr);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(type, 32832);
  EXPECT_EQ(read_value(gpu_total), 0u);  // before Init

  // Without out-arguments only the address comes back.
  void* gpu_used = module.Variable_Get(usage.get(), nullptr, nullptr);
  ASSERT_NE(gpu_used, nullptr);
  EXPECT_NE(gpu_used, gpu_total);
  count = UNTOUCHED_COUNT;
  EXPECT_EQ(module.Variable_Get(usage.get(), &count, nullptr), gpu_used);
  EXPECT_EQ(count, 1);
  type = UNTOUCHED_TYPE;
  EXPECT_EQ(module.Variable_Get(usage.get(), nullptr, &type), gpu_used);
  EXPECT_EQ(type, 32832);

  // An address taken before Init reads what Init records; the usage stays 0.
  hostsim::gpu_present(24ull << 30, 3ull << 30);
  EXPECT_EQ(module.Init(), 1);
  EXPECT_EQ(module.Variable_Get(available.get(), nullptr, nullptr), gpu_total);
  EXPECT_EQ(read_value(gpu_total), 24ull << 30);
  EXPECT_EQ(read_value(gpu_used), 0u);
}

TEST_F(Variables_Test, OnlyTheFourteenthCharacterSelects) {
  auto any_a = exact("$XXXXXXXXXXXXA");
  auto any_u = exact("$MEMORY_CUDA_Unknown");
  void* gpu_total = module.Variable_Get(exact("$MEMORY_CUDA_AVAILABLE").get(), nullptr, nullptr);
  void* gpu_used = module.Variable_Get(exact("$MEMORY_CUDA_USAGE").get(), nullptr, nullptr);
  EXPECT_EQ(module.Variable_Get(any_a.get(), nullptr, nullptr), gpu_total);
  EXPECT_EQ(module.Variable_Get(any_u.get(), nullptr, nullptr), gpu_used);

  // 'T', a lower-case 'a', and the terminator of a 13-character name select nothing.
  for (const char* name : {"$INTERFACE_TITLE_DIM_BIG", "$MEMORY_CUDA_available",
                           "$MEMORY_CUDA_", "$MEMORY_CUDA", "$", ""}) {
    SCOPED_TRACE(name);
    auto copy = exact(name);
    expect_refused(copy.get());
  }
  expect_refused(nullptr);
}

TEST_F(Variables_Test, TraceOnlyFromLevelEight) {
  auto usage = exact("$MEMORY_CUDA_USAGE");
  Flag_Trace = 7;
  module.Variable_Get(usage.get(), nullptr, nullptr);
  EXPECT_TRUE(hostsim::events().empty());

  Flag_Trace = 8;
  module.Variable_Get(usage.get(), nullptr, nullptr);
  module.Variable_Get(nullptr, nullptr, nullptr);
  const auto messages = hostsim::messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].code, 18);
  EXPECT_EQ(messages[0].text, "Kestrum: Variable_Get($MEMORY_CUDA_USAGE)");
  EXPECT_EQ(messages[1].code, 18);
  EXPECT_EQ(messages[1].text, "Kestrum: Variable_Get((null))");
  EXPECT_TRUE(hostsim::calls().empty());
}

}  // namespace
