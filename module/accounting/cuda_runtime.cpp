// Finding the CUDA runtime at run time. A runtime the process already has comes first
// (a host that uses CUDA itself has loaded one, and the module must share it); else the
// machine's library is opened privately under its usual names. What becomes of an
// opened library when the module is unloaded is the platform's (platform/).
#include "accounting/cuda_runtime.h"

#include <cstddef>

#include "platform/runtime_library.h"

namespace kestrum {

namespace {

constexpr int CUDA_SUCCESS = 0;  // cudaError_t is an int-sized enum

using Version_Fn = int(KESTRUM_LIBRARY_API*)(int*);
using Mem_Info_Fn = int(KESTRUM_LIBRARY_API*)(size_t*, size_t*);

template <typename Fn>
Fn Lookup(Library library, const char* name) {
  return reinterpret_cast<Fn>(Find_Function(library, name));
}

struct Runtime {
  Version_Fn version = nullptr;
  Mem_Info_Fn mem_info = nullptr;
  bool usable = false;
  Library opened = nullptr;  // a library the module opened itself

  // Takes both calls from `library`; false (and nothing changed) unless both are there.
  bool take(Library library);
  bool find();
};

Runtime g_runtime;

bool Runtime::find() {
  const Library_Names names = Cuda_Runtime_Names();
  if (Offer_Loaded_Libraries(names, [](Library library) { return g_runtime.take(library); })) return true;
  if (opened && take(opened)) return true;
  for (size_t i = 0; i < names.count; ++i) {
    Library library = Open_Library(names.names[i]);
    if (!library) continue;
    if (take(library)) {
      opened = library;
      Keep_Library(library);
      return true;
    }
    Close_Library(library);
  }
  return false;
}

bool Runtime::take(Library library) {
  const Version_Fn found_version = Lookup<Version_Fn>(library, "cudaRuntimeGetVersion");
  const Mem_Info_Fn found_mem_info = Lookup<Mem_Info_Fn>(library, "cudaMemGetInfo");
  if (!found_version || !found_mem_info) return false;
  version = found_version;
  mem_info = found_mem_info;
  return true;
}

}  // namespace

bool Cuda_Runtime_Open() {
  g_runtime.usable = false;
  if (!g_runtime.find()) return false;
  int version = 0;
  g_runtime.usable = g_runtime.version(&version) == CUDA_SUCCESS;
  return g_runtime.usable;
}

bool Cuda_Memory_Info(uint64_t& free, uint64_t& total) {
  free = 0;
  total = 0;
  if (!g_runtime.usable) return false;
  // A runtime whose call fails may leave both unwritten: start them at 0 and keep 0 on
  // failure, which every reader takes to mean "no GPU".
  size_t free_bytes = 0;
  size_t total_bytes = 0;
  if (g_runtime.mem_info(&free_bytes, &total_bytes) != CUDA_SUCCESS) return false;
  free = free_bytes;
  total = total_bytes;
  return true;
}

}  // namespace kestrum
