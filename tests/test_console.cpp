// The console as its users meet it: the built-in demo with its output, pictures and
// timeline, every wrong line with its own error, and the command line's exit statuses.
// (Sessions of the console's own actions are in sessions/, console_*.)
#include <gtest/gtest.h>
// The PNG reader (Debian's libstb-dev), compiled here once.
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path EXAMPLES = fs::path(KESTRUM_SOURCE_DIR) / "examples";

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

#ifdef _WIN32
std::string quoted(const std::string& word) { return "\"" + word + "\""; }
const char CHANGE_FOLDER[] = "cd /d ";
#else
std::string quoted(const std::string& word) {
  std::string out = "'";
  for (const char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}
const char CHANGE_FOLDER[] = "cd ";
#endif

// Where the tests' files go: a folder of the build's own.
fs::path scratch_root() {
  const fs::path root = KESTRUM_SCRATCH_DIR;
  fs::create_directories(root);
  return root;
}

// A folder of its own for each test, removed at the end.
struct Scratch {
  const fs::path path = [] {
    std::random_device random;
    fs::path made;
    do made = scratch_root() / ("console-" + std::to_string(random()));
    while (!fs::create_directory(made));
    return made;
  }();
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
};

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs `program` (the console by default) with `args` in `folder`, `input` on its standard input.
Result run_console(const std::vector<std::string>& args, const std::string& input = "",
                   const fs::path& folder = scratch_root(),
                   const std::string& program = KESTRUM_HOST_PATH) {
  Scratch files;
  std::ofstream(files.path / "in", std::ios::binary) << input;
  std::string command = CHANGE_FOLDER + quoted(folder.string()) + " && " + quoted(program);
  for (const std::string& arg : args) command += " " + quoted(arg);
  command += " < " + quoted((files.path / "in").string()) + " > " + quoted((files.path / "out").string()) +
             " 2> " + quoted((files.path / "err").string());
  const int raw = std::system(command.c_str());
#ifdef _WIN32
  const int status = raw;
#else
  const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
  return {status, read_file(files.path / "out"), read_file(files.path / "err")};
}

// A picture's pixels as 0x00RRGGBB, in window coordinates (origin bottom-left, y upward);
// 0xFFFFFFFF, which no pixel reads, outside it (or all of it, when it could not be read).
struct Picture {
  explicit Picture(const fs::path& path) {
    unsigned char* data = stbi_load(path.string().c_str(), &width, &height, nullptr, 3);
    if (!data) width = height = 0;
    for (int row = height - 1; row >= 0; --row)
      for (int x = 0; x < width; ++x) {
        const unsigned char* p = data + 3 * (static_cast<size_t>(row) * static_cast<size_t>(width) + static_cast<size_t>(x));
        pixels.push_back(uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2]);
      }
    stbi_image_free(data);
  }
  uint32_t at(int x, int y) const {
    return x < 0 || y < 0 || x >= width || y >= height ? 0xFFFFFFFFu : pixels[static_cast<size_t>(y * width + x)];
  }
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
};

// The bars in the demo's pictures, from the panel's arithmetic. The RAM bar's box lies at
// (5, 25), the GPU bar's at (5, 5), both 422 x 16: the capsule's radius is 6, its body
// starts m = 8 pixels in, on a track of L = 406 pixels, and a segment that ends at V MiB
// of a scale of S MiB ends trunc(float(L * V) / float(S)) pixels along it. On the middle
// row the body's shade is trunc(255 * 0.667) = 170.
constexpr uint32_t BLUE = 0x0000AA, CYAN = 0x00AAAA, MAGENTA = 0xAA00AA;
constexpr uint32_t GREEN_ZONE = 0x78B478, YELLOW_ZONE = 0xB4B478, MARK = 0x000000;

struct Segment {
  uint32_t colour;
  int end_mib;  // where the segment ends: the sum of it and the segments before it
};

int segment_end(int mib, int scale_mib) {
  return static_cast<int>(static_cast<float>(406 * mib) / static_cast<float>(scale_mib));
}

// Checks each segment's first and last pixel on the bar's middle row and, past the right
// cap (its columns 8 to 13), what shows of the box: `after`, or anything but the last
// segment's colour.
void expect_bar(const Picture& p, int box_y, int scale_mib, const std::vector<Segment>& segments,
                std::optional<uint32_t> after) {
  const int body = 5 + 8, row = box_y + 8;
  int start = 0;
  for (const Segment& segment : segments) {
    const int end = segment_end(segment.end_mib, scale_mib);
    if (end > start) {
      EXPECT_EQ(p.at(body + start, row), segment.colour) << "segment ending at " << segment.end_mib;
      EXPECT_EQ(p.at(body + end - 1, row), segment.colour) << "segment ending at " << segment.end_mib;
    }
    start = end;
  }
  if (after)
    EXPECT_EQ(p.at(5 + start + 14, row), *after);
  else
    EXPECT_NE(p.at(5 + start + 14, row), segments.back().colour);
}

