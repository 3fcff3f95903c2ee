// TEMPORARY: weak placeholders so that the module loads while its parts are written;
// each real definition overrides its placeholder. Deleted once every part is in.
#include "plugin/kestrum.h"

#define PENDING __attribute__((weak))

PENDING int Init(void) { return 1; }
PENDING int Exit(void) { return 1; }
PENDING const char* Register(uint32_t) { return "Memory Manager"; }
PENDING const char* Sort(void) { return "0D Memory Manager"; }
PENDING const char* Version(void) { return "1.0 Rev-11  (Aug 19 2020)"; }
PENDING int Ctrl_Register(int*) { return 0; }
PENDING int Ctrl_Create(HWND, int, int) { return 1; }
PENDING int Ctrl_Resize(HWND, int, int) { return 1; }
PENDING int Ctrl_Open(void) { return 1; }
PENDING int Ctrl_Close(void) { return 1; }
PENDING int Ctrl_Show(void) { return 1; }
PENDING int Ctrl_Hide(void) { return 1; }
PENDING int Ctrl_Draw(void) { return 1; }
PENDING int Ctrl_Query(void) { return 0; }
PENDING int Ctrl_Click(void*, int, short, short) { return 1; }
PENDING int Ctrl_Motion(void*, int, short, short) { return 1; }
PENDING int Ctrl_Leave(void) { return 1; }
PENDING int Ctrl_Help(void*, int, short, short) { return 1; }
PENDING int Ctrl_Scroll(void*, int) { return 1; }
PENDING const char* Script_Register(void) { return "Memory"; }
PENDING int Script_Parse(int, char**) { return 0; }
PENDING uint64_t Update_Register(void) { return 0x1000000040000000ull; }
PENDING int Update_A(uint64_t) { return 1; }
PENDING int Variable_Register(char***) { return 2; }
PENDING void* Variable_Get(char*, int*, unsigned short*) { return nullptr; }
PENDING uint32_t NvOptimusEnablementCuda = 1;
