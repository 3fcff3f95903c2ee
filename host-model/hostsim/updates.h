// How the host passes update words on to its tools. Fct_Update hands a word to every
// registered tool whose registration shares a bit with it, by calling its Update_A:
// at once, nested inside the caller (SYNC), or once the module's current entry point
// has returned (DEFERRED, the default), when the host calls deliver_deferred().
#pragma once

#include <cstdint>

#include "plugin/kestrum.h"

namespace hostsim {

enum class Delivery { DEFERRED, SYNC };
void set_delivery(Delivery mode);
Delivery delivery();

// Registers a tool for updates; a host does this when it loads the tool.
void register_tool(uint64_t registration, kestrum::Update_A_Fn update);
void unregister_tools();
// Hands every queued word to the tools, in order. Words that their delivery queues
// meanwhile are delivered in a next round, for at most DELIVERY_BOUND rounds: a tool
// whose every update sends another would feed itself for ever. Words left after the
// last round are dropped, and a note says so. Nested (SYNC) deliveries stop at the same
// depth, with a note too.
constexpr int DELIVERY_BOUND = 16;
void deliver_deferred();

// While held, Fct_Update queues every word (in either mode) and deliver_deferred keeps
// them: a host hands a tool no update before the tool's Init has run. Not held at start.
void hold_updates(bool held);

}  // namespace hostsim
