// The usage bars, pixel by pixel, against what the budget and the figures give: the RAM
// bar's track picture, and the shaded capsule that the update cycle paints when the panel
// opens and is drawn.
#include <limits>

#include "module_fixture.h"

namespace {

// Pixel words 0x00RRGGBB of the bar's colours at shade g.
uint32_t blue(int g) { return static_cast<uint32_t>(g); }
uint32_t cyan(int g) { return static_cast<uint32_t>(g << 8 | g); }
uint32_t magenta(int g) { return static_cast<uint32_t>(g << 16 | g); }

constexpr uint32_t GREEN_ZONE = 0x78B478, YELLOW_ZONE = 0xB4B478, RED_ZONE = 0xB47878, MARK = 0x000000;

// Body shades of rows 3 to 13 of a 16-pixel bar.
constexpr int BODY[11] = {20, 20, 62, 103, 139, 170, 196, 217, 232, 240, 235};

class Bar_Test : public Module_Test {
 protected:
  // Host data whose figures reach the RAM bar as (DB + Default) >> 20, Undo >> 20 and
  // Geom >> 20 MiB; `extra` bytes are added to the images below a whole MiB.
  static void set_usage(uint64_t images_mib, int32_t undo_mib, uint64_t geom_mib, uint64_t extra = 0) {
    hostsim::add_node("/", (images_mib ? images_mib * MIB - DEFAULT_SHARE : 0) + extra);
    hostsim::set_undo_bytes(undo_mib * static_cast<int32_t>(MIB));
    if (geom_mib) hostsim::add_object3d("cube", geom_mib * MIB, 0);
  }
  // Opens, shows and draws the panel, as a host does.
  void show_panel() { module.Ctrl_Open(); module.Ctrl_Show(); module.Ctrl_Draw(); }
  // The panel window's pixel at a column and row of the box at (5, 5).
  uint32_t at(int column, int row) const { return hostsim::pixel(window, 5 + column, 5 + row); }
  static uint32_t track(int column, int row = 7) { return widget(BAR).Picture[row * widget(BAR).DX + column]; }
};

// Green to the lower mark at xL + 12, yellow to the upper one at xU + 12, red beyond,
// where xL and xU are the thresholds' places on the 422-pixel box.
TEST_F(Bar_Test, TrackPictureOfTheBudget) {
  // No budget, no zones; and no bar is drawn over the box.
  start(0);
  for (int c = 0; c < 422; ++c) ASSERT_EQ(track(c, 5), 0xAAAAAAu) << c;
  set_usage(300, 100, 50);
  show_panel();
  EXPECT_EQ(hostsim::pens_created(), 0u);
  EXPECT_FALSE(hostsim::lock_initialized(&Critical));
  EXPECT_EQ(at(20, 8), 0xAAAAAAu);
  module.Ctrl_Close();

  // High = 838,860 - 102,400: xL = 296; Max = 1 MiB - 102,400: xU = 380.
  start(MIB);
  for (int c = 0; c < 422; ++c)
    ASSERT_EQ(track(c), c < 308 ? GREEN_ZONE : c == 308 || c == 392 ? MARK : c < 392 ? YELLOW_ZONE : RED_ZONE) << c;

  start(2 * GIB);  // xL = 337, xU = 421: the upper mark lies beyond the last column
  EXPECT_EQ(widget(BAR).Picture, widget(BAR).Image);
  ASSERT_EQ(widget(BAR).DX, 422);
  ASSERT_EQ(widget(BAR).DY, 16);
  for (int row = 0; row < 16; ++row)
    for (int c = 0; c < 422; ++c) ASSERT_EQ(track(c, row), c < 349 ? GREEN_ZONE : c == 349 ? MARK : YELLOW_ZONE) << c;
  // Laid out while the panel is closed: the track is built but not drawn.
  EXPECT_EQ(at(100, 8), hostsim::WINDOW_BACKGROUND);
  // Laid out again while open: drawn, inside the box's frame.
  module.Ctrl_Open();
  hostsim::clear_events();
  module.Ctrl_Resize(window, 432, 94);
  EXPECT_EQ(count(draws(), "Draw null"), 1);
  EXPECT_EQ(at(100, 8), GREEN_ZONE);
  EXPECT_EQ(at(349, 8), MARK);
  EXPECT_EQ(at(360, 8), YELLOW_ZONE);
}

TEST_F(Bar_Test, ThreeStackedSegmentsWithTheirShades) {
  start(2 * GIB);
  set_usage(300, 100, 50);
  show_panel();
  // Ctrl_Open and Ctrl_Draw each paint the bar once: 142 pens each, none left.
  EXPECT_EQ(hostsim::pens_created(), 2u * 142u);
  EXPECT_EQ(hostsim::live_pens(), 0);
  EXPECT_EQ(hostsim::live_dcs(), 0);
  EXPECT_EQ(hostsim::lock_depth(&Critical), 0);
  EXPECT_EQ(hostsim::lock_entries(&Critical), 2u);
  // L = 406: x1 = 59, x2 = 79, x3 = 89.
  for (int row = 3; row <= 13; ++row)
    for (int c = 8; c <= 96; ++c) {
      const int g = BODY[row - 3];
      ASSERT_EQ(at(c, row), c <= 66 ? blue(g) : c <= 86 ? cyan(g) : magenta(g)) << row << "," << c;
    }
  // The right cap is magenta, columns 97 to 102, its centre pixel shade 170; then the track.
  EXPECT_EQ(at(97, 8), magenta(170));
  for (int c = 97; c <= 102; ++c) {
    const uint32_t p = at(c, 8);
    EXPECT_TRUE((p & 0x00FF00) == 0 && (p >> 16) == (p & 0xFF) && p != 0) << c;
  }
  EXPECT_EQ(at(103, 8), GREEN_ZONE);
  // The left cap is blue from column 3; column 7 at the middle row has shade 181.
  EXPECT_EQ(at(7, 8), blue(181));
  EXPECT_EQ(at(3, 8) & 0xFFFF00, 0u);
  EXPECT_NE(at(3, 8), at(2, 8));
  // Rows 2 and 14 keep the box's face (track, and the frame's top line).
  EXPECT_EQ(at(50, 2), GREEN_ZONE);
  EXPECT_EQ(at(50, 14), at(200, 14));
}

TEST_F(Bar_Test, NothingInUseIsABlueDiscAndTheScaleFillsTheTrack) {
  start(2 * GIB);
  show_panel();
  for (int row = 3; row <= 13; ++row)
    for (int c = 2; c < 420; ++c) {  // inside the box's 2-pixel frame
      const uint32_t p = at(c, row);
      const bool painted = p != GREEN_ZONE && p != YELLOW_ZONE && p != MARK;
      EXPECT_TRUE(!painted || (p & 0xFFFF00) == 0) << "not blue at " << c << "," << row;
      EXPECT_TRUE(row != 8 || painted == (c >= 3 && c <= 13)) << c;
    }
  EXPECT_EQ(at(8, 8), blue(170));  // the disc's centre: the right cap's first column

  set_usage(2048, 0, 0);  // reaches Memory_Max: a purge runs, the bar shows what was measured
  module.Update_A(MEMORY);
  for (int c = 8; c <= 414; ++c) ASSERT_EQ(at(c, 8), blue(170)) << c;  // x3 = L: the right cap from 414 ...
  EXPECT_EQ(at(419, 8) & 0xFFFF00, 0u);                                 // ... to W - 3
  EXPECT_NE(at(419, 8), YELLOW_ZONE);
  EXPECT_EQ(at(420, 8), at(420, 1));  // column 420 is the frame's, untouched
}

TEST_F(Bar_Test, LockReleasedWhenTheDeviceContextFails) {
  start(2 * GIB);
  set_usage(300, 100, 50);
  hostsim::fail_next_get_dc();
  module.Ctrl_Open();
  EXPECT_EQ(texts(11), (Strings{"Y_setup(Memory_Bar_Redraw) GetDC failed", "Y_release() Failed!"}));
  EXPECT_TRUE(hostsim::lock_initialized(&Critical));
  EXPECT_EQ(Critical_Flag, 1);
  EXPECT_EQ(hostsim::lock_entries(&Critical), 1u);
  EXPECT_EQ(hostsim::lock_depth(&Critical), 0);
  EXPECT_EQ(hostsim::lock_misuses(), 0u);
  EXPECT_EQ(Y_DC, nullptr);
  EXPECT_EQ(Y_Window, nullptr);
  EXPECT_EQ(hostsim::live_pens(), 0);
  EXPECT_EQ(at(20, 8), hostsim::WINDOW_BACKGROUND);  // nothing painted

  hostsim::clear_events();
  hostsim::fail_next_release_dc();
  module.Update_A(PANEL_DRAW);
  EXPECT_EQ(texts(11), Strings{"Y_release() Failed!"});
  EXPECT_EQ(hostsim::lock_depth(&Critical), 0);
  EXPECT_EQ(hostsim::lock_entries(&Critical), 2u);
  EXPECT_EQ(at(20, 8), blue(170));  // this time the bar was painted
}

// The GPU bar's box at (5, 5) under the RAM bar's at (5, 25): a third segment of the
// memory in use against the total, a blue disc when none is, and the box drawn first
// when less is in use.
TEST_F(Bar_Test, GpuBarShowsTheMemoryInUse) {
  start(2 * GIB, 3 * GIB);
  set_usage(300, 100, 50);
  hostsim::gpu_present(3 * GIB, 1152 * MIB);  // Init asked for the total only
  char name[] = "$MEMORY_CUDA_USAGE";
  const auto* used = static_cast<const uint64_t*>(module.Variable_Get(name, nullptr, nullptr));
  EXPECT_EQ(*used, 0u);
  module.Ctrl_Open();
  module.Ctrl_Show();
  EXPECT_EQ(*used, 1152 * MIB);
  hostsim::clear_events();
  module.Ctrl_Draw();
  EXPECT_EQ(draws().at(2), "Draw GPU   (3221225472)");  // its box drawn third
  const int end = bar_end(1152, 3072);
  EXPECT_EQ(bar_pixel(0), MAGENTA);
  EXPECT_EQ(bar_pixel(end - 1), MAGENTA);
  EXPECT_NE(bar_pixel(end + 8), MAGENTA);
  EXPECT_EQ(hostsim::pixel(window, 5 + 80, 25 + 8), cyan(170));  // the RAM bar above it

  hostsim::gpu_present(3 * GIB, 384 * MIB);
  hostsim::clear_events();
  update();
  EXPECT_EQ(*used, 384 * MIB);
  EXPECT_EQ(calls_among({"Draw GPU"}).size(), 2u);  // the cycle's erase, then the painter's
  EXPECT_NE(bar_pixel(end - 1), MAGENTA);
  hostsim::gpu_present(3 * GIB, 0);
  update();
  EXPECT_EQ(at(8, 8), blue(170));
  EXPECT_EQ(at(13, 8) & 0xFFFF00, 0u);
  EXPECT_NE(at(14, 8) & 0xFFFF00, 0u);
}

// A runtime reports a figure that its size_t cannot carry as the largest size_t, "at
// least this much": in a 32-bit process a GPU of 8 GiB with 5 GiB free reads 4 GiB - 1
// twice. A capped total is shown as it reads; the usage is the total less an exact free
// figure, and none at all when the free figure is capped. A 64-bit process checks the
// same rule with figures at SIZE_MAX, whose MiB the painter reads as a negative scale:
// no bar.
TEST_F(Bar_Test, CappedGpuFiguresInventNoUsage) {
  const uint64_t cap = std::numeric_limits<size_t>::max();
  const bool narrow = sizeof(size_t) == 4;
  const uint64_t total = narrow ? 8 * GIB : cap;
  const uint64_t capped_free = narrow ? 5 * GIB : cap;
  const std::string cap_text = std::to_string(static_cast<int64_t>(cap));  // as Int_2_Byte writes it
  hostsim::gpu_present(total, total - capped_free);
  init();
  make_panel();
  char available[] = "$MEMORY_CUDA_AVAILABLE";
  char usage[] = "$MEMORY_CUDA_USAGE";
  EXPECT_EQ(*static_cast<const uint64_t*>(module.Variable_Get(available, nullptr, nullptr)), cap);
  const auto* used = static_cast<const uint64_t*>(module.Variable_Get(usage, nullptr, nullptr));
  module.Ctrl_Open();
  EXPECT_EQ(texts(4), (Strings{"Orvan-5 can access \x01" + std::to_string(RAM) + "\x02 of RAM memory",
                               "Orvan-5 can access \x01" + cap_text + "\x02 of GPU memory"}));
  EXPECT_EQ(*used, 0u);
  module.Ctrl_Show();
  hostsim::clear_events();
  module.Ctrl_Draw();
  EXPECT_EQ(draws().at(2), "Draw GPU   (" + cap_text + ")");
  EXPECT_NE(bar_pixel(0), MAGENTA);

  // 1 GiB free, exact: the least in use (3 GiB - 1 of the 7 GiB in a 32-bit process).
  hostsim::gpu_present(total, total - GIB);
  update();
  EXPECT_EQ(*used, cap - GIB);
  if (narrow) {
    const int end = bar_end(3071, 4095);
    EXPECT_EQ(bar_pixel(end - 1), MAGENTA);
    EXPECT_NE(bar_pixel(end + 8), MAGENTA);
  } else {
    EXPECT_NE(bar_pixel(0), MAGENTA);  // the low 32 bits of its MiB read negative: no bar
    // A total of 2^32 + 1000 MiB scales as 1000 MiB, and 2^31 + 100 MiB in use wraps in
    // the 32-bit product: 406 * (2^31 + 100) mod 2^32 / 1000 = 40.6, so 40 pixels.
    hostsim::gpu_present((uint64_t{1} << 52) + 1000 * MIB, (uint64_t{1} << 51) + 100 * MIB);
    ASSERT_EQ(module.Init(), 1);
    update();
    EXPECT_EQ(bar_pixel(39), MAGENTA);
    EXPECT_NE(bar_pixel(40 + 8), MAGENTA);
  }
  hostsim::gpu_present(total, total - capped_free);
  update();
  EXPECT_EQ(*used, 0u);
  EXPECT_NE(bar_pixel(0), MAGENTA);
}

}  // namespace
