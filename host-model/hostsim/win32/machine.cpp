// The machine's real figures on Windows, from the memory-status call itself, and the
// console's address-space limit: Windows has no per-process limit, so the free address
// space is made small by reserving the rest of it.
#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "hostsim/machine.h"
#include "hostsim/platform.h"
#include "hostsim/real_memory.h"

namespace hostsim {

namespace {

constexpr uint64_t MIB = uint64_t{1} << 20;
constexpr uint64_t GRANULE = 64 * 1024;  // Windows reserves address space in these steps
constexpr uint64_t PROCESS_ROOM = 8 * MIB;
// Wine fits one large block fewer into a freed piece than its size says (seven blocks of
// 64 MiB into 512 MiB): the host's data get this much more room than the figure shows.
constexpr uint64_t WINE_SLACK = 128 * MIB;

struct Reservation {
  char* base;
  uint64_t size;
};
std::vector<Reservation> g_reservations;
bool g_limited = false;
uint64_t g_left = 0;       // free address space left by limit_address_space
uint64_t g_held_then = 0;  // the host's real memory at that moment

MEMORYSTATUS system_status() {
  MEMORYSTATUS status{};
  status.dwLength = sizeof status;
  ::GlobalMemoryStatus(&status);
  return status;
}

// Reserves every piece of free address space that a VirtualAlloc can have, the largest first.
void reserve_everything() {
  for (uint64_t piece = uint64_t{1} << 31; piece >= GRANULE; piece >>= 1) {
    while (void* reserved = VirtualAlloc(nullptr, static_cast<SIZE_T>(piece), MEM_RESERVE, PAGE_NOACCESS))
      g_reservations.push_back({static_cast<char*>(reserved), piece});
  }
}

}  // namespace

// Under a limit, the free address space is what limit_address_space left, less what the
// host has allocated since: Wine's memory-status call does not count reservations. The
// system's call reports every figure at once, so an unwanted free space costs nothing.
void real_memory_status(MEMORYSTATUS& status, bool) {
  const DWORD length = status.dwLength;
  status = system_status();
  status.dwLength = length;
  if (g_limited) {
    const uint64_t held = real_bytes_held();
    const uint64_t used = held > g_held_then ? held - g_held_then : 0;
    status.dwAvailVirtual = saturate(g_left > used ? g_left - used : 0);
  }
}

uint64_t real_physical_memory() { return system_status().dwTotalPhys; }
uint64_t real_available_address_space() {
  MEMORYSTATUS status{};
  real_memory_status(status, true);
  return status.dwAvailVirtual;
}

// Every region of the user address space that is not free, as VirtualQuery walks it.
uint64_t mapped_bytes() {
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  const char* at = static_cast<const char*>(system.lpMinimumApplicationAddress);
  const char* end = static_cast<const char*>(system.lpMaximumApplicationAddress);
  uint64_t total = 0;
  MEMORY_BASIC_INFORMATION region{};
  while (at < end && VirtualQuery(at, &region, sizeof region) == sizeof region && region.RegionSize > 0) {
    if (region.State != MEM_FREE) total += region.RegionSize;
    at = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
  }
  return total;
}

// Windows has no per-process limit: every free piece of address space is reserved, then
// the largest pieces are given back until `more_bytes` are free again, in as few pieces
// as can be, so that the host's large allocations still find room. The free space reads
// `more_bytes` and half a MiB; a few MiB more are really left for what the process
// allocates besides the host's data (the C runtime's heap, the windows' surfaces), which
// on Linux the allowance of the limit's own reading covers.
void limit_address_space(uint64_t more_bytes) {
  restore_address_space();
  reserve_everything();
  std::sort(g_reservations.begin(), g_reservations.end(),
            [](const Reservation& a, const Reservation& b) { return a.size > b.size; });
  uint64_t total = 0;
  for (const Reservation& r : g_reservations) total += r.size;
  const uint64_t wanted = (more_bytes + WINE_SLACK + GRANULE - 1) & ~(GRANULE - 1);
  if (wanted + PROCESS_ROOM > total) {
    restore_address_space();
    throw std::runtime_error("the address space has no room for that much");
  }
  // The process's own room from the smallest pieces, where its heap grows; the host's
  // data room from the largest ones.
  uint64_t room = PROCESS_ROOM;
  while (room > 0 && !g_reservations.empty()) {
    const Reservation smallest = g_reservations.back();
    g_reservations.pop_back();
    VirtualFree(smallest.base, 0, MEM_RELEASE);
    room = smallest.size < room ? room - smallest.size : 0;
  }
  uint64_t remaining = wanted;
  std::vector<Reservation> kept;
  for (const Reservation& r : g_reservations) {
    if (remaining == 0) {
      kept.push_back(r);
      continue;
    }
    VirtualFree(r.base, 0, MEM_RELEASE);
    if (r.size <= remaining) {
      remaining -= r.size;
      continue;
    }
    // Only the front of this piece is given back: its tail is reserved again in place.
    char* tail = r.base + remaining;
    if (VirtualAlloc(tail, static_cast<SIZE_T>(r.size - remaining), MEM_RESERVE, PAGE_NOACCESS))
      kept.push_back({tail, r.size - remaining});
    remaining = 0;
  }
  g_reservations = kept;
  g_limited = true;
  g_left = more_bytes + MIB / 2;
  g_held_then = real_bytes_held();
}

void restore_address_space() {
  for (const Reservation& r : g_reservations) VirtualFree(r.base, 0, MEM_RELEASE);
  g_reservations.clear();
  g_limited = false;
}

}  // namespace hostsim
