// Which CUDA runtime the process offers. The simulated runtime (cudasim/cudasim.h) is
// loaded globally, by its full path below the host model's folder, the first time a
// gpu_* call asks for it, so that a tool looking for a runtime the process already has
// finds it before any library of the machine; it is never unloaded. Until then a tool
// sees the machine's own runtime, if any: nothing of the host model stands in for it.
// After a reset the loaded stand-in is in its MACHINE mode (see cudasim/runtime.cpp).
#include "hostsim/gpu.h"

#include <stdexcept>
#include <string>

#include "cudasim/cudasim.h"
#include "hostsim/platform.h"
#include "hostsim/reset.h"

namespace hostsim {

namespace {

Kestrum_Cudasim_Configure_Fn g_configure = nullptr;
uint64_t g_used = 0;  // what the offered runtime reports in use

Kestrum_Cudasim_Configure_Fn simulator() {
  if (g_configure) return g_configure;
  const std::string path = host_model_folder() + KESTRUM_CUDASIM_PATH;
  std::string error;
  void* library = open_library(path, true, error);
  if (!library) throw std::runtime_error("cannot load the simulated CUDA runtime: " + error);
  g_configure = library_function<Kestrum_Cudasim_Configure_Fn>(library, "kestrum_cudasim_configure");
  if (!g_configure) throw std::runtime_error(path + " lacks kestrum_cudasim_configure");
  return g_configure;
}

const Reset_Registration g_reset{[] {
  g_used = 0;
  if (g_configure) g_configure(KESTRUM_CUDASIM_MACHINE, 0, 0);
}};

// Has the simulated runtime offer `mode`, and notes what it reports in use.
void offer(int mode, uint64_t total, uint64_t used) {
  simulator()(mode, total, used);
  g_used = used < total ? used : total;  // the runtime reports free = 0 past its total
}

}  // namespace

void gpu_none() { offer(KESTRUM_CUDASIM_NONE, 0, 0); }
void gpu_broken() { offer(KESTRUM_CUDASIM_BROKEN, 0, 0); }
void gpu_noinfo() { offer(KESTRUM_CUDASIM_NOINFO, 0, 0); }
void gpu_present(uint64_t total, uint64_t used) { offer(KESTRUM_CUDASIM_PRESENT, total, used); }
uint64_t gpu_used() { return g_used; }

}  // namespace hostsim