// The demo's seven pictures of the panel, with a GPU at the default settings.
void expect_demo_pictures(const fs::path& pictures) {
  const auto picture = [&](const char* name) {
    Picture loaded(pictures / name);
    EXPECT_TRUE(loaded.width == 432 && loaded.height == 114) << name;
    return loaded;
  };
  for (const char* name : {"demo-1-open.png", "demo-4-undo.png", "demo-5-undo-cleared.png"}) picture(name);
  constexpr int RAM_BAR = 25, GPU_BAR = 5, BUDGET = 512;

  // 448 MiB of images (and the 100 KiB default share, below a MiB), in the yellow zone.
  expect_bar(picture("demo-2-filling.png"), RAM_BAR, BUDGET, {{BLUE, 448}}, YELLOW_ZONE);
  // After the purge, 384 MiB: the box was drawn anew under the shorter bar, and the
  // track's lower mark shows at 422 * Memory_High / Memory_RAM = 337, plus 16 - 4.
  const auto purged = picture("demo-3-purged.png");
  expect_bar(purged, RAM_BAR, BUDGET, {{BLUE, 384}}, GREEN_ZONE);
  EXPECT_EQ(purged.at(5 + 337 + 12, RAM_BAR + 8), MARK);
  EXPECT_EQ(purged.at(5 + 337 + 13, RAM_BAR + 8), YELLOW_ZONE);
  // 384 MiB of images, then 64 MiB of undo.
  expect_bar(picture("demo-4-undo.png"), RAM_BAR, BUDGET, {{BLUE, 384}, {CYAN, 448}}, YELLOW_ZONE);
  // 320 MiB of images, no undo, 64 MiB of geometry; the GPU bar: 1 GiB of 4 GiB in use,
  // its third segment.
  const auto geometry = picture("demo-6-geometry.png");
  expect_bar(geometry, RAM_BAR, BUDGET, {{BLUE, 320}, {CYAN, 320}, {MAGENTA, 384}}, GREEN_ZONE);
  expect_bar(geometry, GPU_BAR, 4096, {{BLUE, 0}, {CYAN, 0}, {MAGENTA, 1024}}, std::nullopt);
  // The end: 448 MiB of images again.
  expect_bar(picture("demo-7-end.png"), RAM_BAR, BUDGET, {{BLUE, 448}}, YELLOW_ZONE);
}

TEST(Console_Demo, WithoutTheModuleTheHostRunsOutOfAddressSpace) {
#ifdef _WIN32
  GTEST_SKIP() << "where the host's allocations fail: Windows has no address-space limit, and the rest of the "
                  "address space that \"limit\" reserves leaves Wine room for more than the figure says";
#endif
  Scratch pictures;
  const Result run = run_console({"--no-module", "--png-dir", pictures.path.string()});
  EXPECT_EQ(run.status, 1);
  std::smatch match;
  ASSERT_TRUE(std::regex_match(run.err, match, std::regex("error: ([0-9]+): cannot allocate ([0-9]+) bytes\n")))
      << run.err;
  // The line that failed is one of the host's loads of real memory, after the eighth image.
  std::istringstream demo(read_file(EXAMPLES / "demo.session"));
  std::string line;
  for (int number = std::stoi(match[1]); number > 0; --number) std::getline(demo, line);
  EXPECT_NE(line.find(" real"), std::string::npos) << line;
  // Nothing of the module ran: no message, no result, no panel picture; only the
  // session's timeline.
  EXPECT_EQ(run.out.find("msg "), std::string::npos);
  EXPECT_EQ(run.out.find("ret "), std::string::npos);
  EXPECT_NE(run.out.find("The eighth image"), std::string::npos);
  EXPECT_EQ(std::distance(fs::directory_iterator(pictures.path), fs::directory_iterator()), 1);
  EXPECT_TRUE(fs::exists(pictures.path / "demo-timeline.png"));
}

std::string chain(int levels) {
  std::string path;
  for (int i = 0; i < levels; ++i) path += "/n";
  return path;
}

