// The module under a host that does what a host may do but rarely does: load and unload
// it a thousand times, call its entry points in any order, hand it an overlong byte-count
// text, deliver updates at once so that the cycle re-enters itself, give it a budget
// under 1 MiB, a panel window of width 0 and an image tree 10,000 levels deep (8,000 on
// a thread of a 1 MiB stack). Besides the results checked here, the module must leave
// the host as it found it: every node unlocked, every iterator ended, every device
// context released, every pen deleted and the drawing lock free. Run under the
// sanitizers, these tests also show that it writes nothing outside its buffers and leaks
// nothing.
#ifdef _WIN32
#include <windows.h>
#include <tlhelp32.h>
#else
#include <dirent.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/resource.h>
#endif

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "hostsim/byte_text.h"
#include "module_fixture.h"

namespace {

// How many of the process's mappings are of files (libraries among them; anonymous ones
// are left out: an allocator, a sanitizer's above all, adds them as it likes), and how
// many files it has open.
std::pair<int, int> files_mapped_and_open() {
  std::pair<int, int> count{0, 0};
#ifdef _WIN32  // the process's modules and its open handles
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
  if (snapshot != INVALID_HANDLE_VALUE) {
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry)) ++count.first;
    CloseHandle(snapshot);
  }
  DWORD handles = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &handles)) count.second = static_cast<int>(handles);
#else
  if (std::FILE* maps = std::fopen("/proc/self/maps", "r")) {
    char line[4096];
    while (std::fgets(line, sizeof line, maps)) count.first += std::strchr(line, '/') != nullptr;
    std::fclose(maps);
  }
  if (DIR* folder = opendir("/proc/self/fd")) {
    while (readdir(folder)) ++count.second;
    closedir(folder);
  }
#endif
  return count;
}

class Misbehaviour_Test : public Module_Test {
 protected:
  // What the module must leave behind after every entry point.
  static void expect_host_intact() {
    EXPECT_EQ(hostsim::locks_held(), 0);
    EXPECT_EQ(hostsim::node_faults(), Strings{});
    EXPECT_EQ(hostsim::iterators_open(), 0);
    EXPECT_EQ(hostsim::iterator_faults(), Strings{});
    EXPECT_EQ(hostsim::live_dcs(), 0);
    EXPECT_EQ(hostsim::live_pens(), 0);
    EXPECT_EQ(hostsim::lock_depth(&Critical), 0);
    EXPECT_EQ(hostsim::lock_misuses(), 0u);
  }
};

TEST_F(Misbehaviour_Test, LoadedInitialisedAndUnloadedAThousandTimes) {
  hostsim::gpu_present(8 * MIB, MIB);
  std::string error;
  std::pair<int, int> after_warm_up;
  for (int round = 1; round <= 1000; ++round) {
    if (round > 1) { ASSERT_TRUE(module.load(KESTRUM_MODULE_PATH, error)) << error; }
    ASSERT_EQ(hostsim::widgets().size(), 12u) << "round " << round;
    ASSERT_EQ(module.Init(), 1);
    if (round % 100 == 1) {  // now and then with its panel at work
      start();
      open_and_show();
      ASSERT_EQ(module.Ctrl_Draw(), 1);
      hostsim::destroy_window(window);
    }
    ASSERT_EQ(module.Exit(), 1);
    hostsim::unregister_tools();
    module.unload();
    // Unloading really unloads: the widgets are gone with the library.
    ASSERT_EQ(hostsim::widgets().size(), 0u) << "round " << round;
    if (round == 10) after_warm_up = files_mapped_and_open();
  }
  // Nothing accumulates from one load to the next: no mapping, no open file.
  EXPECT_EQ(files_mapped_and_open(), after_warm_up);
  ASSERT_TRUE(module.load(KESTRUM_MODULE_PATH, error)) << error;
  expect_host_intact();
}

