// The host's windows, drawing calls and widget toolkit, which the panel's pixel tests
// rely on: lines that cover their start and not their end, the y-upward mapping, clipping,
// pen and context bookkeeping, and the toolkit's Select, records and picture buffer.
#include <gtest/gtest.h>

#include "host/widget_toolkit.h"
#include "hostsim/events.h"
#include "hostsim/reset.h"
#include "hostsim/toolkit.h"
#include "hostsim/windows.h"

namespace {

class Windows_Model : public testing::Test {
 protected:
  void SetUp() override { hostsim::reset(); }

  // A context on `window` with the panel's mapping: origin bottom-left, y upward.
  static HDC upward_dc(HWND window) {
    HDC dc = GetDC(window);
    const int w = hostsim::window_width(window), h = hostsim::window_height(window);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, w, h, nullptr);
    SetViewportExtEx(dc, w, -h, nullptr);
    SetViewportOrgEx(dc, 0, h - 1, nullptr);
    return dc;
  }

  static void line(HDC dc, COLORREF colour, int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0, nullptr);
    HPEN pen = CreatePen(PS_SOLID, 0, colour);
    HGDIOBJ previous = SelectObject(dc, pen);
    LineTo(dc, x1, y1);
    SelectObject(dc, previous);
    EXPECT_TRUE(DeleteObject(pen));
  }
};

constexpr uint32_t BG = hostsim::WINDOW_BACKGROUND;

TEST_F(Windows_Model, LinesCoverTheirStartNotTheirEndInWindowCoordinates) {
  HWND window = hostsim::create_window(20, 10);
  HDC dc = upward_dc(window);
  line(dc, RGB(255, 0, 0), 2, 0, 6, 0);   // bottom row, rightward
  line(dc, RGB(0, 255, 0), 9, 9, 5, 9);   // top row, leftward
  line(dc, RGB(0, 0, 255), 12, 1, 12, 4);  // upward
  line(dc, RGB(1, 2, 3), 15, 5, 15, 5);   // empty: nothing
  for (int x = 0; x < 20; ++x) {
    EXPECT_EQ(hostsim::pixel(window, x, 0), x >= 2 && x <= 5 ? 0xFF0000u : BG) << x;
    EXPECT_EQ(hostsim::pixel(window, x, 9), x >= 6 && x <= 9 ? 0x00FF00u : BG) << x;
  }
  for (int y = 0; y < 10; ++y) EXPECT_EQ(hostsim::pixel(window, 12, y), y >= 1 && y <= 3 ? 0x0000FFu : BG) << y;
  EXPECT_EQ(hostsim::pixel(window, 15, 5), BG);
  // Window y 0 is the last device row.
  EXPECT_EQ(hostsim::device_pixel(window, 2, 9), 0xFF0000u);
  // A diagonal steps one pixel a column.
  line(dc, RGB(9, 9, 9), 0, 2, 3, 5);
  EXPECT_EQ(hostsim::pixel(window, 1, 3), 0x090909u);
  EXPECT_EQ(hostsim::pixel(window, 3, 5), BG);
  // Far outside the client area: clipped, and quick.
  line(dc, RGB(7, 7, 7), -2000000000, 4, 2000000000, 4);
  for (int x = 0; x < 20; ++x) EXPECT_EQ(hostsim::pixel(window, x, 4), 0x070707u);
  EXPECT_EQ(ReleaseDC(window, dc), 1);
  EXPECT_EQ(hostsim::live_dcs(), 0);
  EXPECT_EQ(hostsim::live_pens(), 0);
  EXPECT_EQ(hostsim::pens_created(), 6u);
}