// Each input's last line is wrong: the session stops there with status 1 and its own error,
// without the module too. A session that ran "init" still has Exit called at its end.
TEST(Console_Errors, EveryWrongLineGetsItsOwnReason) {
  using namespace std::string_literals;
  const std::string init = "machine 64M 64M\ngpu none\ninit\n";
  const std::string panel = init + "panel create\npanel resize\n";
  const struct {
    std::string input, error;
    bool without_module = false;
  } cases[] = {
      // Words are case-sensitive; the prefix of script lines is the module's command word.
      {"names\nInit\n", "unknown action Init"},
      {"Nope: clear\n", "unknown action Nope:"},
      // The host's order: Init once, before the panel; the panel's window before the panel's
      // events; after Exit only the constant answers.
      {"panel register\n", "the module is not initialised yet: use \"init\" first"},
      {init + "init\n", "the module is initialised already: \"init\" comes once"},
      {init + "limit 64M\n", "\"limit\" must come before \"init\""},
      {init + "panel register\npanel resize\n", "no panel window yet: use \"panel create\" first"},
      {init + "click 5 5\n", "no panel window yet: use \"panel create\" first"},
      {init + "exit\nnames\nquery\n", "the module has exited: after \"exit\" only \"names\" may call it"},
      {"exit\nupdate 0x40000000\n", "the module has exited: after \"exit\" only \"names\" may call it"},
      {"exit\nget $MEMORY_CUDA_USAGE\n", "the module has exited: after \"exit\" only \"names\" may call it"},
      {"exit\ninit\n", "the module has exited: after \"exit\" only \"names\" may call it"},
      // Numbers: out of range with the range, whatever the sign or size; only what does not
      // read as a number is "not a number".
      {"node /a -5\n", "byte count out of range 0..18446744073709551615: -5"},
      {"node /a 16777216T\n", "not a number: 16777216T"},
      {"machine 17179869184G 1G\n", "physical memory out of range 0..18446744073709551615: 17179869184G"},
      {"undo 2G\n", "undo figure out of range -2147483648..2147483647: 2G"},
      {init + "update -1\n", "update word out of range 0..0xFFFFFFFFFFFFFFFF: -1"},
      {init + "update 0x10000000000000000\n", "update word out of range 0..0xFFFFFFFFFFFFFFFF: 0x10000000000000000"},
      {init + "update 0x4000000G\n", "not a number: 0x4000000G"},
      {"image 0 1 1 1 1 8 -1\n", "samples per element out of range 0..255: -1"},
      {"tag3d 1 4G\n", "movie size out of range 0..4294967295: 4G"},
      {"trace -128\ntrace 127\ntrace 0x7F\ntrace 128\n", "trace level out of range -128..127: 128"},
      {"set $X 99999999999999999999\n", "host variable value out of range " +
                                            std::to_string(std::numeric_limits<intptr_t>::min()) + ".." +
                                            std::to_string(std::numeric_limits<intptr_t>::max()) +
                                            ": 99999999999999999999"},
      {init + "panel create\nclick 0 -32769\n", "position out of range -32768..32767: -32769"},
      // Control bytes, bytes from 0x7F up and NUL bytes shown as \xNN, the whole word.
      {"trace 1\x1b[2J\x7f\xc3\xa9\0tail\n"s, "not a number: 1\\x1B[2J\\x7F\\xC3\\xA9\\x00tail"},
      {"node /a\x01\0b/c 5\n"s, "no parent node for /a\\x01\\x00b/c"},
      {"node //a 5\n", "empty node name in //a"},
      // Deeper than the module's walk takes on a 1 MiB stack; at the bound, the tree is taken.
      {"node " + chain(8001) + " 5\n",
       "node too deep: 8001 levels below the root, at most 8000 (the module's walk must fit a 1 MiB stack)"},
      {"node " + chain(8000) + " 5\n", "no parent node for " + chain(8000)},
      // Pictures are PNG files; widgets by name must be known, laid out and show somewhere.
      {init + "panel create\nsnapshot x.jpg\n", "snapshot takes FILE.png: x.jpg"},
      {init + "panel create\nmap x.png.jpg\n", "map takes FILE.png: x.png.jpg"},
      {init + "panel create\nclick Button_Undo\n", "Button_Undo is not laid out yet: use \"panel resize\" first"},
      {panel + "click Button_Redo\n", "unknown widget Button_Redo (\"widgets\" lists the panel's)"},
      {panel + "help Box_GPU\n", "Box_GPU shows nowhere: other widgets cover its box"},
      {init + "panel create\npanel resize 8 94\nmotion Box_Bar\n", "Box_Bar has an empty box"},
      {panel + "click Box_Bar 1 2\n", "usage: click X Y [WORD] | click WIDGET [WORD]"},
      {panel + "motion 5\n", "usage: motion X Y [WORD] | motion WIDGET [WORD]"},
      // Without the module a line is read as with it, though nothing is called.
      {"nomodule\n", "unknown action nomodule", true},
      {"panel create 432\n", "usage: panel create [W H]", true},
      {"panel resize null 1\n", "usage: panel resize [null] [W H]", true},
      {"click 5\n", "usage: click X Y [WORD] | click WIDGET [WORD]", true},
      {"help Button_Redo\n", "unknown widget Button_Redo (\"widgets\" lists the panel's)", true},
      {"update -1\n", "update word out of range 0..0xFFFFFFFFFFFFFFFF: -1", true},
      {"snapshot x.jpg\n", "snapshot takes FILE.png: x.jpg", true},
      {"open now\n", "usage: open", true},
      {"get\n", "usage: get NAME", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input.substr(0, 80));
    std::vector<std::string> args{"--bytes", "exact", "-"};
    if (c.without_module) args.insert(args.begin(), "--no-module");
    const Result run = run_console(args, c.input + "echo not reached\n");
    const size_t lines = static_cast<size_t>(std::count(c.input.begin(), c.input.end(), '\n'));
    EXPECT_EQ(run.err, "error: " + std::to_string(lines) + ": " + c.error + "\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.find("not reached"), std::string::npos);
    // Exit once: by the session's "exit", or at its end after "init".
    const bool exits = c.input.rfind(init, 0) == 0 || c.input.find("exit\n") != std::string::npos;
    EXPECT_EQ(run.out.find("ret Exit 1\n") != std::string::npos, exits) << run.out;
    EXPECT_EQ(run.out.find("ret Exit"), run.out.rfind("ret Exit"));
  }
}

// A session that is a folder, or whose reading fails, is reported as a missing one is.
TEST(Console_Errors, ASessionThatCannotBeReadIsReportedWithItsReason) {
#ifdef _WIN32
  GTEST_SKIP() << "the reasons are the Linux C library's texts for paths that Linux has";
#endif
  const struct {
    const char* path;
    const char* reason;
  } cases[] = {
      {"/nonexistent/a.session", "No such file or directory"},
      {"/tmp", "Is a directory"},
      {"/proc/self/mem", "Input/output error"},  // opens, but its first page cannot be read
  };
  for (const auto& c : cases) {
    const Result run = run_console({c.path});
    EXPECT_EQ(run.err, std::string("kestrum-host: cannot read ") + c.path + ": " + c.reason + "\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
  }
}

TEST(Console_Errors, AModuleThatCannotBeLoadedGivesStatusTwo) {
  const Result missing = run_console({"--module", "/nonexistent/kestrum.so", "-"}, "names\n");
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("kestrum-host: cannot load the module: "), std::string::npos) << missing.err;
  EXPECT_EQ(missing.out, "");

  const Result incomplete = run_console({"--module", KESTRUM_INCOMPLETE_MODULE_PATH, "-"}, "names\n");
  EXPECT_EQ(incomplete.status, 2);
  EXPECT_NE(incomplete.err.find("lacks the entry point(s) Variable_Get\n"), std::string::npos) << incomplete.err;
  EXPECT_EQ(incomplete.out, "");

  // --version: the console's version still, then why the module is missing.
  const Result version = run_console({"--version", "--module", "/nonexistent/kestrum.so"});
  EXPECT_EQ(version.status, 2);
  EXPECT_TRUE(std::regex_match(version.out, std::regex("kestrum-host [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << version.out;
  EXPECT_NE(version.err.find("kestrum-host: cannot load the module: "), std::string::npos) << version.err;
  EXPECT_EQ(run_console({"--version", "--no-module"}).out, version.out);

  // A module named by its file alone is the file in the current folder, not one that the
  // system's library search finds (none on Linux; the console's own on Windows).
  Scratch here;
  const std::string file = fs::path(KESTRUM_MODULE_PATH).filename().string();
  fs::copy_file(KESTRUM_INCOMPLETE_MODULE_PATH, here.path / file);
  const Result named = run_console({"--module", file, "-"}, "names\n", here.path);
  EXPECT_EQ(named.status, 2);
  EXPECT_NE(named.err.find(file + " lacks the entry point(s) Variable_Get\n"), std::string::npos) << named.err;

  const Result usage = run_console({"--bytes", "round"});
  EXPECT_EQ(usage.status, 1);
  EXPECT_NE(usage.err.find("--bytes takes: exact or human"), std::string::npos);
}

// A CUDA runtime library that lacks one of its two calls is no runtime: Init returns 1,
// having called neither, and the module finds no GPU. The session asks for no simulated
// runtime, so the library the module opens is the partial one, under the machine's name.
TEST(Console_Gpu, RuntimeLackingOneOfItsCallsIsNoGpu) {
  const std::string session = "machine 1G 1G\ninit\npanel create\nopen\nget $MEMORY_CUDA_AVAILABLE\n";
  for (const char* only : {"version_only", "mem_info_only"}) {
    SCOPED_TRACE(only);
    const fs::path runtime = fs::path(KESTRUM_PARTIAL_RUNTIME_DIR) / only;
#ifdef _WIN32
    // LoadLibraryA searches the program's own folder first: a copy of the console, under
    // the name the module binds to, runs beside the partial library.
    Scratch beside;
    fs::copy_file(runtime / "cudart32_110.dll", beside.path / "cudart32_110.dll");
    fs::copy_file(KESTRUM_HOST_PATH, beside.path / KESTRUM_HOST_IMAGE);
    const Result run = run_console({"--module", KESTRUM_MODULE_PATH, "-"}, session, beside.path,
                                   (beside.path / KESTRUM_HOST_IMAGE).string());
#else
    // dlopen searches LD_LIBRARY_PATH before the system's folders.
    const Result run = run_console({"LD_LIBRARY_PATH=" + runtime.string(), KESTRUM_HOST_PATH, "-"}, session,
                                   scratch_root(), "env");
#endif
    EXPECT_EQ(run.status, 0) << run.err;
    // No GPU: the panel's height without the GPU bar, no GPU message at open, a total of 0.
    EXPECT_EQ(run.out,
              "msg 11 Kestrum: Init\nmsg 11 Memory Manager (32 bit) -> 1 GiB Tot Available\n"
              "msg 11 Memory Manager (32 bit) -> 1 GiB Tot RAM\nret Init 1\nret Ctrl_Register 94 432\n"
              "msg 4 We can access <<1 GiB>> of RAM memory\nret Ctrl_Create 1\n"
              "msg 4 Orvan-5 can access <<1 GiB>> of RAM memory\nret Ctrl_Open 1\n"
              "ret Variable_Get $MEMORY_CUDA_AVAILABLE 1 32832 0\nmsg 11 Kestrum: Exit\nret Exit 1\n");
  }
}

TEST(Console_Snapshots, RelativePathsGoIntoThePictureFolder) {
  Scratch folder;
  const fs::path absolute = folder.path / "elsewhere" / "b.png";
  const Result run = run_console({"--png-dir", (folder.path / "pictures").string(), "-"},
                                 "machine 64M 64M\ngpu none\ninit\npanel create\nsnapshot sub/a.png\n"
                                 "snapshot " + absolute.string() + "\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(folder.path / "pictures" / "sub" / "a.png"));
  EXPECT_TRUE(fs::exists(absolute));
}

// A picture or timeline file that cannot be written is reported with the system's own
// reason: the one the C library gives for opening it (here, a folder in its place).
TEST(Console_Snapshots, UnwritablePathsGiveTheSystemsReason) {
  Scratch files;
  const std::string png = (files.path / "taken.png").string(), csv = (files.path / "taken.csv").string();
  for (const std::string& taken : {png, csv}) fs::create_directory(taken);
  errno = 0;
  ASSERT_EQ(std::fopen(png.c_str(), "wb"), nullptr);
  const std::string reason = std::strerror(errno);
  for (const char* action : {"snapshot ", "map "}) {
    const Result run = run_console({"-"}, "machine 64M 64M\ngpu none\ninit\npanel create\n" + std::string(action) + png + "\n");
    EXPECT_EQ(run.err, "error: 5: cannot write " + png + ": " + reason + "\n");
    EXPECT_EQ(run.status, 1);
  }
  const Result timeline = run_console({"--timeline", csv, "-"}, "echo done\n");
  EXPECT_EQ(timeline.err, "kestrum-host: cannot write " + csv + ": " + reason + "\n");
  EXPECT_EQ(timeline.status, 1);
}

// "widgets" gives each widget's box as the layout places it (with a GPU, at the default
// settings: spacing 4, buttons 18 high, a title band of 20). "map" draws the panel twice
// its size from (48, 28), each box outlined one map pixel inside its edge (frame, bars and
// columns red, value labels green, buttons blue; a later widget's over an earlier one's),
// and under it a key: a line a widget from row 2H + 54, each led by its number on a square
// in its outline's colour, then after two lines the bars' colours; (2W + 64) x (2H + 414).
TEST(Console_Snapshots, MapOutlinesEveryWidgetOverThePanelTwiceItsSize) {
  Scratch files;
  const Result run = run_console({"--png-dir", files.path.string(), "-"},
                                 "machine 1G 1G\ngpu 2G 1G\ninit\nnode /a 300M\nundo 100M\npanel create\n"
                                 "panel resize\nopen\nshow\ndraw\nsnapshot panel.png\nmap map.png\nwidgets\n");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("widget Box_Title 1 1 430 112\nwidget Box_GPU 5 5 422 16\nwidget Box_Bar 5 25 422 16\n"
                         "widget Box_Image 5 45 140 48\nwidget Label_Image 5 49 140 44\nwidget Button_Image 9 49 132 18\n"
                         "widget Box_Undo 146 45 140 48\nwidget Label_Undo 146 49 140 44\nwidget Button_Undo 150 49 132 18\n"
                         "widget Box_Geom 287 45 140 48\nwidget Label_Geom 287 49 140 44\nwidget Button_Geom 291 49 132 18\n"),
            std::string::npos)
      << run.out;
  const Picture panel(files.path / "panel.png"), map(files.path / "map.png");
  ASSERT_EQ(panel.width, 432);
  ASSERT_EQ(panel.height, 114);
  ASSERT_EQ(map.width, 2 * 432 + 64);
  ASSERT_EQ(map.height, 2 * 114 + 414);
  const auto at = [&](int column, int row) { return map.at(column, map.height - 1 - row); };  // rows from the top
  // Panel pixel (x, y) as four map pixels: in the title band, the bars, a value label.
  for (const auto& [x, y] : {std::pair{200, 105}, {300, 33}, {100, 33}, {250, 13}, {216, 80}})
    for (const int dc : {0, 1})
      for (const int dr : {0, 1}) EXPECT_EQ(at(48 + 2 * x + dc, 28 + 2 * (113 - y) + dr), panel.at(x, y)) << x << " " << y;
  constexpr uint32_t RED = 0xD00000, GREEN = 0x008000, BLUE_OUTLINE = 0x0000E0;
  // The left edges of Button_Undo and Box_Bar, half-way up.
  EXPECT_EQ(at(48 + 2 * 150, 28 + 2 * (114 - 49 - 18) + 18), BLUE_OUTLINE);
  EXPECT_EQ(at(48 + 2 * 5, 28 + 2 * (114 - 25 - 16) + 16), RED);
  // Label_Undo's top edge over Box_Undo's, and Box_Undo's bottom edge below the label.
  EXPECT_EQ(at(48 + 2 * 200, 28 + 2 * (114 - 93)), GREEN);
  EXPECT_EQ(at(48 + 2 * 200, 28 + 2 * (114 - 45) - 1), RED);
  // The key: the squares of Box_Title, Label_Image and Button_Geom; the track's green zone.
  const int key = 28 + 2 * 114 + 26;
  EXPECT_EQ(at(48, key), RED);
  EXPECT_EQ(at(48, key + 4 * 16), GREEN);
  EXPECT_EQ(at(48, key + 11 * 16), BLUE_OUTLINE);
  EXPECT_EQ(at(49, key + 17 * 16 + 1), GREEN_ZONE);
  EXPECT_EQ(panel.at(5 + 250, 25 + 8), GREEN_ZONE);
}

// At the prompt, and in any session, "help" alone lists every action on a line of its own
// (its words, then what it does) and the script line's, and "quit" ends the session.
TEST(Console_Prompt, HelpListsEveryActionAndQuitEndsTheSession) {
  const Result run = run_console({"-"}, "help\nquit\necho not reached\n");
  EXPECT_EQ(run.status, 0) << run.err;
  std::set<std::string> words;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    words.insert(line.substr(0, line.find(' ')));
    EXPECT_NE(line.find("  "), std::string::npos) << line;
  }
  const std::set<std::string> actions{
      "click",  "close", "delivery", "draw",    "drop",     "echo",  "exit",   "file3d", "get",     "gpu",
      "help",   "hide",  "image",    "init",    "iterator", "leave", "limit",  "log",    "machine", "map",
      "motion", "names", "node",     "object3d", "open",    "panel", "query",  "quit",   "root",    "scroll",
      "set",    "show",  "snapshot", "summary", "tag3d",    "trace", "undo",   "unset",  "update",  "widgets",
      "Memory:"};
  EXPECT_EQ(words, actions);
  EXPECT_EQ(run.out.find("not reached"), std::string::npos);
}

// --help ends with where the console's document lies: in a build tree the sources', for
// an installed console PREFIX/share/doc/kestrum/docs/console.md beside its PREFIX/bin.
TEST(Console_CommandLine, HelpNamesTheDocumentOfTheBuildOrOfTheInstall) {
  const auto document = [](const Result& run) {
    const std::string lead = "Every action, option and output line: ";
    const size_t at = run.out.find(lead);
    return at == std::string::npos ? fs::path() : fs::path(run.out.substr(at + lead.size(), run.out.find('\n', at) - at - lead.size()));
  };
  const auto same = [](const fs::path& a, const fs::path& b) { return fs::exists(a) && fs::equivalent(a, b); };
  const Result built = run_console({"--help"});
  EXPECT_EQ(built.status, 0);
  EXPECT_TRUE(same(document(built), fs::path(KESTRUM_SOURCE_DIR) / "docs" / "console.md")) << built.out;

  Scratch prefix;
  const fs::path docs = prefix.path / "share" / "doc" / "kestrum" / "docs";
  fs::create_directories(docs);
  fs::create_directories(prefix.path / "bin");
  std::ofstream(docs / "console.md") << "# kestrum-host\n";
  const fs::path console = prefix.path / "bin" / fs::path(KESTRUM_HOST_PATH).filename();
  fs::copy_file(KESTRUM_HOST_PATH, console);
  const Result installed = run_console({"--help"}, "", scratch_root(), console.string());
  EXPECT_EQ(installed.status, 0);
  EXPECT_TRUE(same(document(installed), docs / "console.md")) << installed.out;
}

// ---- The session's timeline (--timeline, and the demo's demo-timeline.png) ----------

using Csv = std::vector<std::vector<std::string>>;

Csv read_csv(const std::string& text) {
  Csv rows;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    rows.emplace_back();
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, ',');) rows.back().push_back(field);
    if (!line.empty() && line.back() == ',') rows.back().push_back("");
  }
  return rows;
}