// Every entry point before Init, before the panel has a window, after Exit and again
// after a second Init; then two thousand calls in an order drawn at random, the host
// changing its mind about windows, delivery, trace level, GPU and device contexts.
TEST_F(Misbehaviour_Test, EntryPointsInAnyOrder) {
  // Some of every kind of host data, with something to release at every level.
  hostsim::add_node("/", 4096, {{15, 1024}, {5, 1024}});
  hostsim::add_node("/a", 2 * MIB, {{12, MIB}});
  hostsim::add_node("/a/b", 3 * MIB, {{7, 2 * MIB}});
  hostsim::add_node("/c", 5 * MIB);
  hostsim::drop_on_cleanup("/a", 12, "/c");
  hostsim::add_image(0, 512, 512, 1, 1, 16, 1);
  hostsim::add_image(1, 0, 7, 7, 7, 3, 0);
  hostsim::add_file3d({1000, std::nullopt, 2000});
  hostsim::add_tag3d({3000});
  hostsim::add_tag3d_without_table(5);
  hostsim::add_object3d("cube", 10000, 5000);
  hostsim::set_undo_bytes(MIB);
  hostsim::register_tool(module.Update_Register(), module.Update_A);
  char usage[] = "$MEMORY_CUDA_USAGE";
  const auto every_entry_point = [&] {
    EXPECT_EQ(module.Ctrl_Resize(nullptr, 432, 94), 1);
    EXPECT_EQ(module.Ctrl_Open(), 1);
    EXPECT_EQ(module.Ctrl_Show(), 1);
    EXPECT_EQ(module.Ctrl_Draw(), 1);
    EXPECT_EQ(module.Ctrl_Click(nullptr, 1, 20, 35), 1);
    EXPECT_EQ(module.Ctrl_Motion(nullptr, 1, 20, 35), 1);
    EXPECT_EQ(module.Ctrl_Leave(), 1);
    EXPECT_EQ(module.Ctrl_Help(nullptr, 0, 20, 35), 1);
    EXPECT_EQ(module.Ctrl_Scroll(nullptr, -1), 1);
    EXPECT_EQ(module.Update_A(~uint64_t{0}), 1);
    EXPECT_EQ(script({"clear", "*"}), 1);
    EXPECT_NE(module.Variable_Get(usage, nullptr, nullptr), nullptr);
    EXPECT_EQ(module.Ctrl_Hide(), 1);
    EXPECT_EQ(module.Ctrl_Close(), 1);
    EXPECT_EQ(module.Ctrl_Query(), 0);
    hostsim::deliver_deferred();
    expect_host_intact();
  };
  Flag_Trace = 8;
  every_entry_point();  // before Init, no window
  ASSERT_EQ(module.Init(), 1);
  every_entry_point();  // no window yet
  start();
  every_entry_point();
  ASSERT_EQ(module.Exit(), 1);
  every_entry_point();  // after Exit
  ASSERT_EQ(module.Init(), 1);
  every_entry_point();

  std::mt19937 random(20200819);
  const auto pick = [&](int from, int to) { return std::uniform_int_distribution<int>(from, to)(random); };
  const auto x = [&] { return static_cast<short>(pick(-5, 440)); };
  const auto y = [&] { return static_cast<short>(pick(-5, 120)); };
  const uint64_t words[] = {MEMORY, PANEL_DRAW, MEMORY | PANEL_DRAW, 0x80, uint64_t{1} << 61, 0};
  std::vector<HWND> windows = {window, nullptr};
  int width = -1;
  const char* const objects[] = {"images", "undo", "geom", "*", "x", ""};
  for (int call = 0; call < 2000; ++call) {
    SCOPED_TRACE("call " + std::to_string(call));
    HWND some_window = windows[static_cast<size_t>(pick(0, static_cast<int>(windows.size()) - 1))];
    switch (pick(0, 25)) {
      case 0: module.Init(); break;
      case 1: module.Exit(); break;
      case 2: module.Ctrl_Register(pick(0, 1) ? &width : nullptr); break;
      case 3: module.Ctrl_Create(some_window, pick(-50, 1000), pick(-50, 400)); break;
      case 4: module.Ctrl_Resize(some_window, pick(-50, 1000), pick(-50, 400)); break;
      case 5: module.Ctrl_Open(); break;
      case 6: module.Ctrl_Close(); break;
      case 7: module.Ctrl_Show(); break;
      case 8: module.Ctrl_Hide(); break;
      case 9: module.Ctrl_Draw(); break;
      case 10: module.Ctrl_Query(); break;
      case 11: module.Ctrl_Click(nullptr, pick(-1, 3), x(), y()); break;
      case 12: module.Ctrl_Motion(nullptr, pick(0, 3), x(), y()); break;
      case 13: module.Ctrl_Leave(); break;
      case 14: module.Ctrl_Help(nullptr, pick(0, 0xFFFF), x(), y()); break;
      case 15: module.Ctrl_Scroll(nullptr, pick(-3, 3)); break;
      case 16: module.Update_A(words[pick(0, 5)]); break;
      case 17: script({"clear", objects[pick(0, 5)]}); break;
      case 18: module.Variable_Get(usage, nullptr, nullptr); break;
      case 19: hostsim::deliver_deferred(); break;
      case 20: hostsim::set_pointer(some_window, x(), y()); break;
      case 21: hostsim::set_delivery(pick(0, 1) ? hostsim::Delivery::SYNC : hostsim::Delivery::DEFERRED); break;
      case 22: Flag_Trace = static_cast<signed char>(pick(-1, 9)); break;
      case 23:
        pick(0, 1) ? hostsim::gpu_present(static_cast<uint64_t>(pick(0, 64)) * MIB, MIB) : hostsim::gpu_none();
        break;
      case 24: pick(0, 1) ? hostsim::fail_next_get_dc() : hostsim::fail_next_release_dc(); break;
      case 25:  // the host replaces the panel's window, or destroys it under the module
        if (pick(0, 1)) windows.push_back(hostsim::create_window(pick(0, 500), pick(0, 150)));
        else hostsim::destroy_window(some_window);
        break;
    }
    hostsim::set_delivery(hostsim::Delivery::DEFERRED);
    hostsim::deliver_deferred();
    expect_host_intact();
    if (HasFailure()) return;
  }
}

