// How the measurements and cleanups reach the host's data. The data tables come through
// host variables, looked up by name on first use; each operation keeps its own cache of
// the addresses, since the host keeps a variable's storage at one address for the life
// of the process. The 3-D objects come through the host's iterator.
#pragma once

#include "host/host_services.h"

namespace kestrum {

constexpr unsigned int ITERATOR_CLASSES_3D = 0x3FFF;  // every class of 3-D object

// The cached address of `name`'s storage, looked up now when not cached yet. A lookup
// that finds nothing leaves the cache empty, so the next call asks again.
template <typename T>
T* Host_Variable(T*& cache, const char* name) {
  if (!cache) cache = static_cast<T*>(Fct_Variable_Get(Host_Text(name), nullptr, nullptr, nullptr, 0));
  return cache;
}

// The value held by a pointer variable, or null when the variable is missing.
template <typename T>
T* Host_Pointer(T** storage) {
  return storage ? *storage : nullptr;
}

}  // namespace kestrum
