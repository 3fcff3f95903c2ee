#include "bench_host.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "hand_tree.h"
#include "host/host_services.h"
#include "host/widget_toolkit.h"
#include "hostsim/db2d.h"
#include "hostsim/db3d.h"
#include "hostsim/events.h"
#include "hostsim/gpu.h"
#include "hostsim/machine.h"
#include "hostsim/reset.h"
#include "hostsim/toolkit.h"
#include "hostsim/undo.h"
#include "hostsim/windows.h"

namespace bench {

namespace {

constexpr uint64_t MACHINE = uint64_t{1} << 40;  // RAM and address space: no purge
constexpr int LEAVES = 1000;                     // per branch
constexpr uint32_t IMAGES = 100000;
constexpr uint32_t IMAGES_PER_FILE = 100;
constexpr uint64_t DEFAULT_SHARE = 102400;

int32_t g_ram_mib = 0;  // the RAM bar's scale, as the module took it at Init
int64_t g_nodes = -1;  // the size asked for of the host built now
int64_t g_exact_nodes = 0;
HWND g_window = nullptr;
const Tools* g_bar_box = nullptr;  // the module's RAM bar box, found once the panel is made

// The figures of the last hand measurement, for the hand-painted bar.
uint64_t g_images = 0;
uint64_t g_undo = 0;
uint64_t g_geometry = 0;

template <typename T>
T* variable(const char* name) {
  return static_cast<T*>(Fct_Variable_Get(Host_Text(name), nullptr, nullptr, nullptr, 0));
}

// The host's tables, looked up once as the module does.
struct Host_Tables {
  uint32_t* file_nb = variable<uint32_t>("$DB_2D_FILE_NB");
  Orvan_2D_File*** file_pt = variable<Orvan_2D_File**>("$DB_2D_FILE_PT");
  Orvan_2D** root_pt = variable<Orvan_2D*>("$DB_2D_ROOT_PT");
  uint32_t* file3d_nb = variable<uint32_t>("$DB_3D_FILE_NB");
  Orvan_3D_File*** file3d_pt = variable<Orvan_3D_File**>("$DB_3D_FILE_PT");
  uint32_t* tag_nb = variable<uint32_t>("$DB_3D_TAG_NB");
  Orvan_3D_File*** tag_pt = variable<Orvan_3D_File**>("$DB_3D_TAG_PT");
};

const Host_Tables& tables() {
  static const Host_Tables found;  // the host keeps its variables' storage in place
  return found;
}

uint64_t hand_movies(uint32_t count, Orvan_3D_File** records) {
  uint64_t total = 0;
  for (uint32_t r = 0; r < count; ++r)
    for (int32_t m = 0; m < records[r]->Movie_Nb; ++m)
      if (records[r]->Movie_Tab[m]) total += Movie_Memory(records[r]->Movie_Tab[m]);
  return total;
}

uint64_t hand_cleanup(Orvan_2D* node, unsigned short level) {
  uint64_t released = node->User_Cleanup(level);
  for (int i = 0; i < node->Child_Get_Nb(); ++i) released += hand_cleanup(node->Child_Get_Pt(i), level);
  return released;
}

// One pixel or line as the bar painter draws each: its own pen, selected and deleted.
void hand_line(HDC dc, COLORREF colour, int x_from, int y, int x_to) {
  Current_Color = colour;
  MoveToEx(dc, x_from, y, nullptr);
  HPEN pen = CreatePen(PS_SOLID, 0, colour);
  HGDIOBJ previous = SelectObject(dc, pen);
  LineTo(dc, x_to, y);
  SelectObject(dc, previous);
  DeleteObject(pen);
}

int segment_end(int length, int32_t value, int32_t scale) {
  return static_cast<int>(static_cast<float>(length * value) / static_cast<float>(scale));
}

}  // namespace

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

hostsim::Module& module() {
  static hostsim::Module loaded;
  if (!loaded.loaded()) {
    hostsim::reset();
    hostsim::gpu_none();
    hostsim::set_machine(MACHINE, MACHINE);
    const char* chosen = std::getenv("KESTRUM_BENCH_MODULE");
    std::string error;
    if (!loaded.load(chosen && *chosen ? chosen : KESTRUM_MODULE_PATH, error)) {
      std::fprintf(stderr, "cannot load the module: %s\n", error.c_str());
      std::exit(2);
    }
    loaded.Init();
    // The module's budget is the smaller of the RAM and the free address space that the
    // memory-status call reports; a 32-bit process is told both capped below 4 GiB.
    MEMORYSTATUS status{};
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    g_ram_mib = static_cast<int32_t>(std::min<uint64_t>(status.dwTotalPhys, status.dwAvailVirtual) >> 20);
  }
  return loaded;
}

int64_t use_host(int64_t nodes) {
  module();
  if (nodes == g_nodes) return g_exact_nodes;
  hostsim::reset();  // the module keeps its budget; the host starts empty
  hostsim::set_recording(false);
  hostsim::gpu_none();
  g_window = nullptr;
  const int64_t branches = std::max<int64_t>(1, nodes / (LEAVES + 1));
  const int64_t leaves = std::max<int64_t>(0, (nodes - 1) / branches - 1);
  for (int64_t b = 0; b < branches; ++b) {
    const std::string branch = "/b" + std::to_string(b);
    hostsim::add_node(branch, 4096);
    for (int64_t l = 0; l < leaves; ++l) hostsim::add_node(branch + "/" + std::to_string(l), 512);
  }
  for (uint32_t i = 0; i < IMAGES; ++i) hostsim::add_image(i / IMAGES_PER_FILE, 64, 64, 1 + i % 3, 1, 16, 1);
  for (int i = 0; i < 100; ++i) {
    hostsim::add_file3d({1000, std::nullopt, 2000});
    hostsim::add_tag3d({3000, 4000});
    hostsim::add_object3d("object" + std::to_string(i), 10000, 5000);
  }
  hostsim::set_undo_bytes(1 << 20);
  g_nodes = nodes;
  g_exact_nodes = 1 + branches * (1 + leaves);
  return g_exact_nodes;
}

void host_replaced() {
  g_nodes = -1;
  g_window = nullptr;
  g_bar_box = nullptr;
}

void open_panel() {
  hostsim::Module& m = module();
  if (!g_window) {
    int width = 0;
    const int height = m.Ctrl_Register(&width);
    g_window = hostsim::create_window(width, height);
    m.Ctrl_Create(g_window, width, height);
    m.Ctrl_Resize(g_window, width, height);
    g_bar_box = hostsim::widgets().at(2).object;  // the widgets in the module's order
  }
  m.Ctrl_Open();
  m.Ctrl_Show();
  m.Ctrl_Draw();
}

void close_panel() { module().Ctrl_Close(); }

uint64_t hand_measure(Tree_Walk walk) {
  const Host_Tables& t = tables();
  uint64_t images = DEFAULT_SHARE;
  Orvan_2D_File** files = *t.file_pt;
  for (uint32_t f = 0; f < *t.file_nb; ++f) {
    for (int32_t i = 0; i < files[f]->Image_Nb; ++i) {
      const Orvan_Image& image = *files[f]->Image_Tab[i];
      const uint32_t element = image.Sample_Bits / 8u * image.Sample_Number + 1u;
      const uint32_t product = element * image.Size_X * image.Size_Y * image.Size_Z * image.Size_T;
      images += static_cast<uint64_t>(int64_t{static_cast<int32_t>(product)}) + 2080;
    }
  }
  images += (walk ? walk : hand_tree)(*t.root_pt);
  const uint64_t undo = static_cast<uint64_t>(int64_t{Undo_Memory()});
  uint64_t geometry = hand_movies(*t.file3d_nb, *t.file3d_pt) + hand_movies(*t.tag_nb, *t.tag_pt);
  const unsigned short id = Iterator_Init(Host_Text("Kestrum: Memory_Compute_Geom"), nullptr);
  while (Orvan_3D* object = Iterator_Class_3D(id, 0x3FFF, nullptr, 0))
    geometry += object->User_Memory() + Arts_3D_Size(object);
  Iterator_End(id);
  g_images = images;
  g_undo = undo;
  g_geometry = geometry;
  return images + undo + geometry;
}

void hand_paint_ram_bar() {
  if (!g_bar_box) return;
  const Tools& box = *g_bar_box;
  const int x = box.X, y = box.Y, w = box.DX, h = box.DY;
  const int half = h / 2, r = (h - 4) / 2, m = r + 2, length = w - 2 * m;
  const int32_t scale = g_ram_mib;
  const int32_t a = static_cast<int32_t>(g_images >> 20);
  const int x1 = segment_end(length, a, scale);
  const int x2 = segment_end(length, a + static_cast<int32_t>(g_undo >> 20), scale);
  const int x3 = segment_end(length, a + static_cast<int32_t>((g_undo + g_geometry) >> 20), scale);

  if (!Critical_Flag) {
    InitializeCriticalSection(&Critical);
    Critical_Flag = 1;
  }
  EnterCriticalSection(&Critical);
  HDC dc = GetDC(box.Window);
  Y_DC = dc;
  Y_Window = box.Window;
  RECT client{0, 0, 0, 0};
  GetClientRect(box.Window, &client);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, client.right, client.bottom, nullptr);
  SetViewportExtEx(dc, client.right, -client.bottom, nullptr);
  SetViewportOrgEx(dc, 0, client.bottom - 1, nullptr);
  for (int row = 3; row <= h - 3; ++row)
    for (int i = m; i <= h - 3; ++i)
      if ((half - i) * (half - i) + (half - row) * (half - row) < r * r) hand_line(dc, 0xAA00AA, x + i + x3, y + row, x + i + x3 + 1);
  for (int row = 3; row <= h - 3; ++row) {
    hand_line(dc, 0xAA00AA, x + m + x2, y + row, x + m + x3);
    hand_line(dc, 0xAAAA00, x + m + x1, y + row, x + m + x2);
    hand_line(dc, 0xAA0000, x + m, y + row, x + m + x1);
  }
  for (int row = 3; row <= h - 3; ++row)
    for (int i = 2; i <= m - 1; ++i)
      if ((half - i) * (half - i) + (half - row) * (half - row) < r * r) hand_line(dc, 0xAA0000, x + i, y + row, x + i + 1);
  ReleaseDC(box.Window, dc);
  Y_DC = nullptr;
  Y_Window = nullptr;
  LeaveCriticalSection(&Critical);
}

