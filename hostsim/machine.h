// The machine as the memory-status call reports it: physical memory, and the free
// address space of the process. By default the real figures; tests and the console
// can fix both.
#pragma once

#include <cstdint>

namespace hostsim {

void set_machine(uint64_t physical_bytes, uint64_t available_bytes);
// Fixes the physical memory alone; the free address space stays the real one.
void set_physical_memory(uint64_t physical_bytes);
void use_real_machine();

// Limits the process's address space (RLIMIT_AS) so that it can map `more_bytes` beyond
// what it has mapped now, and a little less than 1 MiB besides: the free address space
// then reads `more_bytes` in whole MiB as long as the process maps less than that
// allowance in the meantime. Throws std::runtime_error when the limit cannot be set.
// The host model's reset puts the limit the process started with back.
void limit_address_space(uint64_t more_bytes);
// Bytes the process has mapped now, below the end of the user address space.
uint64_t mapped_bytes();

// The real figures: physical RAM from the kernel; free address space = the process's
// address-space limit (RLIMIT_AS when set, else the architecture's user address space)
// less what is mapped now.
uint64_t real_physical_memory();
uint64_t real_available_address_space();

// The dwLength that the last memory-status call found set (0 before any call).
uint32_t last_memory_status_length();

// How Int_2_Byte writes a count: plain decimal (exact) or a short readable form.
void set_exact_bytes(bool exact);

}  // namespace hostsim
