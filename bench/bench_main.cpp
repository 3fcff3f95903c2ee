// The one main of the bench executable: Google Benchmark's usual report, then a short
// table of the module against the hand-written code and the three checks the module's
// update cycle must pass: within 15 % of the hand-written walk at 10^6 nodes, growing
// linearly from 10^5 to 10^6 nodes (as the hand-written walk grows), and allocating
// nothing of its own; then the tree-shape rows, a chain beside a flat tree, and the
// console's timeline checks.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

struct Row {
  std::string name;
  double module_ms, hand_ms, ratio, allocations, bytes_per_action;
};

// A tree-shape row (bench_depth.cpp): its median time and time per node.
struct Tree_Row {
  std::string name;
  double ms, ns_per_node;
};

class Summary_Reporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      // The name as registered, without the run settings the library appends.
      std::string name = run.benchmark_name();
      for (const char* setting : {"/min_time", "/iterations", "/manual_time"})
        name = name.substr(0, name.find(setting));
      if (run.error_occurred) failures_.push_back(name + ": " + run.error_message);
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      const auto counter = [&](const char* key) {
        const auto found = run.counters.find(key);
        return found == run.counters.end() ? 0.0 : found->second.value;
      };
      if (run.counters.count("ns_per_node"))
        tree_rows_.push_back({name, counter("tree_ms"), counter("ns_per_node")});
      else
        rows_.push_back({name, counter("module_ms"), counter("hand_ms"), counter("ratio"), counter("allocations"),
                        counter("bytes_per_action")});
    }
  }

  // The table and the checks; false when a check fails.
  bool print_summary() const {
    std::printf("\n%-24s %12s %12s %8s %12s\n", "benchmark", "module ms", "hand ms", "ratio", "allocations");
    std::map<std::string, const Row*> by_name;
    bool allocation_free = true;
    for (const Row& row : rows_) {
      if (row.hand_ms == 0)  // a measurement of the console's, without a hand-written twin
        std::printf("%-24s %12.4f %12s %8s %12.1f\n", row.name.c_str(), row.module_ms, "-", "-", row.allocations);
      else
        std::printf("%-24s %12.4f %12.4f %8.3f %12.1f\n", row.name.c_str(), row.module_ms, row.hand_ms, row.ratio,
                    row.allocations);
      by_name[row.name] = &row;
      allocation_free = allocation_free && row.allocations == 0;
    }
    bool passed = true;
    const auto check = [&](const char* what, bool ok, const std::string& detail) {
      std::printf("%-52s %s  (%s)\n", what, ok ? "yes" : "NO", detail.c_str());
      passed = passed && ok;
    };
    std::printf("\n");
    for (const char* panel : {"closed", "open"}) {
      const auto small = by_name.find(std::string("update/") + panel + "/100000");
      const auto large = by_name.find(std::string("update/") + panel + "/1000000");
      if (small == by_name.end() || large == by_name.end()) continue;
      char detail[160];
      std::snprintf(detail, sizeof detail, "ratio %.3f", large->second->ratio);
      check((std::string("update, panel ") + panel + ", 10^6 nodes: within 15 % of the hand walk").c_str(),
            large->second->ratio <= 1.15, detail);
      const double module_growth = large->second->module_ms / small->second->module_ms;
      const double hand_growth = large->second->hand_ms / small->second->hand_ms;
      std::snprintf(detail, sizeof detail, "10^5 to 10^6 nodes: module x%.2f, hand walk x%.2f", module_growth,
                    hand_growth);
      check((std::string("update, panel ") + panel + ": grows as the hand walk").c_str(),
            module_growth <= hand_growth * 1.15, detail);
    }
    check("no heap allocation of the module's own", allocation_free, "every benchmark above");
    for (const std::string& failure : failures_) check("a benchmark could not run", false, failure);
    // The console's timeline: a long session's picture in under a second, and a record
    // that keeps the same few bytes per action however long the session.
    const auto small = by_name.find("timeline/draw/1000");
    const auto large = by_name.find("timeline/draw/100000");
    if (small != by_name.end() && large != by_name.end()) {
      char detail[160];
      std::snprintf(detail, sizeof detail, "%.1f ms", large->second->module_ms);
      check("timeline of 100,000 actions drawn in under a second", large->second->module_ms < 1000, detail);
      std::snprintf(detail, sizeof detail, "%.0f bytes per action at 10^3, %.0f at 10^5",
                    small->second->bytes_per_action, large->second->bytes_per_action);
      check("timeline record: at most 128 bytes per action", large->second->bytes_per_action <= 128 &&
                                                                 small->second->bytes_per_action <= 128, detail);
    }
    return print_tree_rows(check) && passed;
  }

 private:
  // The tree-shape rows, and for each walk a check that a chain costs per node about what
  // a flat tree of as many nodes costs. A chain is walked by a string of dependent loads
  // (a node's child is known only once the node is read), which wait on memory where a
  // flat tree's loads overlap, and its walk's stack outgrows the caches: within a factor
  // of 10, where a cost growing with depth would be thousands of times at 10^5 levels.
  template <typename Check>
  bool print_tree_rows(Check check) const {
    if (tree_rows_.empty()) return true;
    std::printf("\n%-24s %12s %12s\n", "benchmark", "ms", "ns per node");
    std::map<std::string, const Tree_Row*> by_name;
    for (const Tree_Row& row : tree_rows_) {
      std::printf("%-24s %12.3f %12.1f\n", row.name.c_str(), row.ms, row.ns_per_node);
      by_name[row.name] = &row;
    }
    std::printf("\n");
    bool passed = true;
    for (const char* walk : {"build", "measure", "clean"}) {
      for (const char* nodes : {"10000", "100000"}) {
        const auto chain = by_name.find(std::string("tree/") + walk + "/chain/" + nodes);
        const auto flat = by_name.find(std::string("tree/") + walk + "/flat/" + nodes);
        if (chain == by_name.end() || flat == by_name.end()) continue;
        char detail[120];
        std::snprintf(detail, sizeof detail, "chain %.1f ns, flat %.1f ns a node", chain->second->ns_per_node,
                      flat->second->ns_per_node);
        const bool ok = chain->second->ns_per_node <= 10 * flat->second->ns_per_node;
        check((std::string("tree ") + walk + ", " + nodes + " nodes: chain within 10x of flat").c_str(), ok,
              detail);
        passed = passed && ok;
      }
    }
    return passed;
  }

  std::vector<Row> rows_;
  std::vector<Tree_Row> tree_rows_;
  std::vector<std::string> failures_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Summary_Reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const bool passed = reporter.print_summary();
  benchmark::Shutdown();
  return passed ? 0 : 1;
}
