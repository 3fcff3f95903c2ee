// TEMPORARY: a weak placeholder for the built-in demo while it is being written.
#include "apps/kestrum-host/console.h"

namespace console {

__attribute__((weak)) const char* demo_session() { return nullptr; }

}  // namespace console
