// The Windows calls the module makes: memory status, device contexts, pens and lines,
// window state and critical sections. On Windows this is <windows.h> itself; elsewhere
// the same names are declared here and the process that loads the module provides them,
// so the module's source reads the same on every platform.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else

#include <cstddef>
#include <cstdint>

#define WINAPI

typedef uint32_t DWORD;
typedef int32_t LONG;
typedef int BOOL;
typedef unsigned int UINT;
typedef uintptr_t SIZE_T;  // pointer-sized, as on Windows: 32-bit in a 32-bit process
typedef DWORD COLORREF;

typedef struct HWND__* HWND;
typedef struct HDC__* HDC;
typedef struct HPEN__* HPEN;
typedef void* HGDIOBJ;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define PS_SOLID 0
#define MM_ANISOTROPIC 8
#define SW_SHOW 5
#define RGB(r, g, b) \
  ((COLORREF)(((DWORD)(uint8_t)(r)) | (((DWORD)(uint8_t)(g)) << 8) | (((DWORD)(uint8_t)(b)) << 16)))

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

struct POINT {
  LONG x;
  LONG y;
};

struct SIZE {
  LONG cx;
  LONG cy;
};

// Field for field the Windows structure: 32 bytes in a 32-bit process.
struct MEMORYSTATUS {
  DWORD dwLength;
  DWORD dwMemoryLoad;
  SIZE_T dwTotalPhys;
  SIZE_T dwAvailPhys;
  SIZE_T dwTotalPageFile;
  SIZE_T dwAvailPageFile;
  SIZE_T dwTotalVirtual;
  SIZE_T dwAvailVirtual;
};

// Opaque storage, as large as the Windows structure on 64-bit, which the lock's owner
// (the process) interprets.
struct CRITICAL_SECTION {
  void* opaque[5];
};

extern "C" {
void WINAPI GlobalMemoryStatus(MEMORYSTATUS* status);

HDC WINAPI GetDC(HWND window);
int WINAPI ReleaseDC(HWND window, HDC dc);
BOOL WINAPI GetClientRect(HWND window, RECT* rect);

int WINAPI SetMapMode(HDC dc, int mode);
BOOL WINAPI SetWindowExtEx(HDC dc, int x, int y, SIZE* old_size);
BOOL WINAPI SetViewportExtEx(HDC dc, int x, int y, SIZE* old_size);
BOOL WINAPI SetViewportOrgEx(HDC dc, int x, int y, POINT* old_origin);

HPEN WINAPI CreatePen(int style, int width, COLORREF color);
HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object);
BOOL WINAPI DeleteObject(HGDIOBJ object);
BOOL WINAPI MoveToEx(HDC dc, int x, int y, POINT* old_point);
BOOL WINAPI LineTo(HDC dc, int x, int y);

BOOL WINAPI EnableWindow(HWND window, BOOL enable);
BOOL WINAPI ShowWindow(HWND window, int command);
BOOL WINAPI BringWindowToTop(HWND window);

void WINAPI InitializeCriticalSection(CRITICAL_SECTION* section);
void WINAPI EnterCriticalSection(CRITICAL_SECTION* section);
void WINAPI LeaveCriticalSection(CRITICAL_SECTION* section);
void WINAPI DeleteCriticalSection(CRITICAL_SECTION* section);
}

#endif
