#include "fuzz/harness.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/widget_toolkit.h"
#include "hostsim/db2d.h"
#include "hostsim/db3d.h"
#include "hostsim/events.h"
#include "hostsim/gpu.h"
#include "hostsim/machine.h"
#include "hostsim/reset.h"
#include "hostsim/updates.h"
#include "hostsim/windows.h"

namespace fuzz {

hostsim::Module& module() {
  static hostsim::Module loaded;
  if (!loaded.loaded()) {
    std::string error;
    if (!loaded.load(KESTRUM_MODULE_PATH, error)) {
      std::fprintf(stderr, "cannot load the module: %s\n", error.c_str());
      std::exit(2);
    }
  }
  return loaded;
}

void fresh_host() {
  hostsim::reset();
  hostsim::set_recording(false);
  hostsim::gpu_none();
  hostsim::set_machine(uint64_t{64} << 20, uint64_t{64} << 20);
  hostsim::register_tool(module().Update_Register(), module().Update_A);
}

void fail(const std::string& what) {
  std::fprintf(stderr, "the module left the host broken: %s\n", what.c_str());
  std::abort();
}

void check_host_intact() {
  if (hostsim::locks_held() != 0) fail("a node is still locked");
  if (!hostsim::node_faults().empty()) fail(hostsim::node_faults().front());
  if (hostsim::iterators_open() != 0) fail("an iterator is still open");
  if (!hostsim::iterator_faults().empty()) fail(hostsim::iterator_faults().front());
  if (hostsim::live_dcs() != 0) fail("a device context was not released");
  if (hostsim::live_pens() != 0) fail("a pen was not deleted");
  if (hostsim::lock_depth(&Critical) != 0) fail("the drawing lock is still held");
  if (hostsim::lock_misuses() != 0) fail("the drawing lock was misused");
}

int Input::range(int low, int high) {
  const uint64_t span = static_cast<uint64_t>(static_cast<int64_t>(high) - low) + 1;
  const uint64_t value = span <= 256 ? byte() : number<uint32_t>();
  return static_cast<int>(low + static_cast<int64_t>(value % span));
}

std::string Input::text(size_t longest) {
  const size_t length = byte() % (longest + 1);
  std::string out;
  for (size_t i = 0; i < length && !empty(); ++i) {
    const char c = static_cast<char>(byte());
    out.push_back(c != '\0' ? c : ' ');
  }
  return out;
}

uint64_t Input::bytes() {
  switch (byte() % 4) {
    case 0: return number<uint16_t>();
    case 1: return uint64_t{number<uint16_t>()} << 10;
    case 2: return number<uint32_t>();
    default: return number<uint64_t>();
  }
}

uint64_t Input::update_word() {
  constexpr uint64_t MEMORY = 0x40000000;
  constexpr uint64_t PANEL_DRAW = 0x2000000000000080;
  switch (byte() % 6) {
    case 0: return MEMORY;
    case 1: return PANEL_DRAW;
    case 2: return MEMORY | PANEL_DRAW;
    case 3: return 0x1000000040000000;
    case 4: return uint64_t{1} << (byte() % 64);
    default: return number<uint64_t>();
  }
}

Script_Words::Script_Words(Input& in, int count, bool allow_null) {
  if (count <= 0) return;
  array_ = new char*[static_cast<size_t>(count)];
  for (int i = 0; i < count; ++i) {
    if (allow_null && in.byte() == 0xFF) {
      array_[i] = nullptr;
      lengths_.push_back(0);
    } else {
      add(in.text(12));
    }
  }
}

Script_Words::Script_Words(const std::vector<std::string>& texts) {
  if (texts.empty()) return;
  array_ = new char*[texts.size()];
  for (const std::string& text : texts) add(text);
}

void Script_Words::add(const std::string& text) {
  char* word = new char[text.size() + 1];
  std::memcpy(word, text.c_str(), text.size() + 1);
  array_[lengths_.size()] = word;
  lengths_.push_back(text.size());
}

Script_Words::~Script_Words() {
  for (size_t i = 0; i < lengths_.size(); ++i) delete[] array_[i];
  delete[] array_;
}

void Script_Words::check_after_parse() const {
  for (size_t i = 0; i < lengths_.size(); ++i) {
    const char* word = array_[i];
    if (!word) continue;
    const size_t length = std::strlen(word);
    if (length != lengths_[i] && !(length == 3 && lengths_[i] > 3))
      fail("a script word was changed other than cut to three characters");
  }
}

}  // namespace fuzz
