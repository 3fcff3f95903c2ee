#include "hostsim/module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace hostsim {

namespace {
template <typename Fn>
void resolve(void* handle, const char* name, Fn& slot, std::string& missing) {
  void* address = dlsym(handle, name);
  if (!address) {
    missing += missing.empty() ? "" : ", ";
    missing += name;
  }
  slot = reinterpret_cast<Fn>(address);
}
}  // namespace

bool Module::load(const std::string& path, std::string& error) {
  unload();
  void* opened = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!opened) {
    const char* why = dlerror();
    error = why ? why : ("cannot open " + path);
    return false;
  }
  std::string missing;
#define KESTRUM_RESOLVE(name) resolve(opened, #name, name, missing)
  KESTRUM_RESOLVE(Init);
  KESTRUM_RESOLVE(Exit);
  KESTRUM_RESOLVE(Register);
  KESTRUM_RESOLVE(Sort);
  KESTRUM_RESOLVE(Version);
  KESTRUM_RESOLVE(Ctrl_Register);
  KESTRUM_RESOLVE(Ctrl_Create);
  KESTRUM_RESOLVE(Ctrl_Resize);
  KESTRUM_RESOLVE(Ctrl_Open);
  KESTRUM_RESOLVE(Ctrl_Close);
  KESTRUM_RESOLVE(Ctrl_Show);
  KESTRUM_RESOLVE(Ctrl_Hide);
  KESTRUM_RESOLVE(Ctrl_Draw);
  KESTRUM_RESOLVE(Ctrl_Query);
  KESTRUM_RESOLVE(Ctrl_Click);
  KESTRUM_RESOLVE(Ctrl_Motion);
  KESTRUM_RESOLVE(Ctrl_Leave);
  KESTRUM_RESOLVE(Ctrl_Help);
  KESTRUM_RESOLVE(Ctrl_Scroll);
  KESTRUM_RESOLVE(Script_Register);
  KESTRUM_RESOLVE(Script_Parse);
  KESTRUM_RESOLVE(Update_Register);
  KESTRUM_RESOLVE(Update_A);
  KESTRUM_RESOLVE(Variable_Register);
  KESTRUM_RESOLVE(Variable_Get);
  KESTRUM_RESOLVE(NvOptimusEnablementCuda);
#undef KESTRUM_RESOLVE
  if (!missing.empty()) {
    *this = Module{};
    dlclose(opened);
    error = path + " lacks the entry point(s) " + missing;
    return false;
  }
  handle = opened;
  return true;
}

void Module::unload() {
  if (handle) dlclose(handle);
  *this = Module{};
}

// In a build tree the module lies beside the program; installed, at the path the install
// rules give relative to the program (KESTRUM_INSTALLED_MODULE). The build tree's comes
// first, and is the one named when neither exists.
std::string default_module_path() {
  char self[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return "kestrum.so";
  const std::string path(self, static_cast<size_t>(length));
  const std::string folder = path.substr(0, path.find_last_of('/') + 1);
  const std::string beside = folder + "kestrum.so";
  char installed[PATH_MAX];
  if (access(beside.c_str(), F_OK) != 0 && realpath((folder + KESTRUM_INSTALLED_MODULE).c_str(), installed))
    return installed;
  return beside;
}

}  // namespace hostsim
