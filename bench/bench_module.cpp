// The module's costs, each beside a hand-written run of the same host calls:
//   update/closed/N  Update_A with the memory bit, panel closed: the four measurements
//                    over a tree of N nodes and 100,000 images
//   update/open/N    the same with the panel open: the measurements, then the RAM bar
//                    painted again (no column changes once the panel shows the figures)
//   bar/paint        Update_A with the panel-draw mask: one paint of the RAM bar
//   script/clear/N   "Memory: clear images" over a tree of N nodes: eleven cleanup walks
// Sizes run from the smallest up, each host built once for all the benchmarks of a size.
#include <benchmark/benchmark.h>

#include <functional>
#include <string>

#include "allocation_counter.h"
#include "bench_host.h"
#include "hostsim/updates.h"

namespace {

using bench::module;

// Runs `module_side` and `hand_side` once each per iteration, timing both and counting
// their heap allocations. The iteration time is the module's. Counters: module_ms and
// hand_ms (medians), ratio (median of the per-iteration ratios), allocations (the
// module's own per run: its run's allocations less the hand run's, which makes the same
// host calls).
void run_pair(benchmark::State& state, const std::function<void()>& module_side,
              const std::function<void()>& hand_side) {
  bench::Pair_Timing timing;
  uint64_t module_allocations = 0, hand_allocations = 0;
  const auto counted = [](const std::function<void()>& side, uint64_t& allocations) {
    return [&side, &allocations] {
      bench::start_counting_allocations();
      side();
      allocations += bench::stop_counting_allocations();
    };
  };
  const std::function<void()> module_counted = counted(module_side, module_allocations);
  const std::function<void()> hand_counted = counted(hand_side, hand_allocations);
  for (auto _ : state) {
    state.SetIterationTime(timing.run(module_counted, hand_counted));
    hostsim::deliver_deferred();  // words the host queued, to no tool: the queue is emptied
  }
  const double runs = static_cast<double>(timing.pairs());
  state.counters["module_ms"] = timing.module_ms();
  state.counters["hand_ms"] = timing.hand_ms();
  state.counters["ratio"] = timing.ratio();
  state.counters["allocations"] =
      (static_cast<double>(module_allocations) - static_cast<double>(hand_allocations)) / runs;
  state.counters["host_allocations"] = static_cast<double>(hand_allocations) / runs;
}

void update_cycle(benchmark::State& state, int64_t nodes, bool open) {
  state.counters["nodes"] = static_cast<double>(bench::use_host(nodes));
  if (open)
    bench::open_panel();
  else
    bench::close_panel();
  run_pair(
      state, [] { module().Update_A(bench::MEMORY_UPDATE); },
      [open] {
        benchmark::DoNotOptimize(bench::hand_measure());
        if (open) bench::hand_paint_ram_bar();
      });
  bench::close_panel();
}

void bar_paint(benchmark::State& state) {
  bench::use_host(100000);
  bench::open_panel();
  bench::hand_measure();  // the figures the hand-painted bar shows, as the module's
  if (!bench::hand_paint_covers_module_pixels([] { module().Update_A(bench::PANEL_DRAW); })) {
    state.SkipWithError("the hand-written painting covers other pixels than the module's");
    bench::close_panel();
    return;
  }
  run_pair(
      state, [] { module().Update_A(bench::PANEL_DRAW); }, [] { bench::hand_paint_ram_bar(); });
  bench::close_panel();
}

void script_clear(benchmark::State& state, int64_t nodes) {
  state.counters["nodes"] = static_cast<double>(bench::use_host(nodes));
  run_pair(
      state,
      [] {
        char sub_command[] = "clear";
        char object[] = "images";
        char* words[] = {sub_command, object};
        module().Script_Parse(2, words);
      },
      [] { bench::hand_clear_images(); });
}

benchmark::internal::Benchmark* timed(benchmark::internal::Benchmark* b) {
  return b->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
}

const bool g_registered = [] {
  for (const int64_t nodes : {int64_t{1000}, int64_t{10000}, int64_t{100000}, int64_t{1000000}}) {
    const std::string size = std::to_string(nodes);
    timed(benchmark::RegisterBenchmark(("update/closed/" + size).c_str(), update_cycle, nodes, false));
    timed(benchmark::RegisterBenchmark(("update/open/" + size).c_str(), update_cycle, nodes, true));
    if (nodes == 100000) {
      timed(benchmark::RegisterBenchmark("bar/paint", bar_paint))->Unit(benchmark::kMicrosecond);
      timed(benchmark::RegisterBenchmark(("script/clear/" + size).c_str(), script_clear, nodes));
    }
  }
  return true;
}();

}  // namespace
