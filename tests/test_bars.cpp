// The usage bars, pixel by pixel: the RAM bar's track picture from the budget, and the
// shaded capsule that the update cycle paints when the panel opens and is drawn.
#include "hostsim/db2d.h"
#include "hostsim/db3d.h"
#include "hostsim/undo.h"
#include "panel_fixture.h"

namespace {

// Pixel words 0x00RRGGBB of the bar's colours at shade g.
uint32_t blue(int g) { return static_cast<uint32_t>(g); }
uint32_t cyan(int g) { return static_cast<uint32_t>(g << 8 | g); }
uint32_t magenta(int g) { return static_cast<uint32_t>(g << 16 | g); }

constexpr uint32_t GREEN_ZONE = 0x78B478;
constexpr uint32_t YELLOW_ZONE = 0xB4B478;
constexpr uint32_t RED_ZONE = 0xB47878;
constexpr uint32_t MARK = 0x000000;

// Body shades of rows 3 to 13 of a 16-pixel bar.
constexpr int BODY[11] = {20, 20, 62, 103, 139, 170, 196, 217, 232, 240, 235};

}  // namespace

class Bar_Test : public Panel_Test {
 protected:
  // Host data whose figures reach the RAM bar as (DB + Default) >> 20, Undo >> 20 and
  // Geom >> 20 MiB; `extra` bytes are added to the images below a whole MiB. With no
  // image MiB the images hold nothing and the default share alone stays below 1 MiB.
  void set_usage(uint64_t images_mib, int32_t undo_mib, uint64_t geom_mib, uint64_t extra = 0) {
    hostsim::add_node("/", (images_mib ? images_mib * MIB - DEFAULT_SHARE : 0) + extra);
    hostsim::set_undo_bytes(undo_mib * static_cast<int32_t>(MIB));
    if (geom_mib) hostsim::add_object3d("cube", geom_mib * MIB, 0);
  }

  // Opens, shows and draws the panel, as a host does.
  void show_panel() {
    module.Ctrl_Open();
    module.Ctrl_Show();
    module.Ctrl_Draw();
  }

  // The box's track picture, row `row` (every row is the same).
  static std::vector<uint32_t> picture_row(const Tools& box, int row) {
    std::vector<uint32_t> out;
    for (int c = 0; c < box.DX; ++c) out.push_back(box.Picture[row * box.DX + c]);
    return out;
  }

  // The panel window's pixel at a column and row of the RAM bar's box, which lies at
  // (5, 5) without a GPU.
  HWND window = nullptr;
  uint32_t at(int column, int row) const { return hostsim::pixel(window, 5 + column, 5 + row); }
};

TEST_F(Bar_Test, TrackPictureOfATwoGiBBudget) {
  start(2 * GIB);
  window = make_panel();
  const Tools& bar = widget(BAR);
  ASSERT_NE(bar.Picture, nullptr);
  EXPECT_EQ(bar.Picture, bar.Image);
  ASSERT_EQ(bar.DX, 422);
  ASSERT_EQ(bar.DY, 16);
  // xL = 337, xU = 421, marks at xL + 12 = 349 and xU + 12 = 433 (beyond the last column).
  for (int row = 0; row < 16; ++row) {
    const std::vector<uint32_t> line = picture_row(bar, row);
    for (int c = 0; c <= 348; ++c) ASSERT_EQ(line[c], GREEN_ZONE) << row << "," << c;
    EXPECT_EQ(line[349], MARK);
    for (int c = 350; c <= 421; ++c) ASSERT_EQ(line[c], YELLOW_ZONE) << row << "," << c;
  }
  // Laid out while the panel is closed: the track is built but not drawn.
  EXPECT_EQ(count_calls("Draw null"), 0);
  EXPECT_EQ(hostsim::pixel(window, 5 + 100, 5 + 8), hostsim::WINDOW_BACKGROUND);
}

