// The simulated CUDA runtime: the two calls a tool makes, behaving as the host model
// configured them (modes in cudasim.h). A test double: the host model loads it only when
// asked for a simulated GPU, never as the machine's runtime.
//
// On Windows it bears the runtime's own file name and calling convention (__stdcall), in
// a folder that no library search looks in. Once loaded it is the process's library of
// that name, and a load of the machine's runtime by that name would return the stand-in
// itself; so there its MACHINE mode does not forward: it answers as no runtime. The
// choice costs nothing, since a process that never asks for a simulated GPU never loads
// it, and the module then finds whatever the machine offers. On Linux, where it has a
// name of its own, MACHINE mode passes the calls on to the machine's runtime.
#ifndef _WIN32
#include <dlfcn.h>
#endif

#include <cstddef>
#include <cstdint>
#include <limits>

#include "cudasim/cudasim.h"

namespace {

constexpr int CUDA_SUCCESS = 0;
constexpr int CUDA_ERROR_INSUFFICIENT_DRIVER = 35;
constexpr int CUDA_ERROR_NO_DEVICE = 100;
constexpr int CUDA_ERROR_UNKNOWN = 999;
constexpr int SIMULATED_VERSION = 13000;

int g_mode = KESTRUM_CUDASIM_MACHINE;
uint64_t g_total = 0;
uint64_t g_used = 0;

using Version_Fn = int(CUDASIM_API*)(int*);
using Mem_Info_Fn = int(CUDASIM_API*)(size_t*, size_t*);

// The machine's runtime, opened privately the first time MACHINE mode needs it.
struct Machine_Runtime {
  Version_Fn version = nullptr;
  Mem_Info_Fn mem_info = nullptr;
};

const Machine_Runtime& machine_runtime() {
  static const Machine_Runtime runtime = [] {
    Machine_Runtime found;
#ifndef _WIN32
    static const char* const names[] = {"libcudart.so", "libcudart.so.13", "libcudart.so.12"};
    for (const char* name : names) {
      void* library = dlopen(name, RTLD_NOW | RTLD_LOCAL);
      if (!library) continue;
      found.version = reinterpret_cast<Version_Fn>(dlsym(library, "cudaRuntimeGetVersion"));
      found.mem_info = reinterpret_cast<Mem_Info_Fn>(dlsym(library, "cudaMemGetInfo"));
      if (found.version && found.mem_info) return found;  // kept open for the process
      found = Machine_Runtime{};
      dlclose(library);
    }
#endif
    return found;
  }();
  return runtime;
}

// A figure beyond what the size_t holds is reported as its largest value, as the runtime
// of a 32-bit process reports a GPU of 4 GiB or more.
size_t capped(uint64_t bytes) {
  const uint64_t most = std::numeric_limits<size_t>::max();
  return static_cast<size_t>(bytes < most ? bytes : most);
}

}  // namespace

extern "C" {

CUDASIM_EXPORT void kestrum_cudasim_configure(int mode, uint64_t total, uint64_t used) {
  g_mode = mode;
  g_total = total;
  g_used = used;
}

CUDASIM_EXPORT int CUDASIM_API cudaRuntimeGetVersion(int* version) {
  switch (g_mode) {
    case KESTRUM_CUDASIM_MACHINE: {
      const Machine_Runtime& machine = machine_runtime();
      return machine.version ? machine.version(version) : CUDA_ERROR_INSUFFICIENT_DRIVER;
    }
    case KESTRUM_CUDASIM_NOINFO:
    case KESTRUM_CUDASIM_PRESENT:
      if (version) *version = SIMULATED_VERSION;
      return CUDA_SUCCESS;
    case KESTRUM_CUDASIM_BROKEN:
      return CUDA_ERROR_UNKNOWN;
    default:
      return CUDA_ERROR_INSUFFICIENT_DRIVER;
  }
}

CUDASIM_EXPORT int CUDASIM_API cudaMemGetInfo(size_t* free, size_t* total) {
  switch (g_mode) {
    case KESTRUM_CUDASIM_MACHINE: {
      const Machine_Runtime& machine = machine_runtime();
      return machine.mem_info ? machine.mem_info(free, total) : CUDA_ERROR_INSUFFICIENT_DRIVER;
    }
    case KESTRUM_CUDASIM_PRESENT:
      if (free) *free = capped(g_used < g_total ? g_total - g_used : 0);
      if (total) *total = capped(g_total);
      return CUDA_SUCCESS;
    case KESTRUM_CUDASIM_NOINFO:
      return CUDA_ERROR_NO_DEVICE;
    default:
      return CUDA_ERROR_INSUFFICIENT_DRIVER;
  }
}

}  // extern "C"