uint64_t figure(const std::vector<std::string>& row, size_t column) {
  return row[column].empty() ? 0 : std::stoull(row[column]);
}

// Columns of the CSV, as docs/console.md lists them.
enum { LINE, ACTION, IMAGES, UNDO, GEOMETRY, SPACE_USED, SPACE_LIMIT, GPU_USED, BUDGET, EVENTS };
constexpr uint64_t MiB = uint64_t{1} << 20;

// The demo's record is the committed one, but for the two address-space columns, which
// depend on the machine, the build and the run: the address space the session took
// holds the host's real data and stays under the limit that "limit 512M" set.
void expect_demo_record(const fs::path& path) {
  Csv got = read_csv(read_file(path));
  Csv expected = read_csv(read_file(EXAMPLES / "demo-timeline.csv"));
  ASSERT_EQ(got.size(), expected.size());
  bool limited = false;
  for (size_t r = 1; r < got.size(); ++r) {
    SCOPED_TRACE(got[r][LINE]);
    ASSERT_EQ(got[r].size(), 10u);
    const uint64_t used = figure(got[r], SPACE_USED);
#ifndef _WIN32
    // (On Windows the heap holds address space reserved before the record began, which
    // the host's data then reuse: the space mapped since can be less than they hold.)
    EXPECT_GE(used, figure(got[r], IMAGES) + figure(got[r], UNDO) + figure(got[r], GEOMETRY));
#endif
    if (got[r][ACTION] == "limit") {
      EXPECT_GE(figure(got[r], SPACE_LIMIT) - used, 512 * MiB);
    }
    limited = limited || !got[r][SPACE_LIMIT].empty();
    if (limited) {
      EXPECT_LE(used, figure(got[r], SPACE_LIMIT));
    }
    for (Csv* csv : {&got, &expected}) (*csv)[r][SPACE_USED] = (*csv)[r][SPACE_LIMIT] = "-";
  }
  EXPECT_EQ(got, expected);
}

