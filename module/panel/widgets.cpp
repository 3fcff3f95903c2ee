// The panel's widgets and value texts (the panel flags live with the panel's events). The widgets are defined in the order
// in which the panel lists them, so the toolkit builds them in that order at load.
#include "panel/panel_state.h"

namespace kestrum {

Boxs Box_Title;
Boxs Box_GPU;
Boxs Box_Bar;
Boxs Box_Image;
Labels Label_Image;
Buttons Button_Image;
Boxs Box_Undo;
Labels Label_Undo;
Buttons Button_Undo;
Boxs Box_Geom;
Labels Label_Geom;
Buttons Button_Geom;

char Text_Image[VALUE_TEXT_SIZE] = "";
char Text_Undo[VALUE_TEXT_SIZE] = "";
char Text_Geom[VALUE_TEXT_SIZE] = "";

}  // namespace kestrum