TEST_F(Windows_Model, FailuresAndBookkeeping) {
  HWND window = hostsim::create_window(4, 4);
  EXPECT_EQ(GetDC(nullptr), nullptr);
  hostsim::fail_next_get_dc();
  EXPECT_EQ(GetDC(window), nullptr);
  HDC dc = GetDC(window);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(hostsim::live_dcs(), 1);
  // Drawing on no context does nothing.
  EXPECT_FALSE(MoveToEx(nullptr, 0, 0, nullptr));
  EXPECT_FALSE(LineTo(nullptr, 3, 0));
  // A pen still selected is not deleted.
  HPEN pen = CreatePen(PS_SOLID, 0, 0);
  HGDIOBJ stock = SelectObject(dc, pen);
  EXPECT_FALSE(DeleteObject(pen));
  SelectObject(dc, stock);
  EXPECT_TRUE(DeleteObject(pen));
  hostsim::fail_next_release_dc();
  EXPECT_EQ(ReleaseDC(window, dc), 0);
  EXPECT_EQ(hostsim::live_dcs(), 0);
  EXPECT_EQ(ReleaseDC(window, nullptr), 0);

  CRITICAL_SECTION section{};
  EnterCriticalSection(&section);  // never initialised
  EXPECT_EQ(hostsim::lock_misuses(), 1u);
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  EnterCriticalSection(&section);
  EXPECT_EQ(hostsim::lock_depth(&section), 2);
  LeaveCriticalSection(&section);
  LeaveCriticalSection(&section);
  EXPECT_EQ(hostsim::lock_depth(&section), 0);
  EXPECT_EQ(hostsim::lock_entries(&section), 2u);
  DeleteCriticalSection(&section);

  EXPECT_FALSE(EnableWindow(window, FALSE));
  EXPECT_FALSE(hostsim::window_enabled(window));
  ShowWindow(window, SW_SHOW);
  BringWindowToTop(window);
  EXPECT_TRUE(hostsim::window_shown(window));
  EXPECT_EQ(hostsim::window_raised(window), 1);
  EXPECT_EQ(hostsim::calls(), (std::vector<std::string>{"EnableWindow 0", "ShowWindow 5", "BringWindowToTop"}));
}

TEST_F(Windows_Model, ToolkitSelectRecordsAndPicture) {
  HWND window = hostsim::create_window(100, 50);
  Boxs box;
  Buttons press;
  Labels label;
  box.X = 10, box.Y = 10, box.DX = 30, box.DY = 20;
  box.Style = hostsim::STYLE_PICTURE;
  box.Border = 2;
  box.Init(window);
  press.X = 50, press.Y = 5, press.DX = 20, press.DY = 10;
  press.Text = "Go";
  press.Init(window);
  char text[8] = "12 MiB";
  label.Text = text;
  label.Init(window);

  hostsim::set_pointer(window, 10, 29);  // the box's top-left pixel
  EXPECT_EQ(box.Select(1), 1);
  EXPECT_EQ(box.Select(0), 0);
  hostsim::set_pointer(window, 40, 10);  // just right of it
  EXPECT_EQ(box.Select(1), 0);
  hostsim::set_pointer(nullptr, 10, 29);  // another window
  EXPECT_EQ(box.Select(1), 0);

  hostsim::set_pointer(window, 55, 7);
  EXPECT_EQ(press.Select(0), 0);  // a move without buttons: hover only
  EXPECT_TRUE(hostsim::hovered(&press));
  EXPECT_EQ(press.Select(4), 1);
  hostsim::set_pointer(window, 0, 0);
  EXPECT_EQ(press.Select(4), 0);
  EXPECT_TRUE(hostsim::hovered(&press));  // a help query leaves the look alone
  press.Deselect();
  EXPECT_FALSE(hostsim::hovered(&press));

  box.Set_Name("GPU   (%s)", "24 GiB");
  EXPECT_STREQ(box.Text, "GPU   (24 GiB)");
  box.Alloc_Graph_Normal(0x123456);
  ASSERT_NE(box.Image, nullptr);
  box.Picture = box.Image;
  box.Image[0] = 0x00FF00;  // top-left pixel of the picture
  hostsim::clear_events();
  box.Draw();
  text[0] = '7';
  label.Draw();
  press.Pressed = 1;
  press.Adjust();
  EXPECT_EQ(hostsim::calls(), (std::vector<std::string>{"Draw GPU   (24 GiB)", "Draw label 72 MiB", "Adjust Go 1"}));
  EXPECT_EQ(hostsim::pixel(window, 10, 29), 0x5A5A5Au);  // the well's frame over the picture
  box.Border = 0;
  box.Draw();
  EXPECT_EQ(hostsim::pixel(window, 10, 29), 0x00FF00u);  // row 0 of the picture is its top
  EXPECT_EQ(hostsim::pixel(window, 39, 10), 0x123456u);
}

}  // namespace