// The timeline's picture, at points that follow from the record and the scale of
// docs/console.md: plot 900 x 400 pixels from (90, 50); action r of n in columns
// ceil(r * 900 / n) on; a figure v reaches round(v * 400 / top) rows above the bottom,
// top being the first multiple above the largest figure of the smallest power of two
// whose eightfold exceeds it; line ticks every 10 lines (the demo's last line is below
// 100), at the first action on the line or after it.
void expect_demo_timeline_picture(const fs::path& folder, const Csv& csv) {
  const Picture picture(folder / "demo-timeline.png");
  ASSERT_TRUE(picture.width > 0);
  ASSERT_EQ(picture.width, 1000);
  ASSERT_EQ(picture.height, 560);
  const size_t n = csv.size() - 1;
  uint64_t largest = 0;
  for (size_t r = 1; r <= n; ++r)
    for (const size_t c : {size_t{SPACE_USED}, size_t{SPACE_LIMIT}, size_t{BUDGET}})
      largest = std::max({largest, figure(csv[r], c),
                          figure(csv[r], IMAGES) + figure(csv[r], UNDO) + figure(csv[r], GEOMETRY)});
  uint64_t step = 1;
  while (step * 8 <= largest) step *= 2;
  const double top = static_cast<double>((largest / step + 1) * step);
  const auto height = [&](uint64_t bytes) { return static_cast<int>(std::lround(bytes * 400.0 / top)); };
  const auto row_of = [&](const char* line) {
    for (size_t r = 1; r <= n; ++r)
      if (csv[r][LINE] == line) return r - 1;
    ADD_FAILURE() << "no line " << line;
    return size_t{0};
  };
  const auto column = [&](size_t r) { return 90 + static_cast<int>((r * 900 + n - 1) / n); };
  // Plot row k above the bottom edge is picture row 559 - 449 + k from the bottom.
  const auto at = [&](int x, int k) { return picture.at(x, 110 + k); };
  constexpr uint32_t WHITE = 0xFFFFFF, ORANGE = 0xFF8C00, GREY = 0x707070, RED = 0xD00000, TEXT = 0x333333;
  // Above the areas: the background, or the one-row line of the address space in use.
  const auto above = [&](size_t r, int k) { return k == height(figure(csv[r + 1], SPACE_USED)) ? GREY : WHITE; };

  // After the seventh image: 448 MiB of images, the budget's line at 512 MiB above them.
  const int seventh = column(row_of("52")) + 3;
  EXPECT_EQ(at(seventh, height(448 * MiB) - 1), BLUE);
  EXPECT_EQ(at(seventh, height(448 * MiB) + 2), above(row_of("52"), height(448 * MiB) + 2));
  EXPECT_EQ(at(seventh, height(512 * MiB)), MARK);
  // There the budget's line (rows h - 1 and h), and the limit's, dashed (on in plot
  // columns c with c / 6 even), drawn 3 rows above the budget's (below, were it the
  // lower) where it would come within 2 rows of it: a row apart, both show.
  const size_t r7 = row_of("52");
  int dash = column(r7) + 1;
  while ((dash - 90) / 6 % 2 == 1) ++dash;
  const int budget = height(figure(csv[r7 + 1], BUDGET));
  const int limit_at = height(figure(csv[r7 + 1], SPACE_LIMIT));
  const bool moved = std::abs(limit_at - budget) <= 2;
  const int limit = !moved ? limit_at : limit_at >= budget ? budget + 3 : budget - 3;
  EXPECT_EQ(at(dash, budget - 1), MARK);
  EXPECT_EQ(at(dash, budget), MARK);
  EXPECT_EQ(at(dash, limit - 1), RED);
  EXPECT_EQ(at(dash, limit), RED);
  if (moved) {
    const int between = limit > budget ? budget + 1 : budget - 2;
    EXPECT_EQ(at(dash, between), above(r7, between));
  }
  // The line ticks, 4 rows below the plot from its second row under it: at the first
  // line, and at lines 20, 30, ...; nothing in the column beside each.
  for (size_t r = 0, next = 0; r < n; ++r) {
    const size_t line = std::stoul(csv[r + 1][LINE]);
    if (line < next) continue;
    next = line / 10 * 10 + 10;
    SCOPED_TRACE("tick at line " + std::to_string(line));
    for (int k = -5; k <= -2; ++k) EXPECT_EQ(at(column(r), k), TEXT);
    EXPECT_EQ(at(column(r) + 1, -3), WHITE);
  }
  // 384 MiB of images and 64 MiB of undo; later 320 MiB of images and 64 MiB of 3-D.
  EXPECT_EQ(at(column(row_of("65")) + 3, height(416 * MiB)), CYAN);
  EXPECT_EQ(at(column(row_of("79")) + 3, height(352 * MiB)), MAGENTA);
  // The purge at the eighth image: 512 MiB of images in the column before it, and in
  // its own column the marker's line from 512 down to 384 MiB over the images left.
  const int purge = column(row_of("59"));
  EXPECT_EQ(csv[row_of("59") + 1][EVENTS], "purge 134217728");
  EXPECT_EQ(at(purge - 1, height(448 * MiB)), BLUE);
  EXPECT_EQ(at(purge, height(448 * MiB)), ORANGE);
  EXPECT_EQ(at(purge + 1, height(448 * MiB)), ORANGE);
  EXPECT_EQ(at(purge + 2, height(448 * MiB)), above(row_of("59"), height(448 * MiB)));
  EXPECT_EQ(at(purge + 2, height(384 * MiB) - 1), BLUE);
}