TEST_F(Bar_Test, TrackPictureShowsEveryZoneOnASmallBudget) {
  start(1 * MIB);
  window = make_panel();
  // High = 838,860 - 102,400: xL = 296; Max = 1 MiB - 102,400: xU = 380; marks at +12.
  const std::vector<uint32_t> line = picture_row(widget(BAR), 7);
  for (int c = 0; c <= 307; ++c) ASSERT_EQ(line[c], GREEN_ZONE) << c;
  EXPECT_EQ(line[308], MARK);
  for (int c = 309; c <= 391; ++c) ASSERT_EQ(line[c], YELLOW_ZONE) << c;
  EXPECT_EQ(line[392], MARK);
  for (int c = 393; c <= 421; ++c) ASSERT_EQ(line[c], RED_ZONE) << c;
}

TEST_F(Bar_Test, TrackIsDrawnWhenLaidOutWhileOpen) {
  start(2 * GIB);
  window = make_panel();
  module.Ctrl_Open();
  hostsim::clear_events();
  module.Ctrl_Resize(window, 432, 94);
  EXPECT_EQ(count_calls("Draw null"), 1);
  // Inside the box's frame the track shows: green before the mark, black on it.
  EXPECT_EQ(at(100, 8), GREEN_ZONE);
  EXPECT_EQ(at(349, 8), MARK);
  EXPECT_EQ(at(360, 8), YELLOW_ZONE);
}

