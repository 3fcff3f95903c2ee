// The host's update notifications: Fct_Update records the word and hands it to every
// registered tool whose registration shares a bit with it, at once or after the tool's
// current entry point has returned.
#include "hostsim/updates.h"

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

// A tool whose Update_A sends the word back would otherwise recurse (SYNC) or refill
// the queue (DEFERRED) for ever; past this many nested deliveries / rounds of the
// queue, words are dropped.
constexpr int DELIVERY_BOUND = 16;

std::vector<Tool> g_tools;
std::vector<uint64_t> g_queue;
Delivery g_mode = Delivery::DEFERRED;
int g_depth = 0;
bool g_draining = false;

const Reset_Registration g_reset{[] {
  g_tools.clear();
  g_queue.clear();
  g_mode = Delivery::DEFERRED;
  g_depth = 0;
  g_draining = false;
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
  if (g_draining) return;  // already draining further up the stack
  g_draining = true;
  for (int round = 0; round < DELIVERY_BOUND && !g_queue.empty(); ++round) {
    std::vector<uint64_t> batch;
    batch.swap(g_queue);
    for (uint64_t word : batch) hand_on(word);
  }
  g_queue.clear();
  g_draining = false;
}

}  // namespace hostsim

int Fct_Update(uint64_t flags, void*, void*, Region_2D*) {
  using namespace hostsim;
  record_call("Fct_Update " + hex_word(flags));
  if (g_mode == Delivery::DEFERRED) {
    g_queue.push_back(flags);
  } else if (g_depth < DELIVERY_BOUND) {
    ++g_depth;
    hand_on(flags);
    --g_depth;
  }
  return 1;
}
