// What the fuzz targets share: the module, loaded once for the whole run the way a host
// loads it (it is never unloaded: the fuzzer's coverage counters live in it); the host
// model put back to its start before each input; a reader that turns the input's bytes
// into the host's choices; and the checks that the module left the host intact.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "hostsim/module.h"

namespace fuzz {

// The module, loaded on first use; the process stops when it cannot be loaded.
hostsim::Module& module();

// The host model at its start, with nothing recorded (the record is only for tests), no
// GPU, a machine of 64 MiB and the module registered for its updates.
void fresh_host();

// Stops the process, naming what the module did wrong, so that the fuzzer keeps the input.
[[noreturn]] void fail(const std::string& what);

// Every node unlocked, every iterator ended, every device context released, every pen
// deleted, the drawing lock free: what the module must leave after each entry point.
void check_host_intact();

// The input's bytes read from the front, little-endian; past the end every read gives 0,
// so any input is a whole, valid sequence of choices.
class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool empty() const { return at_ >= size_; }
  uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
  bool flag() { return (byte() & 1) != 0; }
  template <typename T>
  T number() {
    uint64_t value = 0;
    for (size_t i = 0; i < sizeof(T); ++i) value |= uint64_t{byte()} << (8 * i);
    return static_cast<T>(value);
  }
  // A number from `low` to `high`, both included.
  int range(int low, int high);
  // A text of up to `longest` bytes, any bytes but the zero that ends it.
  std::string text(size_t longest);
  // A byte count as hosts have them: small, a few MiB, about a 32-bit range, or any.
  uint64_t bytes();
  // An update word: the bits the module gives meaning to, alone or together, or any.
  uint64_t update_word();

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// Words as a host hands them to Script_Parse: writable, each exactly as long as its text
// (so that a read past a word's end is caught), in an array as long as the count says.
class Script_Words {
 public:
  // `count` words read from the input; some may be null when `allow_null`.
  Script_Words(Input& in, int count, bool allow_null);
  // These words.
  explicit Script_Words(const std::vector<std::string>& texts);
  ~Script_Words();
  Script_Words(const Script_Words&) = delete;
  Script_Words& operator=(const Script_Words&) = delete;

  char** array() { return array_; }
  // Each word still ends where it did, or was cut to its first three characters.
  void check_after_parse() const;

 private:
  void add(const std::string& text);

  char** array_ = nullptr;  // exactly as long as the count (null for none)
  std::vector<size_t> lengths_;
};

}  // namespace fuzz
