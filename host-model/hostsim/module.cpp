#include "hostsim/module.h"

#include <filesystem>

#include "hostsim/platform.h"

namespace hostsim {

namespace {
constexpr char MODULE_FILE[] = KESTRUM_MODULE_FILE;  // the build's file name of the module

template <typename Fn>
void resolve(void* handle, const char* name, Fn& slot, std::string& missing) {
  slot = library_function<Fn>(handle, name);
  if (!slot) {
    missing += missing.empty() ? "" : ", ";
    missing += name;
  }
}
}  // namespace

bool Module::load(const std::string& path, std::string& error) {
  unload();
  void* opened = open_library(path, false, error);
  if (!opened) return false;
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
    close_library(opened);
    error = path + " lacks the entry point(s) " + missing;
    return false;
  }
  watch_module_calls(opened);
  handle = opened;
  return true;
}

void Module::unload() {
  if (handle) close_library(handle);
  *this = Module{};
}

// In a build tree the module lies beside the program; installed, at the path the install
// rules give relative to the program (KESTRUM_INSTALLED_MODULE). The build tree's comes
// first, and is the one named when neither exists.
std::string default_module_path() {
  const std::string folder = program_folder();
  const std::string beside = folder + MODULE_FILE;
  std::error_code error;
  if (folder.empty() || std::filesystem::exists(beside, error)) return beside;
  const std::filesystem::path installed = std::filesystem::path(folder) / KESTRUM_INSTALLED_MODULE;
  return std::filesystem::exists(installed, error) ? std::filesystem::canonical(installed, error).string() : beside;
}

}  // namespace hostsim
