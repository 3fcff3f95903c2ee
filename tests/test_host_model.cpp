// The host model as every module test relies on it: it records the module's calls and
// messages faithfully, delivers updates as a host does and counts what the module must
// give back. (Where its drawing calls put pixels and which widget a pointer selects, the
// bar tests and the session panel_events check against the panel's own arithmetic.)
#include <gtest/gtest.h>

#include "host/host_services.h"
#include "host/widget_toolkit.h"
#include "hostsim/events.h"
#include "hostsim/machine.h"
#include "hostsim/reset.h"
#include "hostsim/toolkit.h"
#include "hostsim/updates.h"
#include "hostsim/windows.h"

namespace {

using Strings = std::vector<std::string>;

class Host_Model : public testing::Test {
 protected:
  void SetUp() override { hostsim::reset(); }
};

TEST_F(Host_Model, RecordsMessagesAndCallsAsTheModuleMadeThem) {
  const std::string long_text(5000, 'x');
  Error_Fct(hwnd, 4, Host_Text("%s|%d|\x01%s\x02"), long_text.c_str(), -7, "v");
  Error_Fct(hwnd, 11, Host_Text(""));
  ASSERT_EQ(hostsim::messages().size(), 2u);
  EXPECT_EQ(hostsim::messages()[0].code, 4);
  EXPECT_EQ(hostsim::messages()[0].text, long_text + "|-7|\x01v\x02");
  EXPECT_EQ(hostsim::messages()[1].text, "");
  Fct_Redraw(0x33FFFFFF00000000ull, nullptr, nullptr, nullptr);
  Fct_Help(Host_Text("kestrum"), Host_Text("bar"));
  Fct_Help(Host_Text("kestrum"), nullptr);
  EXPECT_EQ(hostsim::calls(),
            (Strings{"Fct_Redraw 0x33FFFFFF00000000", "Fct_Help kestrum bar", "Fct_Help kestrum null"}));
  hostsim::set_exact_bytes(true);
  char* first = Int_2_Byte(42, nullptr);
  EXPECT_EQ(Int_2_Byte(43, nullptr), first);  // one buffer, rewritten
  EXPECT_STREQ(first, "43");

  // A widget's drawing is recorded with its text as it is then.
  HWND window = hostsim::create_window(100, 50);
  Labels label;
  Buttons press;
  char text[8] = "12 MiB";
  label.Text = text;
  label.Init(window);
  press.Text = "Go";
  press.Init(window);
  hostsim::clear_events();
  text[0] = '7';
  label.Draw();
  press.Pressed = 1;
  press.Adjust();
  EXPECT_EQ(hostsim::calls(), (Strings{"Draw label 72 MiB", "Adjust Go 1"}));
}

// A tool standing in for a module: records its updates and may send one back.
std::vector<uint64_t> g_received;
bool g_echo = false;
int record_update(uint64_t word) {
  g_received.push_back(word);
  if (g_echo) Fct_Update(word, nullptr, nullptr, nullptr);
  return 1;
}

// Deferred (the default) words wait for the host and reach a tool only when they share a
// bit with its registration; immediate delivery happens inside the call; a tool feeding
// itself is stopped after 16 rounds either way, and what was left over dropped.
TEST_F(Host_Model, DeliversUpdatesAsAHostDoes) {
  g_received.clear();
  g_echo = false;
  hostsim::register_tool(0x1000000040000000ull, record_update);
  for (const uint64_t word : {uint64_t{0x40000000}, uint64_t{0x404}, uint64_t{0x1000000000000000}})
    Fct_Update(word, nullptr, nullptr, nullptr);
  EXPECT_TRUE(g_received.empty());
  hostsim::deliver_deferred();
  EXPECT_EQ(g_received, (std::vector<uint64_t>{0x40000000, 0x1000000000000000ull}));
  EXPECT_EQ(hostsim::calls(), (Strings{"Fct_Update 0x0000000040000000", "Fct_Update 0x0000000000000404",
                                       "Fct_Update 0x1000000000000000"}));
  g_echo = true;
  for (const auto delivery : {hostsim::Delivery::SYNC, hostsim::Delivery::DEFERRED}) {
    g_received.clear();
    hostsim::set_delivery(delivery);
    Fct_Update(0x40000000, nullptr, nullptr, nullptr);
    for (int round = 0; round < 2; ++round) hostsim::deliver_deferred();
    EXPECT_EQ(g_received.size(), 16u);
  }
}

// The counts that the module tests read to see that it gave everything back.
TEST_F(Host_Model, CountsContextsPensAndLocks) {
#ifdef _WIN32
  GTEST_SKIP() << "the Linux stand-in's counts of these calls; on Windows they are the system's own";
#endif
  HWND window = hostsim::create_window(4, 4);
  HDC dc = GetDC(window);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(hostsim::live_dcs(), 1);
  HPEN pen = CreatePen(PS_SOLID, 0, 0);
  HGDIOBJ stock = SelectObject(dc, pen);
  EXPECT_FALSE(DeleteObject(pen));  // a pen still selected is not deleted
  EXPECT_EQ(hostsim::live_pens(), 1);
  SelectObject(dc, stock);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_EQ(ReleaseDC(window, dc), 1);
  EXPECT_EQ(hostsim::live_dcs(), 0);

  CRITICAL_SECTION section{};
  EnterCriticalSection(&section);  // never initialised
  EXPECT_EQ(hostsim::lock_misuses(), 1u);
  InitializeCriticalSection(&section);
  for (const int depth : {1, 2}) {
    EnterCriticalSection(&section);
    EXPECT_EQ(hostsim::lock_depth(&section), depth);
  }
  LeaveCriticalSection(&section);
  LeaveCriticalSection(&section);
  EXPECT_EQ(hostsim::lock_depth(&section), 0);
  EXPECT_EQ(hostsim::lock_entries(&section), 2u);
  DeleteCriticalSection(&section);
}

}  // namespace
