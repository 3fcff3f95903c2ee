// Finding the CUDA runtime at run time. A runtime the process already has comes first
// (a host that uses CUDA itself has loaded one, and the module must share it); else the
// machine's library is opened privately under its usual names. On Linux it is closed
// when the module is unloaded. On Windows it is kept for the life of the process: the
// module's static destructors run inside DllMain, where FreeLibrary is forbidden, and a
// host may unload the module at process exit, when releasing it is pointless anyway.
#include "accounting/cuda_runtime.h"

#include <cstddef>

#ifdef _WIN32
#include <windows.h>
#define KESTRUM_CUDA_API __stdcall  // the runtime's calling convention on Windows
#else
#include <dlfcn.h>
#define KESTRUM_CUDA_API
#endif

namespace kestrum {

namespace {

constexpr int CUDA_SUCCESS = 0;  // cudaError_t is an int-sized enum

using Version_Fn = int(KESTRUM_CUDA_API*)(int*);
using Mem_Info_Fn = int(KESTRUM_CUDA_API*)(size_t*, size_t*);

#ifdef _WIN32
using Library = HMODULE;
#ifdef _WIN64
const char* const LIBRARY_NAMES[] = {"cudart64_13.dll",  "cudart64_12.dll",  "cudart64_110.dll",
                                     "cudart64_102.dll", "cudart64_101.dll", "cudart64_100.dll",
                                     "cudart64_92.dll",  "cudart64_91.dll",  "cudart64_90.dll"};
#else
const char* const LIBRARY_NAMES[] = {"cudart32_110.dll", "cudart32_102.dll", "cudart32_101.dll",
                                     "cudart32_100.dll", "cudart32_92.dll",  "cudart32_91.dll",
                                     "cudart32_90.dll",  "cudart32_80.dll"};
#endif
#else
using Library = void*;
const char* const LIBRARY_NAMES[] = {"libcudart.so",      "libcudart.so.13",  "libcudart.so.12",
                                     "libcudart.so.11.0", "libcudart.so.10.2", "libcudart.so.10.1",
                                     "libcudart.so.10.0", "libcudart.so.9.2", "libcudart.so.9.1",
                                     "libcudart.so.9.0"};
#endif

#ifdef _WIN32

Library Open_Library(const char* name) { return LoadLibraryA(name); }
void Close_Library(Library library) { FreeLibrary(library); }

template <typename Fn>
Fn Lookup(Library library, const char* name) {
  // Through the generic function type, which any function pointer converts from cleanly.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)(void)>(GetProcAddress(library, name)));
}

#else

Library Open_Library(const char* name) { return dlopen(name, RTLD_NOW | RTLD_LOCAL); }
void Close_Library(Library library) { dlclose(library); }

template <typename Fn>
Fn Lookup(Library library, const char* name) {
  return reinterpret_cast<Fn>(dlsym(library, name));
}

#endif

struct Runtime {
  Version_Fn version = nullptr;
  Mem_Info_Fn mem_info = nullptr;
  bool usable = false;
  Library opened = nullptr;  // a library the module opened itself

  // Takes both calls from `library`; false (and nothing changed) unless both are there.
  bool take(Library library);
  bool take_from_process();
  bool find();
#ifndef _WIN32
  ~Runtime() {
    if (opened) Close_Library(opened);
  }
#endif
};

Runtime g_runtime;

#ifdef _WIN32
bool Runtime::take_from_process() {
  for (const char* name : LIBRARY_NAMES)
    if (Library loaded = GetModuleHandleA(name); loaded && take(loaded)) return true;
  return false;
}
#else
bool Runtime::take_from_process() { return take(RTLD_DEFAULT); }
#endif

bool Runtime::find() {
  if (take_from_process()) return true;
  if (opened && take(opened)) return true;
  for (const char* name : LIBRARY_NAMES) {
    Library library = Open_Library(name);
    if (!library) continue;
    if (take(library)) {
      opened = library;
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
