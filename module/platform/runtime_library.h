// Finding a library of the machine at run time and taking functions from it: the one
// service of the operating system that the module uses besides the Windows calls of
// windows_api.h. One implementation per platform, runtime_library_linux.cpp (dlopen)
// and runtime_library_windows.cpp (LoadLibrary); the build compiles its target's.
#pragma once

#include <cstddef>

#include "platform/windows_api.h"

// A runtime library's exported functions follow the platform's own calling convention:
// __stdcall on 32-bit Windows, the default elsewhere.
#define KESTRUM_LIBRARY_API WINAPI

namespace kestrum {

using Library = void*;                // null: none
using Library_Function = void (*)();  // any exported function, before it is given its type

// The file names under which this platform's CUDA runtime library is found, newest first.
struct Library_Names {
  const char* const* names;
  size_t count;
};
Library_Names Cuda_Runtime_Names();

// Offers `take` the libraries the process has loaded already that may be the one wanted,
// until it accepts one; true then. On Linux that is the process's global scope, once (a
// library loaded there is found whatever its file name); on Windows, each library loaded
// under one of `names`.
bool Offer_Loaded_Libraries(Library_Names names, bool (*take)(Library));

// The machine's library of that name, opened for the module alone; null when none.
Library Open_Library(const char* name);
// Closes a library that Open_Library opened and that turned out unusable.
void Close_Library(Library library);
// Keeps a library that Open_Library opened while the module is loaded; what becomes of
// it when the module is unloaded is the platform's.
void Keep_Library(Library library);

// An exported function of `library`, or null.
Library_Function Find_Function(Library library, const char* name);

}  // namespace kestrum
