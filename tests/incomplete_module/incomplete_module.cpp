// A module that has every entry point but Variable_Get: a host must refuse to load it.
#include "plugin/kestrum.h"

int Init(void) { return 1; }
int Exit(void) { return 1; }
const char* Register(uint32_t) { return "Incomplete"; }
const char* Sort(void) { return "Incomplete"; }
const char* Version(void) { return "0"; }
int Ctrl_Register(int* width) {
  if (width) *width = 0;
  return 0;
}
int Ctrl_Create(HWND, int, int) { return 1; }
int Ctrl_Resize(HWND, int, int) { return 1; }
int Ctrl_Open(void) { return 1; }
int Ctrl_Close(void) { return 1; }
int Ctrl_Show(void) { return 1; }
int Ctrl_Hide(void) { return 1; }
int Ctrl_Draw(void) { return 1; }
int Ctrl_Query(void) { return 0; }
int Ctrl_Click(void*, int, short, short) { return 1; }
int Ctrl_Motion(void*, int, short, short) { return 1; }
int Ctrl_Leave(void) { return 1; }
int Ctrl_Help(void*, int, short, short) { return 1; }
int Ctrl_Scroll(void*, int) { return 1; }
const char* Script_Register(void) { return "Incomplete"; }
int Script_Parse(int, char**) { return 0; }
uint64_t Update_Register(void) { return 0; }
int Update_A(uint64_t) { return 1; }
int Variable_Register(char*** names) {
  *names = nullptr;
  return 0;
}
uint32_t NvOptimusEnablementCuda = 1;
