// Everything that crosses the module's boundary outward: the entry points the host looks
// up by their undecorated names, and the one data export. The host's side of the
// boundary (its services and widget library) is declared under host/.
#pragma once

#include <cstdint>

#include "platform/exports.h"
#include "platform/windows_api.h"

// Life cycle.
KESTRUM_EXPORT int Init(void);
KESTRUM_EXPORT int Exit(void);
KESTRUM_EXPORT const char* Register(uint32_t host_word);
KESTRUM_EXPORT const char* Sort(void);
KESTRUM_EXPORT const char* Version(void);

// Panel.
KESTRUM_EXPORT int Ctrl_Register(int* width);
KESTRUM_EXPORT int Ctrl_Create(HWND window, int width, int height);
KESTRUM_EXPORT int Ctrl_Resize(HWND window, int width, int height);
KESTRUM_EXPORT int Ctrl_Open(void);
KESTRUM_EXPORT int Ctrl_Close(void);
KESTRUM_EXPORT int Ctrl_Show(void);
KESTRUM_EXPORT int Ctrl_Hide(void);
KESTRUM_EXPORT int Ctrl_Draw(void);
KESTRUM_EXPORT int Ctrl_Query(void);
KESTRUM_EXPORT int Ctrl_Click(void* unused, int up_down, short x, short y);
KESTRUM_EXPORT int Ctrl_Motion(void* unused, int up_down, short x, short y);
KESTRUM_EXPORT int Ctrl_Leave(void);
KESTRUM_EXPORT int Ctrl_Help(void* unused, int key, short x, short y);
KESTRUM_EXPORT int Ctrl_Scroll(void* unused, int value);

// Script command.
KESTRUM_EXPORT const char* Script_Register(void);
KESTRUM_EXPORT int Script_Parse(int nb_arg, char** args);

// Update notifications.
KESTRUM_EXPORT uint64_t Update_Register(void);
KESTRUM_EXPORT int Update_A(uint64_t flag);

// Host variables.
KESTRUM_EXPORT int Variable_Register(char*** names);
KESTRUM_EXPORT void* Variable_Get(char* name, int* count, unsigned short* type);

// Asks a hybrid-graphics display driver to run the process's CUDA work on the GPU.
KESTRUM_EXPORT uint32_t NvOptimusEnablementCuda;

// The entry points' types, for a host that looks them up by name.
namespace kestrum {
using Init_Fn = int (*)(void);
using Exit_Fn = int (*)(void);
using Register_Fn = const char* (*)(uint32_t);
using Text_Fn = const char* (*)(void);
using Ctrl_Register_Fn = int (*)(int*);
using Ctrl_Window_Fn = int (*)(HWND, int, int);
using Ctrl_Plain_Fn = int (*)(void);
using Ctrl_Pointer_Fn = int (*)(void*, int, short, short);
using Ctrl_Scroll_Fn = int (*)(void*, int);
using Script_Parse_Fn = int (*)(int, char**);
using Update_Register_Fn = uint64_t (*)(void);
using Update_A_Fn = int (*)(uint64_t);
using Variable_Register_Fn = int (*)(char***);
using Variable_Get_Fn = void* (*)(char*, int*, unsigned short*);
}  // namespace kestrum
