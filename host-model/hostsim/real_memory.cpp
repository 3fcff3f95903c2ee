#include "hostsim/real_memory.h"

#include <cstring>
#include <string>
#include <utility>

#include "hostsim/platform.h"

namespace hostsim {

namespace {
uint64_t g_held = 0;
}  // namespace

Allocation_Failure::Allocation_Failure(uint64_t wanted)
    : std::runtime_error("cannot allocate " + std::to_string(wanted) + " bytes"), bytes(wanted) {}

Real_Memory::Real_Memory(uint64_t bytes) {
  if (bytes > LIMIT) throw std::invalid_argument("too many bytes to hold for real");
  if (bytes == 0) return;
  const size_t size = static_cast<size_t>(bytes);
  void* mapped = map_pages(size);
  if (!mapped) throw Allocation_Failure(bytes);
  std::memset(mapped, 0x5A, size);
  data_ = mapped;
  size_ = bytes;
  g_held += bytes;
}

Real_Memory::Real_Memory(Real_Memory&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

Real_Memory& Real_Memory::operator=(Real_Memory&& other) noexcept {
  if (this != &other) {
    release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

Real_Memory::~Real_Memory() { release(); }

void Real_Memory::release() noexcept {
  if (data_) unmap_pages(data_, static_cast<size_t>(size_));
  g_held -= size_;
  data_ = nullptr;
  size_ = 0;
}

uint64_t real_bytes_held() { return g_held; }

}  // namespace hostsim