namespace {

// Which pixels of the panel's window `paint` covers, painting over the window filled with
// a colour that no pixel of the bar has.
std::vector<bool> covered_by(const std::function<void()>& paint) {
  constexpr uint32_t UNPAINTED = 0x00FFFFFF;  // no shade of the bar is white
  hostsim::fill_window(g_window, UNPAINTED);
  paint();
  const int width = hostsim::window_width(g_window), height = hostsim::window_height(g_window);
  std::vector<bool> covered;
  for (int row = 0; row < height; ++row)
    for (int column = 0; column < width; ++column)
      covered.push_back(hostsim::device_pixel(g_window, column, row) != UNPAINTED);
  return covered;
}

}  // namespace

bool hand_paint_covers_module_pixels(const std::function<void()>& module_paint) {
  if (!g_window) return false;
  const std::vector<bool> by_module = covered_by(module_paint);
  return std::count(by_module.begin(), by_module.end(), true) > 0 && covered_by(hand_paint_ram_bar) == by_module;
}

void hand_clear_images() {
  Orvan_2D* root = *tables().root_pt;
  for (int level = 15; level >= 5; --level) hand_cleanup(root, static_cast<unsigned short>(level));
  Fct_Update(MEMORY_UPDATE, nullptr, nullptr, nullptr);
  Fct_Redraw(0x0FFFFFFF, nullptr, nullptr, nullptr);
}

double Pair_Timing::run(const std::function<void()>& module_side, const std::function<void()>& hand_side) {
  const auto timed = [](const std::function<void()>& side) {
    const auto start = std::chrono::steady_clock::now();
    side();
    return seconds_since(start);
  };
  double module_time, hand_time;
  if (module_first_) {
    module_time = timed(module_side);
    hand_time = timed(hand_side);
  } else {
    hand_time = timed(hand_side);
    module_time = timed(module_side);
  }
  module_first_ = !module_first_;
  module_times_.push_back(module_time);
  hand_times_.push_back(hand_time);
  ratios_.push_back(module_time / hand_time);
  return module_time;
}

}  // namespace bench
