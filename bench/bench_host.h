// The host the benchmarks run the module in, and the hand-written code each module run is
// compared with. The hand-written side makes the same host calls in the same order as the
// module (the host model's cost is in both), so that the ratio of the two times is the
// module's own overhead; both are timed in the same iterations, taking turns to go first,
// so that the ratio holds on a noisy machine. Shared by the Google Benchmark program and
// the Windows build's timing program (bench/windows/).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "host/host_services.h"
#include "hostsim/module.h"

namespace bench {

constexpr uint64_t MEMORY_UPDATE = 0x40000000;
constexpr uint64_t PANEL_DRAW = 0x2000000000000080;

// The module, loaded and initialised once on a machine so large that no purge starts:
// the build's own, or the file that the environment variable KESTRUM_BENCH_MODULE names
// (to time another build of the module in the same host).
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
// script clear with the host calls that follow them. The tree is walked by `walk`, by
// default hand_tree (hand_tree.h) compiled into this program.
using Tree_Walk = uint64_t (*)(Orvan_2D* root);
uint64_t hand_measure(Tree_Walk walk = nullptr);
void hand_paint_ram_bar();
void hand_clear_images();

// True when hand_paint_ram_bar covers exactly the pixels of the panel's window that the
// module's `module_paint` covers (whatever their shades), so that the two make the same
// drawing calls over the same lengths; each is checked on a window painted over first.
bool hand_paint_covers_module_pixels(const std::function<void()>& module_paint);

// The seconds since `start`, and the median of a benchmark's times (0 for none).
double seconds_since(std::chrono::steady_clock::time_point start);
double median(std::vector<double> values);

// Module runs and hand-written runs timed in pairs: each pair runs both sides once, the
// two taking turns to go first. The figures are medians: of the module's times, of the
// hand-written ones and of the per-pair ratios.
class Pair_Timing {
 public:
  // Times one pair and returns the module's time in seconds.
  double run(const std::function<void()>& module_side, const std::function<void()>& hand_side);
  size_t pairs() const { return module_times_.size(); }
  double module_ms() const { return median(module_times_) * 1e3; }
  double hand_ms() const { return median(hand_times_) * 1e3; }
  double ratio() const { return median(ratios_); }

 private:
  std::vector<double> module_times_, hand_times_, ratios_;
  bool module_first_ = true;
};

}  // namespace bench
