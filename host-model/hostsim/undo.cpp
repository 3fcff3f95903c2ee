#include "hostsim/undo.h"

#include "host/host_services.h"
#include "hostsim/events.h"
#include "hostsim/real_memory.h"
#include "hostsim/reset.h"

namespace hostsim {

namespace {
int32_t g_undo_bytes = 0;
Real_Memory g_undo_memory;

const Reset_Registration g_reset{[] {
  g_undo_bytes = 0;
  g_undo_memory = Real_Memory();
}};
}  // namespace

void set_undo_bytes(int32_t bytes, bool real) {
  g_undo_memory = real && bytes > 0 ? Real_Memory(static_cast<uint64_t>(bytes)) : Real_Memory();
  g_undo_bytes = bytes;
}

int32_t undo_bytes() { return g_undo_bytes; }

}  // namespace hostsim

int Undo_Memory() { return hostsim::undo_bytes(); }

int Undo_Reset() {
  if (hostsim::recording()) hostsim::record_call("Undo_Reset");
  hostsim::set_undo_bytes(0);
  return 1;
}
