// Which CUDA runtime the process offers to the module from now on. Without a call here
// the module sees the machine's own runtime, if any. The simulated runtime is a library
// loaded into the process (globally, as a host that uses CUDA itself would have it) the
// first time it is asked for, and stays loaded, so that addresses a module took from it
// stay valid.
#pragma once

#include <cstdint>

namespace hostsim {

void gpu_none();                                 // no runtime offered
void gpu_broken();                               // its version call fails
void gpu_noinfo();                               // version works, memory information fails
void gpu_present(uint64_t total, uint64_t used);  // reports total bytes, `used` in use
// The GPU memory in use that the offered runtime reports: gpu_present's `used`; 0 for
// every other runtime (the machine's own is not asked).
uint64_t gpu_used();

}  // namespace hostsim
