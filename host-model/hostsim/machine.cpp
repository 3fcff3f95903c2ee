// The memory-status call as the host model answers it to a module: the platform's real
// figures, or the physical memory and free address space that set_machine fixed.
#include "hostsim/machine.h"

#include <limits>

#include "hostsim/platform.h"
#include "hostsim/reset.h"

namespace hostsim {

namespace {

bool g_fixed_physical = false;
bool g_fixed_available = false;
uint64_t g_physical = 0;
uint64_t g_available = 0;
uint32_t g_last_length = 0;

const Reset_Registration g_reset{[] {
  g_fixed_physical = false;
  g_fixed_available = false;
  g_last_length = 0;
  restore_address_space();
}};

}  // namespace

// A 32-bit SIZE_T cannot hold more than 4 GiB - 1; like the Windows call, report that.
SIZE_T saturate(uint64_t bytes) {
  const uint64_t most = std::numeric_limits<SIZE_T>::max();
  return static_cast<SIZE_T>(bytes < most ? bytes : most);
}

void set_machine(uint64_t physical_bytes, uint64_t available_bytes) {
  g_fixed_physical = true;
  g_fixed_available = true;
  g_physical = physical_bytes;
  g_available = available_bytes;
}

void set_physical_memory(uint64_t physical_bytes) {
  g_fixed_physical = true;
  g_fixed_available = false;
  g_physical = physical_bytes;
}

void use_real_machine() {
  g_fixed_physical = false;
  g_fixed_available = false;
}

uint32_t last_memory_status_length() { return g_last_length; }

void answer_memory_status(MEMORYSTATUS* status) {
  if (status == nullptr) return;
  g_last_length = status->dwLength;
  real_memory_status(*status, !g_fixed_available);
  if (g_fixed_physical) status->dwTotalPhys = saturate(g_physical);
  if (g_fixed_available) status->dwAvailVirtual = saturate(g_available);
}

}  // namespace hostsim
