// The console's timeline: drawing the picture of a long session, and what the record
// keeps per action.
//   timeline/draw/N  draws the picture of a session of N actions, recorded once: a host
//                    whose images grow by 1 MiB an action and are purged back every 397
//                    actions, with an undo history that comes and goes
// "module ms" is the drawing's time; "bytes/action" what the record holds per action.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "apps/kestrum-host/timeline.h"
#include "apps/kestrum-host/timeline_picture.h"
#include "bench_host.h"
#include "hostsim/db2d.h"
#include "hostsim/events.h"
#include "hostsim/reset.h"
#include "hostsim/undo.h"

namespace {

constexpr uint64_t MIB = uint64_t{1} << 20;
constexpr uint64_t PURGE_EVERY = 397;

console::Timeline session_of(int64_t actions) {
  hostsim::reset();
  console::Timeline timeline;
  timeline.expect(static_cast<size_t>(actions));
  for (int64_t a = 0; a < actions; ++a) {
    const uint64_t step = static_cast<uint64_t>(a) % PURGE_EVERY;
    const bool purged = step == PURGE_EVERY - 1;
    hostsim::add_node("/", purged ? 96 * MIB : (100 + step) * MIB);
    hostsim::set_undo_bytes(static_cast<int32_t>((static_cast<uint64_t>(a) % 1000) * 65536));
    if (purged)
      hostsim::record_message(4, "The memory manager has cleared \x01" "300 MiB\x02 of memory", int64_t{300} << 20);
    timeline.record(static_cast<uint32_t>(a + 1), purged ? "update" : "node", hostsim::events(), nullptr);
    hostsim::clear_events();
  }
  return timeline;
}

void timeline_draw(benchmark::State& state, int64_t actions) {
  const console::Timeline timeline = session_of(actions);
  const std::string path = "/tmp/kestrum-bench-timeline-" + std::to_string(actions) + ".png";
  std::vector<double> times;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    if (!console::draw_timeline_png(timeline, "bench", path, error)) {
      state.SkipWithError(error.c_str());
      break;
    }
    const double seconds = bench::seconds_since(start);
    state.SetIterationTime(seconds);
    times.push_back(seconds);
  }
  std::remove(path.c_str());
  if (times.empty()) return;
  state.counters["module_ms"] = bench::median(times) * 1e3;
  const double kept = static_cast<double>(timeline.rows().capacity() * sizeof(console::Timeline_Row) +
                                          timeline.events().capacity() * sizeof(console::Timeline_Event));
  state.counters["bytes_per_action"] = kept / static_cast<double>(actions);
}

const bool g_registered = [] {
  for (const int64_t actions : {int64_t{1000}, int64_t{100000}}) {
    benchmark::RegisterBenchmark(("timeline/draw/" + std::to_string(actions)).c_str(), timeline_draw, actions)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->MinTime(1.0);
  }
  return true;
}();

}  // namespace
