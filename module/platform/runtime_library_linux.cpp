// Libraries at run time on Linux: dlopen and dlsym.
#include <dlfcn.h>

#include "platform/runtime_library.h"

namespace kestrum {

namespace {

// Closes the library the module keeps when the module is unloaded.
struct Kept_Library {
  Library library = nullptr;
  ~Kept_Library() {
    if (library) dlclose(library);
  }
};
Kept_Library g_kept;

const char* const CUDA_RUNTIME_NAMES[] = {"libcudart.so",      "libcudart.so.13",  "libcudart.so.12",
                                          "libcudart.so.11.0", "libcudart.so.10.2", "libcudart.so.10.1",
                                          "libcudart.so.10.0", "libcudart.so.9.2",  "libcudart.so.9.1",
                                          "libcudart.so.9.0"};
}  // namespace

Library_Names Cuda_Runtime_Names() {
  return {CUDA_RUNTIME_NAMES, sizeof CUDA_RUNTIME_NAMES / sizeof CUDA_RUNTIME_NAMES[0]};
}

bool Offer_Loaded_Libraries(Library_Names, bool (*take)(Library)) { return take(RTLD_DEFAULT); }

Library Open_Library(const char* name) { return dlopen(name, RTLD_NOW | RTLD_LOCAL); }

void Close_Library(Library library) { dlclose(library); }

// The module keeps one library at most: it opens none while it keeps one.
void Keep_Library(Library library) { g_kept.library = library; }

Library_Function Find_Function(Library library, const char* name) {
  return reinterpret_cast<Library_Function>(dlsym(library, name));
}

}  // namespace kestrum
