// The panel's twelve widgets, its three value texts and its three state flags.
#pragma once

#include <cstdint>

#include "host/widget_toolkit.h"

namespace kestrum {

constexpr int VALUE_TEXT_SIZE = 40;

extern Boxs Box_Title, Box_GPU, Box_Bar;
extern Boxs Box_Image, Box_Undo, Box_Geom;
extern Labels Label_Image, Label_Undo, Label_Geom;
extern Buttons Button_Image, Button_Undo, Button_Geom;
extern char Text_Image[VALUE_TEXT_SIZE], Text_Undo[VALUE_TEXT_SIZE], Text_Geom[VALUE_TEXT_SIZE];

extern int32_t Flag_Open;    // set by Ctrl_Open; gates all panel drawing
extern uint8_t Flag_Visible;  // set by Ctrl_Show
extern uint8_t Flag_Inside;   // set by Ctrl_Motion

}  // namespace kestrum