// An Int_2_Byte that answers 100 characters (and then 1,000): the value labels keep what
// fits in their 40-byte texts, the messages show the whole text.
TEST_F(Misbehaviour_Test, OverlongByteTextsStayInsideTheModulesBuffers) {
  for (const size_t length : {size_t{100}, size_t{1000}}) {
    SCOPED_TRACE("length " + std::to_string(length));
    hostsim::reset();
    hostsim::set_machine(RAM, RAM);
    hostsim::set_exact_bytes(true);
    hostsim::gpu_present(64 * MIB, 0);
    hostsim::set_byte_text_length(length);
    hostsim::add_node("/", MIB);
    hostsim::set_undo_bytes(12345);
    start();
    open_and_show();
    const std::string image(Int_2_Byte(static_cast<int64_t>(MIB), nullptr));
    ASSERT_EQ(image.size(), length);
    for (const Index column : {IMAGE_LABEL, UNDO_LABEL, GEOM_LABEL}) EXPECT_EQ(label(column).size(), 39u);
    EXPECT_EQ(label(IMAGE_LABEL), image.substr(0, 39));
    EXPECT_EQ(label(UNDO_LABEL), std::string("12345").append(34, '.'));
    EXPECT_EQ(module.Ctrl_Draw(), 1);

    hostsim::add_node("/", MEMORY_MAX, {{15, 4 * MIB}});  // over the budget: a purge
    hostsim::clear_events();
    update();
    const std::string freed(Int_2_Byte(static_cast<int64_t>(4 * MIB), nullptr));
    EXPECT_EQ(texts(4), Strings{"The memory manager has cleared \x01" + freed + "\x02 of memory"});
    EXPECT_EQ(label(IMAGE_LABEL), std::to_string(MEMORY_MAX - 4 * MIB).append(31, '.'));
    expect_host_intact();
  }
}

