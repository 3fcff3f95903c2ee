// The host's windows on Windows: real windows of the system, painted by GDI and read back
// with GetDIBits. Each is a borderless popup shown without activation from the start: a
// window that has never been shown has no surface to keep pixels in (under Wine's null
// graphics driver as on a desktop), so drawing on it would be lost.
//
// The module calls Windows itself. To record those calls and to count contexts, pens and
// locks, the host model takes over the module's import slots of a few of them when it
// loads the module (watch_module_calls): each replacement records, then calls Windows.
// The memory-status call answers the figures that set_machine fixed, else the real ones.
#include <windows.h>

// The PNG writer (Debian's libstb-dev), compiled here once.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <vector>

#include "hostsim/events.h"
#include "hostsim/machine.h"
#include "hostsim/picture.h"
#include "hostsim/platform.h"
#include "hostsim/reset.h"
#include "hostsim/win32/bitmap.h"
#include "hostsim/window_book.h"
#include "hostsim/windows.h"
#include "host/widget_toolkit.h"

namespace hostsim {

namespace {

constexpr char WINDOW_CLASS[] = "KestrumHostWindow";

struct World {
  std::map<HWND, int> windows;  // the windows made here, with how often they were raised
  std::set<HDC> dcs;            // contexts the module has and has not released
  std::set<HGDIOBJ> pens;       // pens the module made and has not deleted
  uint64_t pens_created = 0;
};

// Never destroyed: the module's widgets may still reach the windows while the process ends.
World& world() {
  static World* the_world = new World;
  return *the_world;
}

const Reset_Registration g_reset{[] {
  World& w = world();
  for (const auto& window : w.windows) DestroyWindow(window.first);
  w = World{};
}};

bool known(HWND window) { return window && world().windows.count(window) != 0; }

bool register_class() {
  static const bool registered = [] {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = WINDOW_CLASS;
    return RegisterClassA(&window_class) != 0;
  }();
  return registered;
}

// The client area's size, 0 x 0 for a window not made here.
SIZE client_size(HWND window) {
  RECT client{};
  if (!known(window) || !GetClientRect(window, &client)) return SIZE{0, 0};
  return SIZE{client.right, client.bottom};
}

// `width` x `height` pixels of the client area from (left, top) as GDI has them, top row
// first, 0x00RRGGBB words: one pixel is read without copying the whole window.
std::vector<uint32_t> capture(HWND window, int left, int top, int width, int height) {
  if (width <= 0 || height <= 0) return {};
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  HDC dc = GetDC(window);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, dc, left, top, SRCCOPY);
  SelectObject(memory, previous);
  BITMAPINFO info = top_down_bitmap(width, height);
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, dc);
  for (uint32_t& p : pixels) p &= 0x00FFFFFFu;
  return pixels;
}

}  // namespace

// ---- Windows -------------------------------------------------------------------------

