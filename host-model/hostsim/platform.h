// What the host model needs of the operating system beyond the Windows calls a module
// makes: memory pages, loading libraries, the machine's real figures and the address-space
// limit. One implementation per platform: hostsim/linux/ and hostsim/win32/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/windows_api.h"

namespace hostsim {

// Fresh read-write pages, or null when the address space has no room.
void* map_pages(size_t bytes);
void unmap_pages(void* pages, size_t bytes);

// Opens a library for the process (its exports visible to libraries loaded later on
// Linux), or null with the reason in `error`.
void* open_library(const std::string& path, bool global, std::string& error);
void* library_symbol(void* library, const char* name);
// An exported function as `Fn` (null when missing), through the generic function type,
// which an exported address converts from cleanly.
template <typename Fn>
Fn library_function(void* library, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(library_symbol(library, name)));
}
void close_library(void* library);
// The folder of the host model's own image (the program on Windows, the host model's
// library on Linux), with its final separator.
std::string host_model_folder();
// The folder of the running program, with its final separator.
std::string program_folder();

// The memory-status figures of the machine as the platform reports them: physical
// memory and the free address space of the process, each saturated as the 32-bit call
// reports it. Without `free_space_wanted` the free address space may be left 0: the
// caller puts its own figure there, and on Linux reading it walks the process's mappings.
void real_memory_status(MEMORYSTATUS& status, bool free_space_wanted);

// Lets the host model see the Windows calls a module loaded from `library` makes
// (hostsim/win32/windows.cpp); on Linux the stand-in of those calls sees them already.
void watch_module_calls(void* library);

// Puts the address-space limit the process started with back (see limit_address_space).
void restore_address_space();

// ---- Standard streams, for a host program ----
// A text as a stream to read, gone when closed; null when it cannot be made.
std::FILE* open_text_stream(const char* text);
// Whether a stream is a terminal the user types at (on Windows: a console).
bool is_terminal(std::FILE* stream);
// Standard output and error write a line's end as "\n" alone, also through a pipe.
void use_plain_line_ends();

}  // namespace hostsim
