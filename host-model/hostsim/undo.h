// The host's undo history, as far as the module sees it: a figure of bytes held,
// signed 32-bit, and its emptying.
#pragma once

#include <cstdint>

namespace hostsim {

// The undo history holds `bytes` from now on (negative figures allowed). With `real`
// (and a positive figure) the host holds that much real memory until the history is reset.
void set_undo_bytes(int32_t bytes, bool real = false);
int32_t undo_bytes();

}  // namespace hostsim
