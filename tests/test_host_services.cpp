// The host model's own services that every part of the module leans on: the message
// window, byte-count texts, update delivery, variables and the memory status.
#include <cstring>
#include <string>
#include <vector>

#include "host/host_services.h"
#include "hostsim/machine.h"
#include "hostsim/updates.h"
#include "hostsim/variables.h"
#include "module_fixture.h"

namespace {

std::string human(int64_t bytes) {
  hostsim::set_exact_bytes(false);
  return Int_2_Byte(bytes, nullptr);
}

TEST(Host_Services, ByteTextsExactAndHuman) {
  hostsim::reset();
  EXPECT_STREQ(Int_2_Byte(1536, nullptr), "1.50 KiB");  // human is the default
  EXPECT_EQ(human(0), "0 B");
  EXPECT_EQ(human(100), "100 B");
  EXPECT_EQ(human(1023), "1023 B");
  EXPECT_EQ(human(512 * 1024), "512 KiB");
  EXPECT_EQ(human(int64_t{3} << 29), "1.50 GiB");
  EXPECT_EQ(human(int64_t{2047} << 20), "2047 MiB");  // not "2.00 GiB"
  EXPECT_EQ(human((int64_t{1} << 20) - 1), "1048575 B");
  EXPECT_EQ(human(-(int64_t{5} << 40)), "-5 TiB");
  EXPECT_EQ(human(INT64_MIN), "-8 EiB");
  EXPECT_EQ(human(INT64_MAX), "9223372036854775807 B");  // every rounding would hide a byte
  EXPECT_EQ(human((int64_t{3} << 30) + (int64_t{1} << 29) + 12345), "3.50 GiB");

  hostsim::set_exact_bytes(true);
  EXPECT_STREQ(Int_2_Byte(INT64_MIN, nullptr), "-9223372036854775808");
  char* first = Int_2_Byte(42, nullptr);
  EXPECT_EQ(Int_2_Byte(43, nullptr), first);  // one buffer, rewritten
  EXPECT_STREQ(first, "43");
  hostsim::reset();
  EXPECT_STREQ(Int_2_Byte(1024, nullptr), "1 KiB");
}

TEST(Host_Services, ErrorFctKeepsTextsOfAnyLength) {
  hostsim::reset();
  const std::string long_text(5000, 'x');
  Error_Fct(hwnd, 4, "%s|%d|\x01%s\x02", long_text.c_str(), -7, "v");
  ASSERT_EQ(hostsim::messages().size(), 1u);
  EXPECT_EQ(hostsim::messages()[0].code, 4);
  EXPECT_EQ(hostsim::messages()[0].text, long_text + "|-7|\x01v\x02");
  Error_Fct(hwnd, 11, "");
  EXPECT_EQ(hostsim::messages().back().text, "");
}

TEST(Host_Services, RedrawAndHelpAreRecorded) {
  hostsim::reset();
  Fct_Redraw(0x33FFFFFF00000000ull, nullptr, nullptr, nullptr);
  Fct_Help("kestrum", "bar");
  Fct_Help("kestrum", nullptr);
  EXPECT_EQ(hostsim::calls(), (std::vector<std::string>{"Fct_Redraw 0x33FFFFFF00000000",
                                                         "Fct_Help kestrum bar",
                                                         "Fct_Help kestrum null"}));
}

// A tool standing in for a module: counts its updates and may send one back.
std::vector<uint64_t> g_received;
bool g_echo = false;
int record_update(uint64_t word) {
  g_received.push_back(word);
  if (g_echo) Fct_Update(word, nullptr, nullptr, nullptr);
  return 1;
}

class Delivery_Test : public testing::Test {
 protected:
  void SetUp() override {
    hostsim::reset();
    g_received.clear();
    g_echo = false;
    hostsim::register_tool(0x1000000040000000ull, record_update);
  }
};

TEST_F(Delivery_Test, DeferredWordsWaitForTheHost) {
  EXPECT_EQ(hostsim::delivery(), hostsim::Delivery::DEFERRED);
  Fct_Update(0x40000000, nullptr, nullptr, nullptr);
  Fct_Update(0x404, nullptr, nullptr, nullptr);  // shares no bit: not for this tool
  Fct_Update(0x1000000000000000ull, nullptr, nullptr, nullptr);
  EXPECT_TRUE(g_received.empty());
  hostsim::deliver_deferred();
  EXPECT_EQ(g_received, (std::vector<uint64_t>{0x40000000, 0x1000000000000000ull}));
  EXPECT_EQ(hostsim::calls(), (std::vector<std::string>{"Fct_Update 0x0000000040000000",
                                                         "Fct_Update 0x0000000000000404",
                                                         "Fct_Update 0x1000000000000000"}));
  hostsim::deliver_deferred();
  EXPECT_EQ(g_received.size(), 2u);
}

TEST_F(Delivery_Test, SyncDeliversInsideTheCall) {
  hostsim::set_delivery(hostsim::Delivery::SYNC);
  Fct_Update(0x40000000, nullptr, nullptr, nullptr);
  EXPECT_EQ(g_received, std::vector<uint64_t>{0x40000000});
}

TEST_F(Delivery_Test, AToolFeedingItselfIsBounded) {
  g_echo = true;
  hostsim::set_delivery(hostsim::Delivery::SYNC);
  Fct_Update(0x40000000, nullptr, nullptr, nullptr);
  EXPECT_EQ(g_received.size(), 16u);

  g_received.clear();
  hostsim::set_delivery(hostsim::Delivery::DEFERRED);
  Fct_Update(0x40000000, nullptr, nullptr, nullptr);
  hostsim::deliver_deferred();
  EXPECT_EQ(g_received.size(), 16u);
  g_received.clear();
  hostsim::deliver_deferred();  // what was left over was dropped
  EXPECT_TRUE(g_received.empty());
}

TEST(Host_Variables, LayoutDefaultsAndStableStorage) {
  hostsim::reset();
  EXPECT_EQ(Fct_Variable_Value("$INTERFACE_TITLE_DIM_BIG", nullptr, nullptr, nullptr), 20);
  EXPECT_EQ(Fct_Variable_Value("$INTERFACE_TOOL_FONT_WEIGHT", nullptr, nullptr, nullptr), 400);
  const auto font = reinterpret_cast<const char*>(
      Fct_Variable_Value("$INTERFACE_TITLE_FONT_NAME", nullptr, nullptr, nullptr));
  ASSERT_NE(font, nullptr);
  EXPECT_STREQ(font, "DejaVu Sans");

  void* address = Fct_Variable_Get("$INTERFACE_SPACE_DIM", nullptr, nullptr, nullptr, 0);
  ASSERT_NE(address, nullptr);
  EXPECT_TRUE(hostsim::unset_variable("$INTERFACE_SPACE_DIM"));
  EXPECT_FALSE(hostsim::unset_variable("$INTERFACE_SPACE_DIM"));
  EXPECT_EQ(Fct_Variable_Get("$INTERFACE_SPACE_DIM", nullptr, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(Fct_Variable_Value("$INTERFACE_SPACE_DIM", nullptr, nullptr, nullptr), 0);
  hostsim::set_variable("$INTERFACE_SPACE_DIM", 9);
  EXPECT_EQ(Fct_Variable_Get("$INTERFACE_SPACE_DIM", nullptr, nullptr, nullptr, 0), address);
  intptr_t word;
  std::memcpy(&word, address, sizeof word);
  EXPECT_EQ(word, 9);

  // A text read earlier stays readable after the variable changes.
  hostsim::set_text_variable("$INTERFACE_TITLE_FONT_NAME", "DejaVu Serif");
  EXPECT_STREQ(font, "DejaVu Sans");
  hostsim::reset();
  EXPECT_EQ(Fct_Variable_Value("$INTERFACE_SPACE_DIM", nullptr, nullptr, nullptr), 4);
  EXPECT_EQ(Fct_Variable_Get("$NO_SUCH", nullptr, nullptr, nullptr, 0), nullptr);
  EXPECT_FALSE(hostsim::variable_exists("$NO_SUCH"));
}

TEST(Host_Variables, DataTablesKeepTheirOwnersStorage) {
  hostsim::reset();
  static uint32_t table_count = 3;
  hostsim::define_variable("$TEST_TABLE_NB", &table_count);
  int count = 0;
  unsigned short type = 0;
  EXPECT_EQ(Fct_Variable_Get("$TEST_TABLE_NB", &count, &type, nullptr, 0), &table_count);
  EXPECT_EQ(count, 1);
  EXPECT_THROW(hostsim::set_variable("$TEST_TABLE_NB", 5), std::invalid_argument);
  EXPECT_TRUE(hostsim::unset_variable("$TEST_TABLE_NB"));
  hostsim::reset();  // part of the host: back after a reset
  EXPECT_EQ(Fct_Variable_Get("$TEST_TABLE_NB", nullptr, nullptr, nullptr, 0), &table_count);
}

TEST(Host_Machine, MemoryStatusReportsTheFixedFigures) {
  hostsim::reset();
  hostsim::set_machine(uint64_t{3} << 30, uint64_t{1} << 30);
  MEMORYSTATUS status{};
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
  EXPECT_EQ(status.dwTotalPhys, SIZE_T{3} << 30);
  EXPECT_EQ(status.dwAvailVirtual, SIZE_T{1} << 30);
  EXPECT_EQ(hostsim::last_memory_status_length(), sizeof status);
  hostsim::use_real_machine();
  GlobalMemoryStatus(&status);
  EXPECT_EQ(static_cast<uint64_t>(status.dwTotalPhys), hostsim::real_physical_memory());
  EXPECT_GT(status.dwAvailVirtual, 0u);
}

}  // namespace
