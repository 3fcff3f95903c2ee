// What a tree's shape costs per node: a chain (each node the child of the last) beside a
// flat tree (every node a child of the root) of the same number of nodes.
//   tree/build/SHAPE/N    the host builds the tree from paths, as the console does
//   tree/measure/SHAPE/N  Update_A with the memory bit, panel closed
//   tree/clean/SHAPE/N    "Memory: clear images": eleven cleanup walks
// The host records messages but not host calls, as the console does without "log calls".
// The module's walks recurse once a level: a chain of 10^5 levels takes about 5 MiB of
// this process's 8 MiB main-thread stack.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "apps/kestrum-host/tree_paths.h"
#include "bench_host.h"
#include "hostsim/db2d.h"
#include "hostsim/events.h"
#include "hostsim/reset.h"
#include "hostsim/updates.h"

namespace {

enum class Shape { FLAT, CHAIN };

// Builds the tree from an empty host; each node holds 3 bytes, of which a cleanup at
// level 15 releases one and at level 5 another. Returns the seconds the building took.
double build(Shape shape, int64_t nodes) {
  bench::host_replaced();
  hostsim::reset();
  hostsim::set_call_recording(false);
  const auto start = std::chrono::steady_clock::now();
  console::Tree_Paths paths;  // as the console's node action finds a node's parent
  std::string path;
  for (int64_t i = 0; i < nodes; ++i) {
    const size_t parent_end = shape == Shape::CHAIN ? path.size() : 0;
    if (shape == Shape::CHAIN)
      path += "/n";
    else
      path = "/n" + std::to_string(i);
    Orvan_2D* parent = paths.find(std::string_view(path).substr(0, parent_end ? parent_end : 1));
    hostsim::add_child(parent, std::string_view(path).substr(parent_end + 1), 3, {{15, 1}, {5, 1}});
  }
  return bench::seconds_since(start);
}

// The counters the summary shows: the median time and the median time per node.
void report_per_node(benchmark::State& state, int64_t nodes, const std::vector<double>& seconds) {
  const double median = bench::median(seconds);
  state.counters["nodes"] = static_cast<double>(nodes);
  state.counters["tree_ms"] = median * 1e3;
  state.counters["ns_per_node"] = median * 1e9 / static_cast<double>(nodes);
}

void tree_build(benchmark::State& state, Shape shape, int64_t nodes) {
  bench::module();
  std::vector<double> seconds;
  for (auto _ : state) {
    seconds.push_back(build(shape, nodes));
    state.SetIterationTime(seconds.back());
  }
  report_per_node(state, nodes, seconds);
}

// Times `walk` over a tree built once for all iterations.
template <typename Walk>
void tree_walk(benchmark::State& state, Shape shape, int64_t nodes, Walk walk) {
  bench::module();
  build(shape, nodes);
  std::vector<double> seconds;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    walk();
    seconds.push_back(bench::seconds_since(start));
    state.SetIterationTime(seconds.back());
    hostsim::deliver_deferred();  // the words the module sent, to no tool
    hostsim::clear_events();
  }
  report_per_node(state, nodes, seconds);
}

void measure() { bench::module().Update_A(bench::MEMORY_UPDATE); }

void clean() {
  char sub_command[] = "clear";
  char object[] = "images";
  char* words[] = {sub_command, object};
  bench::module().Script_Parse(2, words);
}

const bool g_registered = [] {
  for (const int64_t nodes : {int64_t{10000}, int64_t{100000}}) {
    for (const Shape shape : {Shape::FLAT, Shape::CHAIN}) {
      const std::string name = std::string(shape == Shape::CHAIN ? "chain/" : "flat/") + std::to_string(nodes);
      const int builds = nodes > 10000 ? 3 : 10;
      benchmark::RegisterBenchmark(("tree/build/" + name).c_str(), tree_build, shape, nodes)
          ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(builds);
      benchmark::RegisterBenchmark(("tree/measure/" + name).c_str(), tree_walk<void (*)()>, shape, nodes, measure)
          ->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(0.3);
      benchmark::RegisterBenchmark(("tree/clean/" + name).c_str(), tree_walk<void (*)()>, shape, nodes, clean)
          ->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(0.3);
    }
  }
  return true;
}();

}  // namespace
