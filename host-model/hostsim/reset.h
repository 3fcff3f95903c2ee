// Returning the whole host model to its state at process start, between tests.
#pragma once

#include <functional>

namespace hostsim {

// Each part of the host model registers how it is put back to its initial state.
void on_reset(std::function<void()> reset_part);
// Resets every part: data, windows, variables, records, machine and GPU settings.
void reset();

// For a file-level registration: static const hostsim::Reset_Registration r{[] {...}};
struct Reset_Registration {
  explicit Reset_Registration(std::function<void()> reset_part) { on_reset(std::move(reset_part)); }
};

}  // namespace hostsim