// A host with no text to give for a byte count: every %s that would show one shows an
// empty text instead, and nothing is read through the null.
TEST_F(Misbehaviour_Test, HostWithoutByteTexts) {
  hostsim::set_no_byte_text(true);
  hostsim::gpu_present(64 * MIB, 0);
  hostsim::add_node("/", MEMORY_MAX);  // at the budget: a purge that frees nothing
  start();
  open_and_show();
  hostsim::clear_events();
  ASSERT_EQ(module.Init(), 1);
  EXPECT_EQ(texts(11), (Strings{"Kestrum: Init", "Memory Manager (32 bit) ->  Tot Available",
                                "Memory Manager (32 bit) ->  Tot RAM"}));
  hostsim::clear_events();
  EXPECT_EQ(module.Ctrl_Create(window, 432, 114), 1);
  EXPECT_EQ(module.Ctrl_Resize(window, 432, 114), 1);
  EXPECT_EQ(module.Ctrl_Open(), 1);
  EXPECT_EQ(texts(4), (Strings{"We can access \x01\x02 of RAM memory", "Orvan-5 can access \x01\x02 of RAM memory",
                               "Orvan-5 can access \x01\x02 of GPU memory", "The memory manager has cleared \x01\x02 of memory"}));
  EXPECT_STREQ(hostsim::widgets().at(1).object->Text, "GPU   ()");
  for (const Index column : {IMAGE_LABEL, UNDO_LABEL, GEOM_LABEL}) EXPECT_EQ(label(column), "");
  expect_host_intact();
}

// Every cached host address, both ways: a variable missing at its operation's first use
// is asked for again at the next and counts from the use that finds it; once found it is
// never asked for again, and still counts when the host hides it (its storage stays). A
// table counts nothing, and the tags are left alone, until both its variables are there.
// The image walks are uses too, one at each node they visit: over a root with one child,
// a missing variable of theirs is asked for twice a walk (while the root is there to walk).
// The module is loaded afresh for each variable. (That the cleanup's cache of the root is
// its own: test_cleanup.)
TEST_F(Misbehaviour_Test, DataVariablesAreAskedForUntilFoundThenKept) {
  enum Use { MEASURE_IMAGES, MEASURE_GEOMETRY, CLEAN_IMAGES, CLEAN_GEOMETRY };
  const struct {
    const char* name;
    Use use;
    const char *missing, *found;  // what the use shows without the variable, and with it
    int asked;                    // lookups of the variable in a use while it is missing
  } cases[] = {
      {"$DB_2D_FILE_NB", MEASURE_IMAGES, "1000", "3100", 2},  // the root's 1,000 and an image's 2,100
      {"$DB_2D_FILE_PT", MEASURE_IMAGES, "1000", "3100", 2},
      {"$DB_2D_ROOT_PT", MEASURE_IMAGES, "2100", "3100", 1},
      {"$DB_3D_FILE_NB", MEASURE_GEOMETRY, "27", "127", 1},  // a file's movie, a tag's and an object's 7
      {"$DB_3D_FILE_PT", MEASURE_GEOMETRY, "27", "127", 1},
      {"$DB_3D_TAG_NB", MEASURE_GEOMETRY, "107", "127", 1},
      {"$DB_3D_TAG_PT", MEASURE_GEOMETRY, "107", "127", 1},
      {"$DB_2D_ROOT_PT", CLEAN_IMAGES, "0 asked", "22 asked", 11},  // both nodes at each level
      {"$DB_3D_TAG_NB", CLEAN_GEOMETRY, "0 destroyed, rebuilt", "1 destroyed, rebuilt", 1},
      {"$DB_3D_TAG_PT", CLEAN_GEOMETRY, "0 destroyed, rebuilt", "1 destroyed, rebuilt", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " use " + std::to_string(c.use));
    module.unload();
    hostsim::reset();
    hostsim::set_machine(RAM, RAM);
    hostsim::set_exact_bytes(true);
    hostsim::gpu_none();
    std::string error;
    ASSERT_TRUE(module.load(KESTRUM_MODULE_PATH, error)) << error;
    hostsim::add_node("/", 1000);
    hostsim::add_node("/a", 0);
    hostsim::add_image(0, 10, 1, 1, 1, 8, 1);
    hostsim::add_file3d({100});
    hostsim::add_object3d("cube", 3, 4);
    start();
    // One use of the operation that keeps the address; what it shows.
    const auto use = [&](bool first) -> std::string {
      hostsim::clear_events();
      if (hostsim::tags_alive() == 0) hostsim::add_tag3d({20});
      switch (c.use) {
        case MEASURE_IMAGES:
        case MEASURE_GEOMETRY:
          if (first) open_and_show(); else update();
          return label(c.use == MEASURE_IMAGES ? IMAGE_LABEL : GEOM_LABEL);
        case CLEAN_IMAGES:
          script({"clear", "images"});
          return std::to_string(calls_among({"User_Cleanup "}).size()) + " asked";
        case CLEAN_GEOMETRY:
          script({"clear", "geom"});
          return std::to_string(calls_among({"Tag_Destroy "}).size()) + " destroyed" +
                 (calls_among({"Database_3D_Tree_Generate"}).size() == 1 ? ", rebuilt" : "");
      }
      return "";
    };
    ASSERT_TRUE(hostsim::unset_variable(c.name));
    EXPECT_EQ(use(true), c.missing);
    EXPECT_EQ(hostsim::lookups(c.name), c.asked);
    ASSERT_TRUE(hostsim::show_variable(c.name));
    EXPECT_EQ(use(false), c.found);
    EXPECT_EQ(hostsim::lookups(c.name), c.asked + 1);
    ASSERT_TRUE(hostsim::unset_variable(c.name));
    EXPECT_EQ(use(false), c.found);
    EXPECT_EQ(hostsim::lookups(c.name), c.asked + 1);
    expect_host_intact();
  }
}

