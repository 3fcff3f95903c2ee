#include "accounting/budget.h"

#include <limits>

#include "accounting/byte_text.h"
#include "accounting/cuda_runtime.h"
#include "accounting/memory_state.h"
#include "host/host_services.h"
#include "plugin/messages.h"
#include "platform/windows_api.h"

namespace kestrum {

namespace {

uint64_t Round_Down_MiB(uint64_t bytes) { return bytes & ~((uint64_t{1} << 20) - 1); }

// `percent` of the budget less the default share: the product first, the quotient
// truncated, the subtraction last.
uint64_t Threshold(uint64_t percent) { return Memory_RAM * percent / 100 - Memory_Default; }

}  // namespace

void Memory_Budget_Init() {
  Memory_Default = DEFAULT_SHARE;
  Memory_Reserve = BAR_RESERVE;

  MEMORYSTATUS status{};
  status.dwLength = sizeof(MEMORYSTATUS);
  GlobalMemoryStatus(&status);

  // Both fields are unsigned and pointer-wide: widened with zeros.
  Memory_Available = Round_Down_MiB(static_cast<uint64_t>(status.dwAvailVirtual));
  KESTRUM_MESSAGE(MSG_LOG, "Memory Manager (32 bit) -> %s Tot Available", Byte_Text(Memory_Available));
  Memory_RAM = Round_Down_MiB(static_cast<uint64_t>(status.dwTotalPhys));
  KESTRUM_MESSAGE(MSG_LOG, "Memory Manager (32 bit) -> %s Tot RAM", Byte_Text(Memory_RAM));
  if (Memory_RAM >= Memory_Available) Memory_RAM = Memory_Available;

  if (Memory_RAM == 0) {
    // Less than 1 MiB of RAM or address space: the thresholds would wrap below zero, and
    // a purge could free nothing worth having. Both go to the top, 2^64 - 1 (an
    // implementer's choice). A total reaches it only when all its bits are set, which
    // only figures that wrap give: the purge then starts, equality counting as at any
    // budget, and stops after level 15, its target (the gap between the two) being 0.
    // A total made "negative" by a host figure's sign lies below it, short of -1.
    Memory_High = std::numeric_limits<uint64_t>::max();
    Memory_Max = std::numeric_limits<uint64_t>::max();
    return;
  }
  // From 1 MiB up, 80 per cent is more than the default share: no wrap-around.
  Memory_High = Threshold(80);
  Memory_Max = Threshold(100);
}

void Memory_GPU_Init() {
  Memory_CUDA_Available = 0;  // also when an earlier Init found a GPU
  if (!Cuda_Runtime_Open()) return;
  uint64_t free_bytes = 0;
  uint64_t total_bytes = 0;
  Cuda_Memory_Info(free_bytes, total_bytes);  // total stays 0 when the call fails
  // The total as reported, also when capped (CUDA_CAPPED_FIGURE): the panel's caption,
  // its GPU message and $MEMORY_CUDA_AVAILABLE then show the capped figure, the least
  // the GPU has.
  Memory_CUDA_Available = total_bytes;
}

}  // namespace kestrum
