// The four measurements over a large host: 1,000,000 tree nodes, 100,000 images, some
// 3-D data, with the host's call record off. The module is driven the way a host drives
// it, through Update_A with the memory bit while the panel is closed and the budget far
// above the total, so that only the measurements run. Beside each run, a hand-written
// walk makes the same host calls in the same order; the counter "ratio" is the module's
// time over the hand walk's, "allocations" the heap allocations per module run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "allocation_counter.h"
#include "host/host_services.h"
#include "hostsim/db2d.h"
#include "hostsim/db3d.h"
#include "hostsim/events.h"
#include "hostsim/machine.h"
#include "hostsim/module.h"
#include "hostsim/reset.h"
#include "hostsim/undo.h"

namespace {

constexpr int BRANCHES = 999;          // the root's children
constexpr int LEAVES = 1000;           // each branch's children: 1 + 999 + 999,000 nodes
constexpr uint32_t IMAGES = 100000;
constexpr uint32_t IMAGES_PER_FILE = 100;
constexpr uint64_t MEMORY_UPDATE = 0x40000000;

hostsim::Module& loaded_module() {
  static hostsim::Module module;
  if (module.loaded()) return module;
  hostsim::reset();
  for (int b = 0; b < BRANCHES; ++b) {
    const std::string branch = "/b" + std::to_string(b);
    hostsim::add_node(branch, 4096);
    for (int l = 0; l < LEAVES; ++l) hostsim::add_node(branch + "/" + std::to_string(l), 512);
  }
  for (uint32_t i = 0; i < IMAGES; ++i)
    hostsim::add_image(i / IMAGES_PER_FILE, 64, 64, 1 + i % 3, 1, 16, 1);
  for (int i = 0; i < 100; ++i) {
    hostsim::add_file3d({1000, std::nullopt, 2000});
    hostsim::add_tag3d({3000, 4000});
    hostsim::add_object3d("object" + std::to_string(i), 10000, 5000);
  }
  hostsim::set_undo_bytes(1 << 20);
  hostsim::set_machine(uint64_t{1} << 40, uint64_t{1} << 40);  // no purge can start
  std::string error;
  if (!module.load(KESTRUM_MODULE_PATH, error)) {
    std::fprintf(stderr, "cannot load the module: %s\n", error.c_str());
    std::exit(2);
  }
  module.Init();
  hostsim::set_recording(false);
  return module;
}

// ---- The hand-written walk: the same host calls, in the same order ------------------

template <typename T>
T* variable(const char* name) {
  return static_cast<T*>(Fct_Variable_Get(name, nullptr, nullptr, nullptr, 0));
}

struct Host_Tables {
  uint32_t* file_nb = variable<uint32_t>("$DB_2D_FILE_NB");
  Orvan_2D_File*** file_pt = variable<Orvan_2D_File**>("$DB_2D_FILE_PT");
  Orvan_2D** root_pt = variable<Orvan_2D*>("$DB_2D_ROOT_PT");
  uint32_t* file3d_nb = variable<uint32_t>("$DB_3D_FILE_NB");
  Orvan_3D_File*** file3d_pt = variable<Orvan_3D_File**>("$DB_3D_FILE_PT");
  uint32_t* tag_nb = variable<uint32_t>("$DB_3D_TAG_NB");
  Orvan_3D_File*** tag_pt = variable<Orvan_3D_File**>("$DB_3D_TAG_PT");
};

uint64_t hand_tree(Orvan_2D* node) {
  node->Mutex_Open("Memory_Compute_DB");
  uint64_t total = node->User_Memory();
  for (int i = 0; i < node->Child_Get_Nb(); ++i) total += hand_tree(node->Child_Get_Pt(i));
  node->Mutex_Close("Memory_Compute_DB");
  return total;
}

uint64_t hand_movies(uint32_t count, Orvan_3D_File** records) {
  uint64_t total = 0;
  for (uint32_t r = 0; r < count; ++r)
    for (int32_t m = 0; m < records[r]->Movie_Nb; ++m)
      if (records[r]->Movie_Tab[m]) total += Movie_Memory(records[r]->Movie_Tab[m]);
  return total;
}

uint64_t hand_walk(const Host_Tables& t) {
  uint64_t total = 102400;
  Orvan_2D_File** files = *t.file_pt;
  for (uint32_t f = 0; f < *t.file_nb; ++f) {
    for (int32_t i = 0; i < files[f]->Image_Nb; ++i) {
      const Orvan_Image& image = *files[f]->Image_Tab[i];
      const uint32_t element = image.Sample_Bits / 8u * image.Sample_Number + 1u;
      const uint32_t product = element * image.Size_X * image.Size_Y * image.Size_Z * image.Size_T;
      total += static_cast<uint64_t>(int64_t{static_cast<int32_t>(product)}) + 2080;
    }
  }
  total += hand_tree(*t.root_pt);
  total += static_cast<uint64_t>(int64_t{Undo_Memory()});
  total += hand_movies(*t.file3d_nb, *t.file3d_pt);
  total += hand_movies(*t.tag_nb, *t.tag_pt);
  const unsigned short id = Iterator_Init("Kestrum: Memory_Compute_Geom", nullptr);
  while (Orvan_3D* object = Iterator_Class_3D(id, 0x3FFF, nullptr, 0))
    total += object->User_Memory() + Arts_3D_Size(object);
  Iterator_End(id);
  return total;
}

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The module's measurement, timed alone; the hand walk is timed beside it in each
// iteration so that the ratio compares runs made under the same conditions.
void BM_Measurement_Via_Update(benchmark::State& state) {
  hostsim::Module& module = loaded_module();
  const Host_Tables tables;
  double module_time = 0;
  double hand_time = 0;
  uint64_t allocations = 0;
  for (auto _ : state) {
    auto begin = std::chrono::steady_clock::now();
    bench::start_counting_allocations();
    module.Update_A(MEMORY_UPDATE);
    allocations += bench::stop_counting_allocations();
    const double module_run = seconds(std::chrono::steady_clock::now() - begin);
    state.SetIterationTime(module_run);
    module_time += module_run;

    begin = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(hand_walk(tables));
    hand_time += seconds(std::chrono::steady_clock::now() - begin);
  }
  state.counters["ratio"] = module_time / hand_time;
  state.counters["allocations"] =
      benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
  state.counters["nodes"] = 1 + BRANCHES + BRANCHES * LEAVES;
  state.counters["images"] = IMAGES;
}
BENCHMARK(BM_Measurement_Via_Update)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Hand_Walk(benchmark::State& state) {
  loaded_module();
  const Host_Tables tables;
  for (auto _ : state) benchmark::DoNotOptimize(hand_walk(tables));
}
BENCHMARK(BM_Hand_Walk)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
