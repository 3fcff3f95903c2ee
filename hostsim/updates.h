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
// Hands every queued word to the tools, in order (words that their delivery queues
// meanwhile are delivered too, up to a bound that stops a tool feeding itself forever).
void deliver_deferred();

}  // namespace hostsim
