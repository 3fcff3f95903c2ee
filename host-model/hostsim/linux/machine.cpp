// The machine's real figures on Linux: physical memory, the free address space of the
// process and its address-space limit; and the memory-status call of the stand-in.
#include "hostsim/machine.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

#include "hostsim/platform.h"
#include "platform/windows_api.h"

namespace hostsim {

namespace {

// The address-space limit the process had before limit_address_space changed it.
bool g_limited = false;
rlimit g_original_limit{};

// User address space of a process of this width: 47 bits on x86-64, and the whole
// 4 GiB for a 32-bit process on a 64-bit kernel.
constexpr uint64_t USER_ADDRESS_SPACE =
    sizeof(void*) == 8 ? uint64_t{1} << 47 : uint64_t{1} << 32;

constexpr uint64_t MIB = uint64_t{1} << 20;

}  // namespace

// Read with plain calls into a buffer on the stack, without a heap allocation, so that
// reading the figure (which the console does after every action of a timeline) takes no
// address space from a process that is close to its limit.
uint64_t mapped_bytes() {
  const int maps = open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
  if (maps < 0) return 0;
  uint64_t total = 0;
  // Each line begins "START-END " in hexadecimal; the rest of it is skipped.
  enum { START, END, REST } field = START;
  uint64_t bounds[2] = {0, 0};
  bool parsed = true;
  char buffer[4096];
  ssize_t got = 0;
  while ((got = read(maps, buffer, sizeof buffer)) > 0) {
    for (ssize_t i = 0; i < got; ++i) {
      const char c = buffer[i];
      if (c == '\n') {
        const uint64_t start = bounds[0], end = bounds[1];
        // [vsyscall] and the like lie beyond the user address space.
        if (field == REST && parsed && start < USER_ADDRESS_SPACE && end > start)
          total += (end < USER_ADDRESS_SPACE ? end : USER_ADDRESS_SPACE) - start;
        field = START;
        bounds[0] = bounds[1] = 0;
        parsed = true;
      } else if (field != REST) {
        if (c == (field == START ? '-' : ' ')) {
          field = field == START ? END : REST;
          continue;
        }
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        parsed = parsed && digit >= 0;
        bounds[field] = bounds[field] * 16 + static_cast<uint64_t>(digit < 0 ? 0 : digit);
      }
    }
  }
  close(maps);
  return total;
}

void limit_address_space(uint64_t more_bytes) {
  const long page = sysconf(_SC_PAGESIZE);
  const uint64_t allowance = MIB - static_cast<uint64_t>(page > 0 ? page : 4096);
  const uint64_t mapped = mapped_bytes();
  const uint64_t room = mapped + allowance < USER_ADDRESS_SPACE ? USER_ADDRESS_SPACE - mapped - allowance : 0;
  // The limit must also stay below what reads as "no limit" (all bits set in rlim_t).
  if (more_bytes > room || mapped + more_bytes + allowance >= static_cast<uint64_t>(RLIM_INFINITY))
    throw std::runtime_error("the address space has no room for that much");
  rlimit current{};
  if (getrlimit(RLIMIT_AS, &current) != 0)
    throw std::runtime_error(std::string("cannot read the address-space limit: ") + std::strerror(errno));
  const uint64_t wanted = mapped + more_bytes + allowance;
  if (current.rlim_max != RLIM_INFINITY && wanted > static_cast<uint64_t>(current.rlim_max))
    throw std::runtime_error("the address-space limit cannot be raised past its hard limit");
  rlimit limited = current;
  limited.rlim_cur = static_cast<rlim_t>(wanted);
  if (setrlimit(RLIMIT_AS, &limited) != 0)
    throw std::runtime_error(std::string("cannot limit the address space: ") + std::strerror(errno));
  if (!g_limited) g_original_limit = current;
  g_limited = true;
}

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

void restore_address_space() {
  if (g_limited) {
    setrlimit(RLIMIT_AS, &g_original_limit);
    g_limited = false;
  }
}

// Only the two fields a tool relies on are filled; the others read 0.
void real_memory_status(MEMORYSTATUS& status, bool free_space_wanted) {
  const DWORD length = status.dwLength;
  status = MEMORYSTATUS{};
  status.dwLength = length;
  status.dwTotalPhys = saturate(real_physical_memory());
  if (free_space_wanted) status.dwAvailVirtual = saturate(real_available_address_space());
}

}  // namespace hostsim

// The Windows call of this stand-in.
extern "C" void WINAPI GlobalMemoryStatus(MEMORYSTATUS* status) { hostsim::answer_memory_status(status); }
