#include "hostsim/real_memory.h"

#include <cstring>
#include <stdexcept>
#include <utility>

namespace hostsim {

namespace {
uint64_t g_held = 0;
}  // namespace

Real_Memory::Real_Memory(uint64_t bytes) {
  if (bytes > LIMIT) throw std::invalid_argument("too many bytes to hold for real");
  if (bytes == 0) return;
  const size_t size = static_cast<size_t>(bytes);
  data_.reset(new char[size]);
  std::memset(data_.get(), 0x5A, size);
  size_ = bytes;
  g_held += bytes;
}

Real_Memory::Real_Memory(Real_Memory&& other) noexcept
    : data_(std::move(other.data_)), size_(std::exchange(other.size_, 0)) {}

Real_Memory& Real_Memory::operator=(Real_Memory&& other) noexcept {
  if (this != &other) {
    g_held -= size_;
    data_ = std::move(other.data_);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

Real_Memory::~Real_Memory() { g_held -= size_; }

uint64_t real_bytes_held() { return g_held; }

}  // namespace hostsim
