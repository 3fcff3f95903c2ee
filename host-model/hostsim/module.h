// Loading the module the way a host does: open the shared library and look every entry
// point up by its undecorated name.
#pragma once

#include <string>
#include <vector>

#include "plugin/kestrum.h"

namespace hostsim {

struct Module {
  void* handle = nullptr;

  kestrum::Init_Fn Init = nullptr;
  kestrum::Exit_Fn Exit = nullptr;
  kestrum::Register_Fn Register = nullptr;
  kestrum::Text_Fn Sort = nullptr;
  kestrum::Text_Fn Version = nullptr;
  kestrum::Ctrl_Register_Fn Ctrl_Register = nullptr;
  kestrum::Ctrl_Window_Fn Ctrl_Create = nullptr;
  kestrum::Ctrl_Window_Fn Ctrl_Resize = nullptr;
  kestrum::Ctrl_Plain_Fn Ctrl_Open = nullptr;
  kestrum::Ctrl_Plain_Fn Ctrl_Close = nullptr;
  kestrum::Ctrl_Plain_Fn Ctrl_Show = nullptr;
  kestrum::Ctrl_Plain_Fn Ctrl_Hide = nullptr;
  kestrum::Ctrl_Plain_Fn Ctrl_Draw = nullptr;
  kestrum::Ctrl_Plain_Fn Ctrl_Query = nullptr;
  kestrum::Ctrl_Pointer_Fn Ctrl_Click = nullptr;
  kestrum::Ctrl_Pointer_Fn Ctrl_Motion = nullptr;
  kestrum::Ctrl_Plain_Fn Ctrl_Leave = nullptr;
  kestrum::Ctrl_Pointer_Fn Ctrl_Help = nullptr;
  kestrum::Ctrl_Scroll_Fn Ctrl_Scroll = nullptr;
  kestrum::Text_Fn Script_Register = nullptr;
  kestrum::Script_Parse_Fn Script_Parse = nullptr;
  kestrum::Update_Register_Fn Update_Register = nullptr;
  kestrum::Update_A_Fn Update_A = nullptr;
  kestrum::Variable_Register_Fn Variable_Register = nullptr;
  kestrum::Variable_Get_Fn Variable_Get = nullptr;
  const uint32_t* NvOptimusEnablementCuda = nullptr;

  // Opens the library and resolves every export. On failure returns false, leaves
  // nothing open and says why in `error` (the dlerror text, or the missing names).
  bool load(const std::string& path, std::string& error);
  void unload();
  bool loaded() const { return handle != nullptr; }
};

// The module beside the running program, or else the installed one (its default path).
std::string default_module_path();

}  // namespace hostsim
