// What the host model keeps about the windows' callers on every platform: where the
// pointer is, the device-context failures asked for, and each critical section's state.
// The public side is in hostsim/windows.h; the platforms' Windows calls use this.
#pragma once

#include "platform/windows_api.h"

namespace hostsim::book {

// True once for each fail_next_get_dc / fail_next_release_dc.
bool take_get_dc_failure();
bool take_release_dc_failure();
// A destroyed window is no longer under the pointer.
void forget_window(HWND window);

void lock_initialized_now(const CRITICAL_SECTION* section);
bool lock_known(const CRITICAL_SECTION* section);
void lock_entered(const CRITICAL_SECTION* section);  // of a known section
bool lock_left(const CRITICAL_SECTION* section);     // false, a misuse, when not held
void lock_misused();
void lock_deleted(const CRITICAL_SECTION* section);

}  // namespace hostsim::book
