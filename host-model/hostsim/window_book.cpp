#include "hostsim/window_book.h"

#include <cstdint>
#include <map>

#include "hostsim/reset.h"
#include "hostsim/windows.h"

namespace hostsim {

namespace {

struct Lock_State {
  int depth = 0;
  uint64_t entries = 0;
};

struct Book {
  std::map<const CRITICAL_SECTION*, Lock_State> locks;
  uint64_t lock_misuses = 0;
  bool fail_get_dc = false;
  bool fail_release_dc = false;
  HWND pointer_window = nullptr;
  int pointer_x = 0;
  int pointer_y = 0;
};

// Never destroyed: the module's widgets may still draw while the process ends.
Book& the_book() {
  static Book* book = new Book;
  return *book;
}

const Reset_Registration g_reset{[] { the_book() = Book{}; }};

bool take(bool& flag) {
  const bool was = flag;
  flag = false;
  return was;
}

}  // namespace

namespace book {

bool take_get_dc_failure() { return take(the_book().fail_get_dc); }
bool take_release_dc_failure() { return take(the_book().fail_release_dc); }

void forget_window(HWND window) {
  if (the_book().pointer_window == window) the_book().pointer_window = nullptr;
}

void lock_initialized_now(const CRITICAL_SECTION* section) { the_book().locks[section] = Lock_State{}; }
bool lock_known(const CRITICAL_SECTION* section) { return the_book().locks.count(section) != 0; }

void lock_entered(const CRITICAL_SECTION* section) {
  Lock_State& lock = the_book().locks[section];
  ++lock.depth;
  ++lock.entries;
}

bool lock_left(const CRITICAL_SECTION* section) {
  auto it = the_book().locks.find(section);
  if (it == the_book().locks.end() || it->second.depth == 0) {
    lock_misused();
    return false;
  }
  --it->second.depth;
  return true;
}

void lock_misused() { ++the_book().lock_misuses; }
void lock_deleted(const CRITICAL_SECTION* section) { the_book().locks.erase(section); }

}  // namespace book

void set_pointer(HWND window, int x, int y) {
  the_book().pointer_window = window;
  the_book().pointer_x = x;
  the_book().pointer_y = y;
}

HWND pointer_window() { return the_book().pointer_window; }
int pointer_x() { return the_book().pointer_x; }
int pointer_y() { return the_book().pointer_y; }

void fail_next_get_dc() { the_book().fail_get_dc = true; }
void fail_next_release_dc() { the_book().fail_release_dc = true; }

int lock_depth(const CRITICAL_SECTION* section) {
  auto it = the_book().locks.find(section);
  return it == the_book().locks.end() ? 0 : it->second.depth;
}

uint64_t lock_entries(const CRITICAL_SECTION* section) {
  auto it = the_book().locks.find(section);
  return it == the_book().locks.end() ? 0 : it->second.entries;
}

bool lock_initialized(const CRITICAL_SECTION* section) { return book::lock_known(section); }
uint64_t lock_misuses() { return the_book().lock_misuses; }

// Built on each platform's device_pixel and write_png: an unknown window has height 0,
// and its device_pixel answers 0xFFFFFFFF.
uint32_t pixel(HWND window, int x, int y) { return device_pixel(window, x, window_height(window) - 1 - y); }

bool write_png(HWND window, const std::string& path) {
  std::string error;
  return write_png(window, path, error);
}

}  // namespace hostsim
