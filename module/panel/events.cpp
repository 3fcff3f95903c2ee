// The panel's events: opening, closing, showing, hiding and drawing it, and the pointer's
// clicks, moves, departure and help requests over its three buttons and its bar.
#include "accounting/byte_text.h"
#include "accounting/memory_state.h"
#include "accounting/requested_cleanups.h"
#include "accounting/update_cycle.h"
#include "accounting/update_words.h"
#include "panel/panel_state.h"
#include "plugin/kestrum.h"
#include "plugin/messages.h"

namespace kestrum {

int32_t Flag_Open = 0;
uint8_t Flag_Visible = 0;
uint8_t Flag_Inside = 0;

namespace {

constexpr char HELP_PAGE[] = "kestrum";
constexpr int HELP_SELECT = 4;  // the Select word meaning "the widget under the pointer"

// Shows a button pressed for exactly as long as its work runs.
void Press(Buttons& button, void (*work)()) {
  button.Pressed = 1;
  button.Adjust();
  work();
  button.Pressed = 0;
  button.Adjust();
}

// The help entry for what lies under the pointer, or null for the page itself.
const char* Help_Entry() {
  if (Button_Image.Select(HELP_SELECT)) return "ima";
  if (Button_Undo.Select(HELP_SELECT)) return "undo";
  if (Button_Geom.Select(HELP_SELECT)) return "geom";
  if (Box_Bar.Select(HELP_SELECT)) return "bar";
  return nullptr;
}

}  // namespace
}  // namespace kestrum

using namespace kestrum;

int Ctrl_Open(void) {
  KESTRUM_MESSAGE(MSG_TRACE_ENTRY, "Kestrum: Ctrl_Open()");
  Flag_Open = 1;
  KESTRUM_MESSAGE(MSG_USER, "Orvan-5 can access \x01%s\x02 of RAM memory", Byte_Text(Memory_RAM));
  if (Memory_CUDA_Available != 0)
    KESTRUM_MESSAGE(MSG_USER, "Orvan-5 can access \x01%s\x02 of GPU memory", Byte_Text(Memory_CUDA_Available));
  Ctrl_Update(UPDATE_MEMORY);
  return 1;
}

int Ctrl_Close(void) {
  KESTRUM_MESSAGE(MSG_TRACE_ENTRY, "Kestrum: Ctrl_Close()");
  Flag_Open = 0;
  return 1;
}

// Show and hide end on a window call and have no result of their own; like every
// entry point that acts, they answer 1 once done.
int Ctrl_Show(void) {
  KESTRUM_MESSAGE(MSG_TRACE_ENTRY, "Kestrum: Ctrl_Show()");
  Flag_Visible = 1;
  EnableWindow(Box_Title.Window, TRUE);
  ShowWindow(Box_Title.Window, SW_SHOW);
  BringWindowToTop(Box_Title.Window);
  return 1;
}

// Hiding only disables the panel's window; the host decides whether it stays on screen.
int Ctrl_Hide(void) {
  KESTRUM_MESSAGE(MSG_TRACE_ENTRY, "Kestrum: Ctrl_Hide()");
  Flag_Visible = 0;
  EnableWindow(Box_Title.Window, FALSE);
  return 1;
}

int Ctrl_Draw(void) {
  KESTRUM_MESSAGE(MSG_TRACE_ENTRY, "Kestrum: Ctrl_Draw()");
  if (!Flag_Open || !Flag_Visible) return 1;
  Box_Title.Draw();
  Box_Bar.Draw();
  if (Memory_CUDA_Available != 0) Box_GPU.Draw();
  Box_Image.Draw();
  Label_Image.Draw();
  Button_Image.Draw();
  Box_Undo.Draw();
  Label_Undo.Draw();
  Button_Undo.Draw();
  Box_Geom.Draw();
  Label_Geom.Draw();
  Button_Geom.Draw();
  // The bars go over their freshly drawn boxes, from the stored figures.
  Ctrl_Update(UPDATE_PANEL_DRAW);
  return 1;
}

int Ctrl_Query(void) {
  KESTRUM_MESSAGE(MSG_TRACE_ENTRY, "Kestrum: Ctrl_Query()");
  return Flag_Open;
}

// The 16-bit positions are widened with their sign for the traces.
int Ctrl_Click(void*, int up_down, short x, short y) {
  KESTRUM_MESSAGE(MSG_TRACE_ENTRY, "Kestrum: Ctrl_Click(up_down:%04X pos:%dx%d)",
          static_cast<unsigned int>(up_down), static_cast<int>(x), static_cast<int>(y));
  if (up_down == 0) return 1;
  // Each button is asked in turn, whatever the earlier ones answered.
  if (Button_Image.Select(up_down)) Press(Button_Image, Clear_Images);
  if (Button_Undo.Select(up_down)) Press(Button_Undo, Clear_Undo);
  if (Button_Geom.Select(up_down)) Press(Button_Geom, Clear_Geometry);
  return 1;
}

// The buttons follow the pointer through Select; what it answers is not needed here.
int Ctrl_Motion(void*, int up_down, short x, short y) {
  KESTRUM_MESSAGE(MSG_TRACE_ENTRY, "Kestrum: Ctrl_Motion(up_down:%04X pos:%dx%d)",
          static_cast<unsigned int>(up_down), static_cast<int>(x), static_cast<int>(y));
  Flag_Inside = 1;
  Button_Image.Select(up_down);
  Button_Undo.Select(up_down);
  Button_Geom.Select(up_down);
  return 1;
}

int Ctrl_Leave(void) {
  if (!Flag_Open || !Flag_Visible || !Flag_Inside) return 1;
  Flag_Inside = 0;
  Button_Image.Deselect();
  Button_Undo.Deselect();
  Button_Geom.Deselect();
  return 1;
}

int Ctrl_Help(void*, int key, short x, short y) {
  KESTRUM_MESSAGE(MSG_TRACE_ENTRY, "Kestrum: Ctrl_Help(key:%04X pos:%dx%d)", static_cast<unsigned int>(key),
          static_cast<int>(x), static_cast<int>(y));
  Fct_Help(Host_Text(HELP_PAGE), Host_Text(Help_Entry()));
  return 1;
}

int Ctrl_Scroll(void*, int value) {
  KESTRUM_MESSAGE(MSG_TRACE_ENTRY, "Kestrum: Ctrl_Scroll(val=%d)", value);
  return 1;
}