// A GPU whose runtime stops answering after Init: the GPU bar keeps the usage it last had.
TEST_F(Misbehaviour_Test, GpuThatStopsAnswering) {
  hostsim::gpu_present(64 * MIB, 16 * MIB);
  start();
  open_and_show();
  char usage[] = "$MEMORY_CUDA_USAGE";
  const auto* used = static_cast<const uint64_t*>(module.Variable_Get(usage, nullptr, nullptr));
  EXPECT_EQ(*used, 16 * MIB);
  const std::pair<void (*)(), uint64_t> runtimes[] = {
      {hostsim::gpu_noinfo, 16 * MIB},
      {hostsim::gpu_none, 16 * MIB},
      {[] { hostsim::gpu_present(64 * MIB, 32 * MIB); }, 32 * MIB}};
  for (const auto& runtime : runtimes) {
    runtime.first();
    update();
    EXPECT_EQ(*used, runtime.second);
  }
  expect_host_intact();
}

// Images of 1,190,107,933 MiB against a budget of 1 MiB: the track length (406) times the
// figure wraps to 2^31 - 2 in 32 bits, which in single precision is 2^31, beyond the int
// range, so every segment ends at INT32_MIN as the x86 conversion gives it. The blue body
// then runs from the track's start leftward, out of the box to the window's edge.
TEST_F(Misbehaviour_Test, FigureFarBeyondTheScale) {
  constexpr uint64_t FIGURE = 1190107933;
  hostsim::set_machine(MIB, MIB);
  hostsim::add_node("/", (FIGURE << 20) - DEFAULT_SHARE);
  start();
  open_and_show();
  const uint64_t pens_before = hostsim::pens_created();
  EXPECT_EQ(module.Update_A(PANEL_DRAW), 1);
  EXPECT_EQ(hostsim::pens_created() - pens_before, 142u);  // as many pens as for any bar
  EXPECT_EQ(hostsim::pixel(window, 0, 13), BLUE);           // the body, left of the box
  EXPECT_EQ(hostsim::pixel(window, BAR_BODY, 13), BLUE);    // up to its start pixel
  EXPECT_NE(hostsim::pixel(window, BAR_BODY + 1, 13), BLUE);
  expect_host_intact();
}

