// Real memory that the host model holds for a figure it reports, so that a cleanup
// really gives memory back to the process. Every block is mapped on its own and every
// page is touched when taken, so that taking it uses address space and RAM at once and
// giving it back returns both to the system, whatever the allocator would have kept.
#pragma once

#include <cstdint>
#include <stdexcept>

namespace hostsim {

// The process could not map a block: its address space (or the system) is full.
struct Allocation_Failure : std::runtime_error {
  explicit Allocation_Failure(uint64_t bytes);
  uint64_t bytes;
};

class Real_Memory {
 public:
  static constexpr uint64_t LIMIT = uint64_t{1} << 30;  // per block; larger asks are refused

  Real_Memory() = default;
  // Takes and touches `bytes`; throws std::invalid_argument above LIMIT and
  // Allocation_Failure ("cannot allocate N bytes") when the process has no room for it.
  explicit Real_Memory(uint64_t bytes);
  Real_Memory(Real_Memory&& other) noexcept;
  Real_Memory& operator=(Real_Memory&& other) noexcept;
  Real_Memory(const Real_Memory&) = delete;
  Real_Memory& operator=(const Real_Memory&) = delete;
  ~Real_Memory();

  uint64_t size() const { return size_; }

 private:
  void release() noexcept;

  void* data_ = nullptr;
  uint64_t size_ = 0;
};

// Bytes of real memory the host model holds right now.
uint64_t real_bytes_held();

}  // namespace hostsim
