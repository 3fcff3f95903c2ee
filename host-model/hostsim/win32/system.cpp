// Pages, libraries and standard streams on Windows: VirtualAlloc, LoadLibrary, the C runtime.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "hostsim/platform.h"

namespace hostsim {

void* map_pages(size_t bytes) { return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE); }

void unmap_pages(void* pages, size_t) { VirtualFree(pages, 0, MEM_RELEASE); }

// Windows has no global symbol namespace: `global` means nothing here.
void* open_library(const std::string& path, bool, std::string& error) {
  HMODULE opened = LoadLibraryA(path.c_str());
  if (!opened) {
    const DWORD code = GetLastError();
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, sizeof text,
                   nullptr);
    std::string why = text;
    while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == ' ')) why.pop_back();
    error = "cannot load " + path + ": error " + std::to_string(code) + (why.empty() ? "" : " (" + why + ")");
    return nullptr;
  }
  return reinterpret_cast<void*>(opened);
}

void* library_symbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void close_library(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

// Windows cannot read memory as a stream: a temporary file in the user's temporary
// folder, deleted when closed (the C runtime's tmpfile() would create it in the drive's
// root, where a user may not write).
std::FILE* open_text_stream(const char* text) {
  char* path = _tempnam(nullptr, "kestrum-");
  std::FILE* file = path ? std::fopen(path, "w+bTD") : nullptr;
  std::free(path);
  if (file && (std::fputs(text, file) < 0 || std::fseek(file, 0, SEEK_SET) != 0)) {
    std::fclose(file);
    return nullptr;
  }
  return file;
}

bool is_terminal(std::FILE* stream) {
  DWORD mode = 0;
  return GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))), &mode) != 0;
}

void use_plain_line_ends() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

std::string program_folder() {
  char self[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
  if (length == 0 || length >= sizeof self) return "";
  const std::string path(self, length);
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// The host model is compiled into the program: its folder is the program's.
std::string host_model_folder() { return program_folder(); }

}  // namespace hostsim
