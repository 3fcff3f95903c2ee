// The machine as the memory-status call reports it: physical memory, and the free
// address space of the process. By default the real figures; tests and the console
// can fix both.
#pragma once

#include <cstdint>

#include "platform/windows_api.h"

namespace hostsim {

void set_machine(uint64_t physical_bytes, uint64_t available_bytes);
// Fixes the physical memory alone; the free address space stays the real one.
void set_physical_memory(uint64_t physical_bytes);
void use_real_machine();

// Limits the process's address space (RLIMIT_AS; on Windows, which has no such limit, by
// reserving the rest of it: hostsim/win32/machine.cpp) so that it can map `more_bytes` beyond
// what it has mapped now, and a little less than 1 MiB besides: the free address space
// then reads `more_bytes` in whole MiB as long as the process maps less than that
// allowance in the meantime. Throws std::runtime_error when the limit cannot be set.
// The host model's reset puts the limit the process started with back.
void limit_address_space(uint64_t more_bytes);
// Bytes the process has mapped now, below the end of the user address space.
uint64_t mapped_bytes();

// The real figures: physical RAM from the kernel; free address space = the process's
// address-space limit (RLIMIT_AS when set, else the architecture's user address space)
// less what is mapped now. On Windows: what the memory-status call reports.
uint64_t real_physical_memory();
uint64_t real_available_address_space();

// What the module's memory-status call answers: the real figures (real_memory_status in
// hostsim/platform.h) with the fixed ones in their place.
void answer_memory_status(MEMORYSTATUS* status);
SIZE_T saturate(uint64_t bytes);

// The dwLength that the last memory-status call found set (0 before any call).
uint32_t last_memory_status_length();

// How Int_2_Byte writes a count: plain decimal (exact) or a short readable form.
void set_exact_bytes(bool exact);

}  // namespace hostsim