// The demo built into the program (examples/demo.session), run once: its output, its
// seven pictures of the panel, its timeline's record and picture.
TEST(Console_Demo, BuiltInDemoGivesItsOutputPicturesAndTimeline) {
  Scratch files;
  const Result run = run_console({"--png-dir", files.path.string(), "--timeline", "t.csv"}, "", files.path);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, read_file(EXAMPLES / "demo.expected"));
  expect_demo_pictures(files.path);
  expect_demo_record(files.path / "t.csv");
  expect_demo_timeline_picture(files.path, read_csv(read_file(files.path / "t.csv")));
}

TEST(Console_Timeline, BadOrUnwritableTimelineFilesAreErrors) {
  const Result extension = run_console({"--timeline", "t.txt", "-"}, "");
  EXPECT_EQ(extension.status, 1);
  EXPECT_NE(extension.err.find("--timeline takes FILE.csv or FILE.png: t.txt"), std::string::npos) << extension.err;
  // The session runs to its end; the file that cannot be written makes the status 1.
  const Result unwritable = run_console({"--timeline", "/dev/null/t.csv", "-"}, "echo done\n");
  EXPECT_EQ(unwritable.out, "done\n");
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_NE(unwritable.err.find("kestrum-host: cannot create /dev/null"), std::string::npos) << unwritable.err;
}

}  // namespace
