// The host the benchmarks run the module in, and the hand-written code each module run is
// compared with. The hand-written side makes the same host calls in the same order as the
// module (the host model's cost is in both), so that the ratio of the two times is the
// module's own overhead; both are timed in the same iterations, taking turns to go first,
// so that the ratio holds on a noisy machine.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "hostsim/module.h"

namespace bench {

constexpr uint64_t MEMORY_UPDATE = 0x40000000;
constexpr uint64_t PANEL_DRAW = 0x2000000000000080;

// The module, loaded and initialised once on a machine so large that no purge starts.
hostsim::Module& module();

// A host whose image tree holds about `nodes` nodes (a root, branches of a thousand
// leaves each), with 100,000 images in 1,000 file records, 100 3-D files, tags and
// objects and an undo history; the host's call record off. Rebuilt only when `nodes`
// changes. Returns the exact number of tree nodes.
int64_t use_host(int64_t nodes);

// To be called by a benchmark that builds a host of its own: the next use_host builds
// its host anew.
void host_replaced();

// The panel's window made, laid out, opened and shown (measuring once) / closed.
void open_panel();
void close_panel();

// What the module does, written by hand: the four measurements (their total), one paint
// of the RAM bar as it stands after hand_measure, and the eleven image cleanups of a
// script clear with the host calls that follow them.
uint64_t hand_measure();
void hand_paint_ram_bar();
void hand_clear_images();

// The seconds since `start`, and the median of a benchmark's times (0 for none).
double seconds_since(std::chrono::steady_clock::time_point start);
double median(std::vector<double> values);

// Runs `module_side` and `hand_side` once each per iteration, timing both and counting
// their heap allocations. The iteration time is the module's. Counters: module_ms and
// hand_ms (medians), ratio (median of the per-iteration ratios), allocations (the
// module's own per run: its run's allocations less the hand run's, which makes the same
// host calls).
void run_pair(benchmark::State& state, const std::function<void()>& module_side,
              const std::function<void()>& hand_side);

}  // namespace bench
