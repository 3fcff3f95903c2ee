// Pages, libraries and standard streams on Linux: mmap, dlopen, stdio.
#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <climits>
#include <cstring>

#include "hostsim/platform.h"

namespace hostsim {

void* map_pages(size_t bytes) {
  void* mapped = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return mapped == MAP_FAILED ? nullptr : mapped;
}

void unmap_pages(void* pages, size_t bytes) { munmap(pages, bytes); }

void* open_library(const std::string& path, bool global, std::string& error) {
  void* opened = dlopen(path.c_str(), RTLD_NOW | (global ? RTLD_GLOBAL : RTLD_LOCAL));
  if (!opened) {
    const char* why = dlerror();
    error = why ? why : ("cannot open " + path);
  }
  return opened;
}

void* library_symbol(void* library, const char* name) { return dlsym(library, name); }

void close_library(void* library) { dlclose(library); }

void watch_module_calls(void*) {}

namespace {
std::string folder_of(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}
}  // namespace

std::string host_model_folder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&map_pages), &info) == 0 || info.dli_fname == nullptr) return "";
  return folder_of(info.dli_fname);
}

std::FILE* open_text_stream(const char* text) {
  return fmemopen(const_cast<char*>(text), std::strlen(text), "r");
}

bool is_terminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

void use_plain_line_ends() {}  // they are

std::string program_folder() {
  char self[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return "";
  return folder_of(std::string(self, static_cast<size_t>(length)));
}

}  // namespace hostsim