// A host that hands the purge's update straight back to Update_A, inside Fct_Update. The
// root holds 9.5 purge targets over the budget and gives up one target at each level from
// 15 down to 6, once: each nested run purges one level lower, until the eleventh run finds
// the total below the budget. The runs then unwind, each showing what it measured, so the
// outermost run's figure, measured before any purge, is what the panel shows at the end.
TEST_F(Misbehaviour_Test, HostReenteringUpdateTenLevelsDeep) {
  hostsim::set_delivery(hostsim::Delivery::SYNC);
  start();
  open_and_show();
  Flag_Trace = 4;
  const uint64_t bytes = MEMORY_MAX - DEFAULT_SHARE + 9 * PURGE_TARGET + PURGE_TARGET / 2;
  std::vector<hostsim::Level_Release> releases;
  for (unsigned short level = 15; level >= 6; --level) releases.push_back({level, PURGE_TARGET});
  hostsim::add_node("/", bytes, releases);

  EXPECT_EQ(module.Update_A(MEMORY), 1);
  EXPECT_EQ(texts(4), Strings(10, cleared(PURGE_TARGET)));
  EXPECT_EQ(texts(14), Strings(11, update_trace("0000000040000000")));
  EXPECT_EQ(calls_among({"Fct_Update "}), Strings(10, "Fct_Update 0x0000000040000000"));
  // Run k (1 the outermost) purges levels 15 down to 16 - k: 55 cleanups in all.
  EXPECT_EQ(calls_among({"User_Cleanup "}).size(), 55u);
  Strings labels;
  for (int purges = 10; purges >= 0; --purges)
    labels.push_back("Draw label " + std::to_string(bytes - static_cast<uint64_t>(purges) * PURGE_TARGET));
  EXPECT_EQ(calls_among({"Draw label "}), labels);
  EXPECT_EQ(label(IMAGE_LABEL), std::to_string(bytes));
  expect_host_intact();
}

// Less than 1 MiB of RAM (or of address space): the thresholds go to the top, 2^64 - 1,
// and the bars have no scale to be drawn against; the panel works all the same. A total
// that the undo figure's sign makes "negative", 2^64 - 47,600, starts no purge (it would
// against thresholds wrapped below zero, 2^64 - 102,400); a total of all bits set does,
// with a target of 0: level 15 alone.
TEST_F(Misbehaviour_Test, BudgetBelowOneMib) {
  for (const auto& machine : {std::pair<uint64_t, uint64_t>{MIB - 1, RAM}, {RAM, MIB - 1}, {0, 0}}) {
    hostsim::reset();
    hostsim::set_machine(machine.first, machine.second);
    hostsim::set_exact_bytes(true);
    hostsim::gpu_present(MIB - 1, 0);  // a GPU bar of no scale either
    hostsim::add_node("/", 64 * MIB, {{15, 64 * MIB}});
    start();
    open_and_show();
    ASSERT_EQ(module.Ctrl_Draw(), 1);
    update();
    EXPECT_EQ(module.Ctrl_Resize(nullptr, 432, 114), 1);
    EXPECT_EQ(script({"clear", "geom"}), 1);
    EXPECT_TRUE(texts(4).empty());
    EXPECT_TRUE(calls_among({"User_Cleanup "}).empty());
    EXPECT_EQ(label(IMAGE_LABEL), std::to_string(64 * MIB));

    hostsim::add_node("/", 0);
    for (const int32_t undo : {-150000, -static_cast<int32_t>(DEFAULT_SHARE) - 2}) {
      hostsim::set_undo_bytes(undo);
      EXPECT_FALSE(update_purges()) << undo;
    }
    hostsim::set_undo_bytes(-static_cast<int32_t>(DEFAULT_SHARE) - 1);
    EXPECT_TRUE(update_purges());
    EXPECT_EQ(calls_among({"User_Cleanup "}), Strings{"User_Cleanup / 15 0"});
    EXPECT_EQ(texts(4), Strings{cleared(0)});
    EXPECT_EQ(hostsim::pens_created(), 0u);  // no bar, not even its caps
    expect_host_intact();
  }
}