HWND create_window(int width, int height) {
  if (!register_class()) return nullptr;
  HWND window = CreateWindowExA(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, WINDOW_CLASS, "", WS_POPUP | WS_VISIBLE, 0, 0,
                                std::max(0, width), std::max(0, height), nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (!window) return nullptr;
  world().windows[window] = 0;
  fill_window(window, WINDOW_BACKGROUND);
  return window;
}

void destroy_window(HWND window) {
  if (!known(window)) return;
  DestroyWindow(window);
  world().windows.erase(window);
  book::forget_window(window);
}

bool window_exists(HWND window) { return known(window) && IsWindow(window); }

void resize_window(HWND window, int width, int height) {
  if (!known(window)) return;
  SetWindowPos(window, nullptr, 0, 0, std::max(0, width), std::max(0, height),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  fill_window(window, WINDOW_BACKGROUND);
}

int window_width(HWND window) { return client_size(window).cx; }
int window_height(HWND window) { return client_size(window).cy; }

void fill_window(HWND window, uint32_t rgb) {
  RECT client{};
  if (!known(window) || !GetClientRect(window, &client)) return;
  HDC dc = GetDC(window);
  SetDCBrushColor(dc, rgb_to_colorref(rgb));
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  ReleaseDC(window, dc);
}

uint32_t device_pixel(HWND window, int column, int row) {
  const SIZE client = client_size(window);
  if (column < 0 || row < 0 || column >= client.cx || row >= client.cy) return 0xFFFFFFFFu;
  return capture(window, column, row, 1, 1).front();
}

// GDI paints the window itself: there is no buffer of the host model's own.
uint32_t* window_pixels(HWND) { return nullptr; }

Picture window_picture(HWND window) {
  const SIZE client = client_size(window);
  Picture picture(client.cx, client.cy, 0);
  picture.pixels = capture(window, 0, 0, client.cx, client.cy);
  return picture;
}

namespace {

// stb writes bytes red, green, blue; the pixels are 0x00RRGGBB words.
bool write_pixels_png(const std::vector<uint32_t>& pixels, int width, int height, const std::string& path,
                      std::string& error) {
  std::vector<unsigned char> rgb;
  rgb.reserve(pixels.size() * 3);
  for (uint32_t p : pixels) {
    rgb.push_back(static_cast<unsigned char>(p >> 16));
    rgb.push_back(static_cast<unsigned char>(p >> 8));
    rgb.push_back(static_cast<unsigned char>(p));
  }
  if (!stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3)) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace

bool write_png(HWND window, const std::string& path, std::string& error) {
  if (!known(window)) {
    error = "no such window";
    return false;
  }
  const Picture picture = window_picture(window);
  if (picture.pixels.empty()) {
    error = "the window has no pixels";
    return false;
  }
  return write_pixels_png(picture.pixels, picture.width, picture.height, path, error);
}

bool write_png(const Picture& picture, const std::string& path, std::string& error) {
  if (picture.pixels.empty()) {
    error = "the picture has no pixels";
    return false;
  }
  return write_pixels_png(picture.pixels, picture.width, picture.height, path, error);
}

bool window_enabled(HWND window) { return known(window) && IsWindowEnabled(window); }
bool window_shown(HWND window) { return known(window) && IsWindowVisible(window); }
int window_raised(HWND window) { return known(window) ? world().windows[window] : 0; }

int live_dcs() { return static_cast<int>(world().dcs.size()); }
int live_pens() { return static_cast<int>(world().pens.size()); }
uint64_t pens_created() { return world().pens_created; }

// ---- The module's calls, watched -------------------------------------------------------

namespace {

HDC WINAPI Watched_GetDC(HWND window) {
  if (book::take_get_dc_failure()) return nullptr;
  HDC dc = GetDC(window);
  if (dc) world().dcs.insert(dc);
  return dc;
}

int WINAPI Watched_ReleaseDC(HWND window, HDC dc) {
  const int released = ReleaseDC(window, dc);
  if (released) world().dcs.erase(dc);
  return book::take_release_dc_failure() ? 0 : released;
}

HPEN WINAPI Watched_CreatePen(int style, int width, COLORREF color) {
  HPEN pen = CreatePen(style, width, color);
  if (pen) {
    world().pens.insert(pen);
    ++world().pens_created;
  }
  return pen;
}

BOOL WINAPI Watched_DeleteObject(HGDIOBJ object) {
  const BOOL deleted = DeleteObject(object);
  if (deleted) world().pens.erase(object);
  return deleted;
}

BOOL WINAPI Watched_EnableWindow(HWND window, BOOL enable) {
  record_call(std::string("EnableWindow ") + (enable ? "1" : "0"));
  return EnableWindow(window, enable);
}

BOOL WINAPI Watched_ShowWindow(HWND window, int command) {
  record_call("ShowWindow " + std::to_string(command));
  return ShowWindow(window, command);
}

BOOL WINAPI Watched_BringWindowToTop(HWND window) {
  record_call("BringWindowToTop");
  const BOOL raised = BringWindowToTop(window);
  if (raised && known(window)) ++world().windows[window];
  return raised;
}

void WINAPI Watched_InitializeCriticalSection(CRITICAL_SECTION* section) {
  InitializeCriticalSection(section);
  book::lock_initialized_now(section);
}

// The C and C++ runtimes linked into the module take sections of their own, which pass
// straight through. Entering or leaving the toolkit's lock uninitialised would break the
// process: counted as a misuse and refused.
void WINAPI Watched_EnterCriticalSection(CRITICAL_SECTION* section) {
  if (book::lock_known(section)) {
    EnterCriticalSection(section);
    book::lock_entered(section);
  } else if (section == &Critical) {
    book::lock_misused();
  } else {
    EnterCriticalSection(section);
  }
}

void WINAPI Watched_LeaveCriticalSection(CRITICAL_SECTION* section) {
  if (book::lock_known(section) || section == &Critical) {
    if (book::lock_left(section)) LeaveCriticalSection(section);
  } else {
    LeaveCriticalSection(section);
  }
}

void WINAPI Watched_DeleteCriticalSection(CRITICAL_SECTION* section) {
  book::lock_deleted(section);
  DeleteCriticalSection(section);
}

void WINAPI Watched_GlobalMemoryStatus(MEMORYSTATUS* status) { answer_memory_status(status); }

struct Watched_Call {
  const char* name;
  void* replacement;
};

template <typename Fn>
void* address_of(Fn function) {
  return reinterpret_cast<void*>(function);
}

const Watched_Call WATCHED[] = {
    {"GetDC", address_of(Watched_GetDC)},
    {"ReleaseDC", address_of(Watched_ReleaseDC)},
    {"CreatePen", address_of(Watched_CreatePen)},
    {"DeleteObject", address_of(Watched_DeleteObject)},
    {"EnableWindow", address_of(Watched_EnableWindow)},
    {"ShowWindow", address_of(Watched_ShowWindow)},
    {"BringWindowToTop", address_of(Watched_BringWindowToTop)},
    {"InitializeCriticalSection", address_of(Watched_InitializeCriticalSection)},
    {"EnterCriticalSection", address_of(Watched_EnterCriticalSection)},
    {"LeaveCriticalSection", address_of(Watched_LeaveCriticalSection)},
    {"DeleteCriticalSection", address_of(Watched_DeleteCriticalSection)},
    {"GlobalMemoryStatus", address_of(Watched_GlobalMemoryStatus)},
};

bool is_system_library(const char* name) {
  for (const char* system : {"user32.dll", "gdi32.dll", "kernel32.dll"})
    if (lstrcmpiA(name, system) == 0) return true;
  return false;
}

}  // namespace

void watch_module_calls(void* library) {
  auto* base = static_cast<BYTE*>(library);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return;
  for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name;
       ++entry) {
    if (!is_system_library(reinterpret_cast<const char*>(base + entry->Name))) continue;
    const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(
        base + (entry->OriginalFirstThunk ? entry->OriginalFirstThunk : entry->FirstThunk));
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* by_name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      for (const Watched_Call& call : WATCHED) {
        if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), call.name) != 0) continue;
        DWORD protection = 0;
        VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection);
        slots->u1.Function = reinterpret_cast<ULONG_PTR>(call.replacement);
        VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
      }
    }
  }
}

}  // namespace hostsim
