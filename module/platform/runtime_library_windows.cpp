// Libraries at run time on Windows: GetModuleHandle, LoadLibrary and GetProcAddress.
#include <windows.h>

#include "platform/runtime_library.h"

namespace kestrum {

namespace {
#ifdef _WIN64
const char* const CUDA_RUNTIME_NAMES[] = {"cudart64_13.dll",  "cudart64_12.dll",  "cudart64_110.dll",
                                          "cudart64_102.dll", "cudart64_101.dll", "cudart64_100.dll",
                                          "cudart64_92.dll",  "cudart64_91.dll",  "cudart64_90.dll"};
#else
const char* const CUDA_RUNTIME_NAMES[] = {"cudart32_110.dll", "cudart32_102.dll", "cudart32_101.dll",
                                          "cudart32_100.dll", "cudart32_92.dll",  "cudart32_91.dll",
                                          "cudart32_90.dll",  "cudart32_80.dll"};
#endif

HMODULE Module_Of(Library library) { return static_cast<HMODULE>(library); }
}  // namespace

Library_Names Cuda_Runtime_Names() {
  return {CUDA_RUNTIME_NAMES, sizeof CUDA_RUNTIME_NAMES / sizeof CUDA_RUNTIME_NAMES[0]};
}

bool Offer_Loaded_Libraries(Library_Names names, bool (*take)(Library)) {
  for (size_t i = 0; i < names.count; ++i)
    if (HMODULE loaded = GetModuleHandleA(names.names[i]); loaded && take(loaded)) return true;
  return false;
}

Library Open_Library(const char* name) { return LoadLibraryA(name); }

void Close_Library(Library library) { FreeLibrary(Module_Of(library)); }

// Kept for the life of the process: the module's static destructors run inside DllMain,
// where FreeLibrary is forbidden, and a host may unload the module at process exit, when
// releasing it is pointless anyway. So the module has no destructor of its own for it.
void Keep_Library(Library) {}

Library_Function Find_Function(Library library, const char* name) {
  // Through the generic function type, which any function pointer converts from cleanly.
  return reinterpret_cast<Library_Function>(GetProcAddress(Module_Of(library), name));
}

}  // namespace kestrum