// A panel window of width 0, then of height 0, then sizes that do not fit in 16 bits or
// are negative: every widget lands somewhere odd or nowhere (the title box at (1, 1),
// its sizes the window's less 2 in 16 bits), nothing is drawn left of or below it (the
// window's first column and row keep their background), and the host is left intact.
TEST_F(Misbehaviour_Test, PanelWindowOfWidthZeroAndOtherOddSizes) {
  ASSERT_EQ(module.Init(), 1);
  hostsim::register_tool(module.Update_Register(), module.Update_A);
  hostsim::add_node("/", 3 * MIB);
  const std::pair<int, int> sizes[] = {{0, 94}, {432, 0}, {0, 0}, {1, 1}, {-432, -94}, {70000, 94}, {432, 70000}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(std::to_string(size.first) + " x " + std::to_string(size.second));
    // No window is larger than a small screen, all of whose pixels every platform keeps.
    window = hostsim::create_window(std::max(0, std::min(size.first, 600)), std::max(0, std::min(size.second, 600)));
    module.Ctrl_Create(window, size.first, size.second);
    module.Ctrl_Resize(window, size.first, size.second);
    module.Ctrl_Open();
    module.Ctrl_Show();
    module.Ctrl_Draw();
    hostsim::set_pointer(window, 0, 0);
    module.Ctrl_Motion(nullptr, 1, 0, 0);
    module.Ctrl_Click(nullptr, 1, 0, 0);
    module.Ctrl_Help(nullptr, 0, 0, 0);
    module.Ctrl_Leave();
    update();
    module.Update_A(PANEL_DRAW);
    module.Ctrl_Close();
    const Tools& title = widget(TITLE);
    EXPECT_EQ((std::array<int, 4>{title.X, title.Y, title.DX, title.DY}),
              (std::array<int, 4>{1, 1, static_cast<int16_t>(size.first - 2), static_cast<int16_t>(size.second - 2)}));
    const bool pixels = hostsim::window_width(window) > 0 && hostsim::window_height(window) > 0;
    for (int x = 0; pixels && x < hostsim::window_width(window); ++x)
      EXPECT_EQ(hostsim::pixel(window, x, 0), hostsim::WINDOW_BACKGROUND) << x;
    for (int y = 0; pixels && y < hostsim::window_height(window); ++y)
      EXPECT_EQ(hostsim::pixel(window, 0, y), hostsim::WINDOW_BACKGROUND) << y;
    expect_host_intact();
    hostsim::destroy_window(window);
  }
}

// A straight line of `depth` nodes below the root, each holding 3 bytes of which a
// cleanup at level 15 releases one and at level 5 another.
void add_deep_tree(int depth) {
  Orvan_2D* node = hostsim::root_node();
  hostsim::set_node(node, 3, {{15, 1}, {5, 1}});
  for (int level = 1; level <= depth; ++level) node = hostsim::add_child(node, "n", 3, {{15, 1}, {5, 1}});
}

// Measured, shown and cleaned on the host's own thread: the walks recurse once a level.
TEST_F(Misbehaviour_Test, TreeTenThousandLevelsDeep) {
  constexpr int DEPTH = 10000;
  hostsim::set_recording(false);  // the record would spell out every node's whole path
  add_deep_tree(DEPTH);
  start();
  open_and_show();
  EXPECT_EQ(label(IMAGE_LABEL), std::to_string(3 * (DEPTH + 1)));
  EXPECT_EQ(script({"clear", "images"}), 1);
  update();
  EXPECT_EQ(label(IMAGE_LABEL), std::to_string(DEPTH + 1));
  expect_host_intact();
}

