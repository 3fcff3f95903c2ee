// Real memory that the host model holds for a figure it reports, so that a cleanup
// really gives memory back to the process. Every page is touched when taken.
#pragma once

#include <cstdint>
#include <memory>

namespace hostsim {

class Real_Memory {
 public:
  static constexpr uint64_t LIMIT = uint64_t{1} << 30;  // per block; larger asks are refused

  Real_Memory() = default;
  // Takes and touches `bytes`; throws std::invalid_argument above LIMIT.
  explicit Real_Memory(uint64_t bytes);
  Real_Memory(Real_Memory&& other) noexcept;
  Real_Memory& operator=(Real_Memory&& other) noexcept;
  ~Real_Memory();

  uint64_t size() const { return size_; }

 private:
  std::unique_ptr<char[]> data_;
  uint64_t size_ = 0;
};

// Bytes of real memory the host model holds right now.
uint64_t real_bytes_held();

}  // namespace hostsim
