// The memory-status call: the machine's physical memory and the free address space of
// this process, real or as set_machine fixed them.
#include "hostsim/machine.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <limits>

#include "hostsim/reset.h"
#include "platform/windows_api.h"

namespace hostsim {

namespace {

bool g_fixed = false;
uint64_t g_physical = 0;
uint64_t g_available = 0;
uint32_t g_last_length = 0;

const Reset_Registration g_reset{[] {
  g_fixed = false;
  g_last_length = 0;
}};

// User address space of a process of this width: 47 bits on x86-64, and the whole
// 4 GiB for a 32-bit process on a 64-bit kernel.
constexpr uint64_t USER_ADDRESS_SPACE =
    sizeof(void*) == 8 ? uint64_t{1} << 47 : uint64_t{1} << 32;

// Bytes mapped now, below the user address space's end.
uint64_t mapped_bytes() {
  std::FILE* maps = std::fopen("/proc/self/maps", "r");
  if (!maps) return 0;
  uint64_t total = 0;
  char line[512];
  while (std::fgets(line, sizeof line, maps)) {
    uint64_t start = 0;
    uint64_t end = 0;
    if (std::sscanf(line, "%" SCNx64 "-%" SCNx64, &start, &end) != 2) continue;
    if (start >= USER_ADDRESS_SPACE || end <= start) continue;  // [vsyscall] and the like
    total += (end < USER_ADDRESS_SPACE ? end : USER_ADDRESS_SPACE) - start;
  }
  std::fclose(maps);
  return total;
}

// A 32-bit SIZE_T cannot hold more than 4 GiB - 1; like the Windows call, report that.
SIZE_T saturate(uint64_t bytes) {
  const uint64_t most = std::numeric_limits<SIZE_T>::max();
  return static_cast<SIZE_T>(bytes < most ? bytes : most);
}

}  // namespace

void set_machine(uint64_t physical_bytes, uint64_t available_bytes) {
  g_fixed = true;
  g_physical = physical_bytes;
  g_available = available_bytes;
}

void use_real_machine() { g_fixed = false; }

uint64_t real_physical_memory() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long page_size = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || page_size <= 0) return 0;
  return static_cast<uint64_t>(pages) * static_cast<uint64_t>(page_size);
}

uint64_t real_available_address_space() {
  uint64_t limit = USER_ADDRESS_SPACE;
  rlimit as_limit{};
  if (getrlimit(RLIMIT_AS, &as_limit) == 0 && as_limit.rlim_cur != RLIM_INFINITY &&
      static_cast<uint64_t>(as_limit.rlim_cur) < limit)
    limit = static_cast<uint64_t>(as_limit.rlim_cur);
  const uint64_t mapped = mapped_bytes();
  return limit > mapped ? limit - mapped : 0;
}

uint32_t last_memory_status_length() { return g_last_length; }

}  // namespace hostsim

// Only the two fields a tool relies on are filled; the others read 0.
extern "C" void WINAPI GlobalMemoryStatus(MEMORYSTATUS* status) {
  if (status == nullptr) return;
  using namespace hostsim;
  g_last_length = status->dwLength;
  const DWORD length = status->dwLength;
  *status = MEMORYSTATUS{};
  status->dwLength = length;
  status->dwTotalPhys = saturate(g_fixed ? g_physical : real_physical_memory());
  status->dwAvailVirtual = saturate(g_fixed ? g_available : real_available_address_space());
}
