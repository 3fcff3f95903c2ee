// A CUDA runtime library with only one of the two calls a tool makes: the version call
// alone (built with PARTIAL_RUNTIME_VERSION) or the memory call alone. The call that is
// there succeeds, so a tool that took this library would go on to call the missing one.
#include <cstddef>

#include "cudasim/cudasim.h"

extern "C" {

#ifdef PARTIAL_RUNTIME_VERSION
CUDASIM_EXPORT int CUDASIM_API cudaRuntimeGetVersion(int* version) {
  *version = 12000;
  return 0;  // cudaSuccess
}
#else
CUDASIM_EXPORT int CUDASIM_API cudaMemGetInfo(size_t* free, size_t* total) {
  *total = size_t{3} << 30;  // 3 GiB: fits the size_t of a 32-bit process too
  *free = *total / 2;
  return 0;  // cudaSuccess
}
#endif

}  // extern "C"