TEST_F(Bar_Test, ThreeStackedSegmentsWithTheirShades) {
  start(2 * GIB);
  window = make_panel();
  set_usage(300, 100, 50);
  const uint64_t pens_before = hostsim::pens_created();
  show_panel();
  // Ctrl_Open and Ctrl_Draw each paint the bar once: 142 pens each, none left.
  EXPECT_EQ(hostsim::pens_created() - pens_before, 2u * 142u);
  EXPECT_EQ(hostsim::live_pens(), 0);
  EXPECT_EQ(hostsim::live_dcs(), 0);
  EXPECT_EQ(hostsim::lock_depth(&Critical), 0);
  EXPECT_EQ(hostsim::lock_entries(&Critical), 2u);

  // L = 406: x1 = 59, x2 = 79, x3 = 89.
  for (int row = 3; row <= 13; ++row) {
    const int g = BODY[row - 3];
    for (int c = 8; c <= 66; ++c) ASSERT_EQ(at(c, row), blue(g)) << row << "," << c;
    for (int c = 67; c <= 86; ++c) ASSERT_EQ(at(c, row), cyan(g)) << row << "," << c;
    for (int c = 87; c <= 96; ++c) ASSERT_EQ(at(c, row), magenta(g)) << row << "," << c;
  }
  // The right cap is magenta, columns 97 to 102; its centre pixel has shade 170.
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

TEST_F(Bar_Test, NothingInUseIsABlueDisc) {
  start(2 * GIB);
  window = make_panel();
  set_usage(0, 0, 0);
  show_panel();
  for (int row = 3; row <= 13; ++row)
    for (int c = 2; c < 420; ++c) {  // inside the box's 2-pixel frame
      const uint32_t p = at(c, row);
      const bool painted = p != GREEN_ZONE && p != YELLOW_ZONE && p != MARK;
      if (painted) {
        EXPECT_EQ(p & 0xFFFF00, 0u) << "not blue at " << c << "," << row;
      }
      if (row == 8) {
        EXPECT_EQ(painted, c >= 3 && c <= 13) << c;
      }
    }
  EXPECT_EQ(at(8, 8), blue(170));  // the disc's centre: the right cap's first column
}

TEST_F(Bar_Test, FirstSegmentAtTheScaleFillsTheTrack) {
  start(2 * GIB);
  window = make_panel();
  set_usage(2048, 0, 0);  // reaches Memory_Max: a purge runs, the bar shows what was measured
  show_panel();
  for (int c = 8; c <= 413; ++c) ASSERT_EQ(at(c, 8), blue(170)) << c;
  EXPECT_EQ(at(414, 8), blue(170));  // x3 = L = 406: the right cap from 414 ...
  EXPECT_EQ(at(419, 8) & 0xFFFF00, 0u);  // ... to W - 3
  EXPECT_NE(at(419, 8), YELLOW_ZONE);
  EXPECT_EQ(at(420, 8), at(420, 1));  // column 420 is the frame's, untouched
}

TEST_F(Bar_Test, BoxErasedOnlyWhenTheTotalShrank) {
  start(2 * GIB);
  window = make_panel();
  set_usage(300, 100, 50, 10);
  show_panel();
  ASSERT_EQ(at(95, 8), magenta(170));

  // 450 MiB down to 390 MiB: the cycle and the painter both draw the box first.
  hostsim::set_undo_bytes(40 * static_cast<int32_t>(MIB));
  hostsim::clear_events();
  module.Update_A(0x40000000);
  EXPECT_EQ(count_calls("Draw null"), 2);
  EXPECT_EQ(at(95, 8), GREEN_ZONE);  // the old bar is gone beyond the new right cap
  EXPECT_EQ(at(77 + 8, 8), magenta(170));

  // Growing paints over the old bar without erasing.
  hostsim::set_undo_bytes(100 * static_cast<int32_t>(MIB));
  hostsim::clear_events();
  module.Update_A(0x40000000);
  EXPECT_EQ(count_calls("Draw null"), 0);
  EXPECT_EQ(at(95, 8), magenta(170));

  // One byte less: the same whole MiB, so only the cycle draws the box; the painter not.
  hostsim::add_node("/", 300 * MIB - DEFAULT_SHARE + 9);
  hostsim::clear_events();
  module.Update_A(0x40000000);
  EXPECT_EQ(count_calls("Draw null"), 1);
}

TEST_F(Bar_Test, LockReleasedWhenTheDeviceContextFails) {
  start(2 * GIB);
  window = make_panel();
  set_usage(300, 100, 50);
  hostsim::fail_next_get_dc();
  module.Ctrl_Open();
  EXPECT_TRUE(has_message(11, "Y_setup(Memory_Bar_Redraw) GetDC failed"));
  EXPECT_TRUE(has_message(11, "Y_release() Failed!"));  // nothing to give back
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
  module.Update_A(0x2000000000000080);
  EXPECT_FALSE(has_message(11, "Y_setup(Memory_Bar_Redraw) GetDC failed"));
  EXPECT_TRUE(has_message(11, "Y_release() Failed!"));
  EXPECT_EQ(hostsim::lock_depth(&Critical), 0);
  EXPECT_EQ(hostsim::lock_entries(&Critical), 2u);
  EXPECT_EQ(at(20, 8), blue(170));  // this time the bar was painted
}

TEST_F(Bar_Test, ZeroScaleDrawsNothing) {
  start(0);
  window = make_panel();
  const Tools& bar = widget(BAR);
  ASSERT_NE(bar.Picture, nullptr);
  for (uint32_t p : picture_row(bar, 5)) ASSERT_EQ(p, 0xAAAAAAu);  // no zones without a budget
  set_usage(300, 100, 50);
  show_panel();
  EXPECT_EQ(hostsim::pens_created(), 0u);
  EXPECT_FALSE(hostsim::lock_initialized(&Critical));
  EXPECT_EQ(at(20, 8), 0xAAAAAAu);  // the box drawn by Ctrl_Draw, no bar over it
}

TEST_F(Bar_Test, GpuBarWithoutUsageIsABlueDisc) {
  start(2 * GIB, 24 * GIB);
  window = make_panel();
  set_usage(300, 100, 50);
  show_panel();
  // Box_GPU at (5, 5): the blue disc at its start; Box_Bar above it at (5, 25).
  EXPECT_EQ(hostsim::pixel(window, 5 + 8, 5 + 8), blue(170));
  EXPECT_EQ(hostsim::pixel(window, 5 + 13, 5 + 8) & 0xFFFF00, 0u);
  EXPECT_NE(hostsim::pixel(window, 5 + 14, 5 + 8) & 0xFFFF00, 0u);
  EXPECT_EQ(hostsim::pixel(window, 5 + 80, 25 + 8), cyan(170));
}
