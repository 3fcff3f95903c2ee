// The host's update notifications: Fct_Update records the word and hands it to every
// registered tool whose registration shares a bit with it, at once or after the tool's
// current entry point has returned.
#include "hostsim/updates.h"

#include <string>
#include <vector>

#include "host/host_services.h"
#include "hostsim/events.h"
#include "hostsim/reset.h"

namespace hostsim {

namespace {

struct Tool {
  uint64_t registration;
  kestrum::Update_A_Fn update;
};

std::vector<Tool> g_tools;
std::vector<uint64_t> g_queue;
Delivery g_mode = Delivery::DEFERRED;
int g_depth = 0;
bool g_draining = false;
bool g_held = false;

const Reset_Registration g_reset{[] {
  g_tools.clear();
  g_queue.clear();
  g_mode = Delivery::DEFERRED;
  g_depth = 0;
  g_draining = false;
  g_held = false;
}};

void hand_on(uint64_t word) {
  const std::vector<Tool> tools = g_tools;  // a tool may (un)register while it runs
  for (const Tool& tool : tools)
    if ((tool.registration & word) != 0 && tool.update != nullptr) tool.update(word);
}

}  // namespace

void set_delivery(Delivery mode) { g_mode = mode; }
Delivery delivery() { return g_mode; }

void register_tool(uint64_t registration, kestrum::Update_A_Fn update) {
  g_tools.push_back(Tool{registration, update});
}

void unregister_tools() { g_tools.clear(); }

void deliver_deferred() {
  if (g_draining || g_held) return;  // already draining further up the stack / not yet
  g_draining = true;
  for (int round = 0; round < DELIVERY_BOUND && !g_queue.empty(); ++round) {
    std::vector<uint64_t> batch;
    batch.swap(g_queue);
    for (uint64_t word : batch) hand_on(word);
  }
  if (!g_queue.empty()) {
    const size_t dropped = g_queue.size();
    record_note("update re-delivery stopped after " + std::to_string(DELIVERY_BOUND) + " rounds (its bound): " +
                std::to_string(dropped) + (dropped == 1 ? " word" : " words") + " dropped");
  }
  g_queue.clear();
  g_draining = false;
}

void hold_updates(bool held) { g_held = held; }

}  // namespace hostsim

int Fct_Update(Host_UInt64 flags, void*, void*, Region_2D*) {
  using namespace hostsim;
  record_call("Fct_Update " + hex_word(flags));
  if (g_mode == Delivery::DEFERRED || g_held) {
    g_queue.push_back(flags);
  } else if (g_depth < DELIVERY_BOUND) {
    ++g_depth;
    hand_on(flags);
    --g_depth;
  } else {
    record_note("update delivery stopped at " + std::to_string(DELIVERY_BOUND) +
                " nested deliveries (its bound): " + hex_word(flags) + " dropped");
  }
  return 1;
}
