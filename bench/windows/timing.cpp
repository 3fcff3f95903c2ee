// The Windows build's timing of the module, where Google Benchmark is not built: the
// benchmarks' update cycle with the panel closed and their script clear, each beside the
// same hand-written run of the same host calls (bench_host.h), timed in pairs that take
// turns to go first, with medians; then the same checks of the update cycle as the
// Google Benchmark program. scripts/bench.sh --target windows-i686 runs it under Wine.
//
//   kestrum-host.exe [TEXT]   only the rows whose name contains TEXT
//
// Rows ending in /dll time the same module against the hand-written walk of the tree
// compiled into a DLL of its own (hand_walk.cpp), which calls the host's functions through
// the same imports as the module; the other rows, as on Linux, against the walk compiled
// into this program, which calls them directly.
//
// Painting is left out here: on Windows the module's drawing calls go through the host
// model's recording replacements and the hand-written painting's straight to Windows, so
// their ratio would time the host model. Allocations are counted on Linux only.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_host.h"
#include "hostsim/updates.h"

namespace {

constexpr double MIN_MODULE_SECONDS = 1.0;  // per row, as the benchmarks' minimum time
constexpr size_t MIN_PAIRS = 20;

struct Row {
  std::string name;
  double module_ms, hand_ms, ratio;
  size_t pairs;
};

volatile uint64_t g_sink = 0;  // keeps the hand-written measurement's result alive

// One untimed pair first; then pairs until the module has run for the minimum time.
Row time_pairs(const std::string& name, const std::function<void()>& module_side,
               const std::function<void()>& hand_side) {
  module_side();
  hand_side();
  hostsim::deliver_deferred();
  bench::Pair_Timing timing;
  double module_seconds = 0;
  while (module_seconds < MIN_MODULE_SECONDS || timing.pairs() < MIN_PAIRS) {
    module_seconds += timing.run(module_side, hand_side);
    hostsim::deliver_deferred();  // words the host queued, to no tool: the queue is emptied
  }
  return {name, timing.module_ms(), timing.hand_ms(), timing.ratio(), timing.pairs()};
}

// The hand-written walk of hand_walk.cpp, from its DLL.
bench::Tree_Walk dll_walk() {
  static const bench::Tree_Walk walk = [] {
    HMODULE library = LoadLibraryA(KESTRUM_HAND_WALK_PATH);
    FARPROC found = library ? GetProcAddress(library, "Hand_Tree") : nullptr;
    if (!found) {
      std::fprintf(stderr, "cannot load the hand-written walk from %s\n", KESTRUM_HAND_WALK_PATH);
      std::exit(2);
    }
    return reinterpret_cast<bench::Tree_Walk>(reinterpret_cast<void*>(found));
  }();
  return walk;
}

Row update_closed(int64_t nodes, bench::Tree_Walk walk, const char* suffix) {
  bench::use_host(nodes);
  bench::close_panel();
  return time_pairs(
      "update/closed/" + std::to_string(nodes) + suffix, [] { bench::module().Update_A(bench::MEMORY_UPDATE); },
      [walk] { g_sink = bench::hand_measure(walk); });
}

Row script_clear(int64_t nodes) {
  bench::use_host(nodes);
  return time_pairs(
      "script/clear/" + std::to_string(nodes),
      [] {
        char sub_command[] = "clear";
        char object[] = "images";
        char* words[] = {sub_command, object};
        bench::module().Script_Parse(2, words);
      },
      [] { bench::hand_clear_images(); });
}

}  // namespace

int main(int argc, char** argv) {
  const std::string only = argc > 1 ? argv[1] : "";
  const auto wanted = [&](const std::string& name) { return name.find(only) != std::string::npos; };
  std::vector<Row> rows;
  for (const int64_t nodes : {int64_t{1000}, int64_t{10000}, int64_t{100000}, int64_t{1000000}}) {
    const std::string update = "update/closed/" + std::to_string(nodes);
    if (wanted(update)) rows.push_back(update_closed(nodes, nullptr, ""));
    if (nodes >= 100000 && wanted(update + "/dll")) rows.push_back(update_closed(nodes, dll_walk(), "/dll"));
    if (nodes == 100000 && wanted("script/clear/100000")) rows.push_back(script_clear(nodes));
  }

  std::printf("%-28s %12s %12s %8s %8s\n", "benchmark", "module ms", "hand ms", "ratio", "pairs");
  const Row* small = nullptr;
  const Row* large = nullptr;
  for (const Row& row : rows) {
    std::printf("%-28s %12.4f %12.4f %8.3f %8zu\n", row.name.c_str(), row.module_ms, row.hand_ms, row.ratio,
                row.pairs);
    if (row.name == "update/closed/100000") small = &row;
    if (row.name == "update/closed/1000000") large = &row;
  }
  if (!small || !large) return 0;
  // The checks of the Google Benchmark program (bench_main.cpp) for the closed panel.
  const double module_growth = large->module_ms / small->module_ms;
  const double hand_growth = large->hand_ms / small->hand_ms;
  const bool within = large->ratio <= 1.15;
  const bool linear = module_growth <= hand_growth * 1.15;
  std::printf("\n%-52s %s  (ratio %.3f)\n", "update, panel closed, 10^6 nodes: within 15 % of the hand walk",
              within ? "yes" : "NO", large->ratio);
  std::printf("%-52s %s  (10^5 to 10^6 nodes: module x%.2f, hand walk x%.2f)\n",
              "update, panel closed: grows as the hand walk", linear ? "yes" : "NO", module_growth, hand_growth);
  return within && linear ? 0 : 1;
}