// Runs `work` on a thread of its own whose stack is `size` bytes; false when no thread
// could be made. On POSIX the stack is memory of the test's own, painted beforehand, and
// `used` (when given) is set to the bytes of it that the work wrote; on Windows the size
// is the thread's reservation, as a host program's own is, and `used` is left alone.
#ifdef _WIN32
DWORD WINAPI run_work(void* work) {
  (*static_cast<const std::function<void()>*>(work))();
  return 0;
}
// A stack that overflows ends the process at once, with the overflow's code: Wine would
// otherwise leave the thread hanging.
LONG WINAPI end_on_stack_overflow(EXCEPTION_POINTERS* exception) {
  if (exception->ExceptionRecord->ExceptionCode == EXCEPTION_STACK_OVERFLOW)
    TerminateProcess(GetCurrentProcess(), EXCEPTION_STACK_OVERFLOW);
  return EXCEPTION_CONTINUE_SEARCH;
}
#endif
bool run_on_stack(const std::function<void()>& work, size_t size, size_t* used = nullptr) {
#ifdef _WIN32
  void* const handler = AddVectoredExceptionHandler(1, end_on_stack_overflow);
  HANDLE thread = CreateThread(nullptr, size, run_work, const_cast<std::function<void()>*>(&work),
                               STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread) {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
  RemoveVectoredExceptionHandler(handler);
  if (!thread) return false;
  (void)used;
  return true;
#else
  constexpr unsigned char PAINT = 0xA5;
  void* stack = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (stack == MAP_FAILED) return false;
  std::memset(stack, PAINT, size);
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstack(&attributes, stack, size);
  pthread_t thread;
  const auto run = [](void* argument) -> void* {
    (*static_cast<const std::function<void()>*>(argument))();
    return nullptr;
  };
  const bool made = pthread_create(&thread, &attributes, run, const_cast<std::function<void()>*>(&work)) == 0;
  if (made) {
    pthread_join(thread, nullptr);
    const unsigned char* bytes = static_cast<const unsigned char*>(stack);
    size_t untouched = 0;
    while (untouched < size && bytes[untouched] == PAINT) ++untouched;
    if (used) *used = size - untouched;
  }
  pthread_attr_destroy(&attributes);
  munmap(stack, size);
  return made;
#endif
}

// The walks on a thread whose stack is 1 MiB, a Windows host's main thread's, 8,000
// levels deep (the console's limit), on every target. The undo figure makes the total
// one byte short of Memory_Max, then reach it: so the measurement walked the whole tree,
// and the purge then cleaned it at every level (its target is beyond what the tree
// releases: one byte a node at 15 and one at 5).
TEST_F(Misbehaviour_Test, EightThousandLevelsOnAOneMibStack) {
  constexpr int DEPTH = 8000;
  constexpr uint64_t NODES = DEPTH + 1;
  hostsim::set_call_recording(false);  // the record would spell out every node's whole path
  add_deep_tree(DEPTH);
  ASSERT_EQ(module.Init(), 1);
  for (const int32_t short_by : {1, 0}) {
    hostsim::set_undo_bytes(static_cast<int32_t>(MEMORY_MAX - DEFAULT_SHARE - 3 * NODES) - short_by);
    hostsim::clear_events();
    ASSERT_TRUE(run_on_stack([&] { module.Update_A(MEMORY); }, size_t{1} << 20));
    EXPECT_EQ(texts(4), short_by ? Strings{} : Strings{cleared(2 * NODES)});
  }
  EXPECT_EQ(hostsim::image_bytes(), NODES);
  expect_host_intact();
}

// How much stack each level of the tree costs the measurement and the cleanup, from two
// walks of different depths, and so how deep a tree the host's main thread can take.
TEST_F(Misbehaviour_Test, StackUsePerLevelOfTheTree) {
#ifdef _WIN32
  GTEST_SKIP() << "measured on a thread whose stack the test provides (POSIX threads only)";
#else
  constexpr int SHALLOW = 1000;
  constexpr int DEEP = 3000;
  constexpr size_t STACK = size_t{64} << 20;
  hostsim::set_recording(false);
  ASSERT_EQ(module.Init(), 1);
  const auto per_level = [&](const std::function<void()>& walk) {
    size_t used[2];
    for (const int depth : {SHALLOW, DEEP}) {
      add_deep_tree(depth);
      used[depth == DEEP] = 0;
      EXPECT_TRUE(run_on_stack(walk, STACK, &used[depth == DEEP]));
      hostsim::reset();
      hostsim::set_recording(false);
    }
    EXPECT_GT(used[1], used[0]);
    return static_cast<double>(used[1] - used[0]) / (DEEP - SHALLOW);
  };
  const double measure = per_level([&] { module.Update_A(MEMORY); });
  const double clean = per_level([&] { script({"clear", "images"}); });

  rlimit limit{};
  getrlimit(RLIMIT_STACK, &limit);
  const double main_stack =
      limit.rlim_cur == RLIM_INFINITY ? 8.0 * (1 << 20) : static_cast<double>(limit.rlim_cur);
  const double safe_depth = main_stack / std::max(measure, clean);
  std::printf("stack per level: measurement %.0f bytes, cleanup %.0f bytes; a %.0f MiB stack takes %.0f levels\n",
              measure, clean, main_stack / (1 << 20), safe_depth);
  // The 10,000 levels above, with room to spare for the host's own frames.
  EXPECT_GT(safe_depth, 4 * 10000.0);
#endif
}

}  // namespace
