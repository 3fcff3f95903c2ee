// The host's widget library as the module uses it: three widget classes over a common
// base whose public fields the module fills before calling Init, and five globals that
// whoever draws outside Draw takes and sets.
#pragma once

#include <cstdint>

#include "host/host_services.h"
#include "platform/windows_api.h"

class Tools {
 public:
  Tools();
  ~Tools();
  Tools(const Tools&) = delete;
  Tools& operator=(const Tools&) = delete;

  int Init(HWND window);                  // (re)builds the widget from its fields
  int Alloc_Graph_Normal(unsigned long color);  // width x height pixels of `color`
  int Set_Name(const char* format, ...);  // sets the caption

  uint32_t Style = 0;
  const char* Text = nullptr;  // not copied; a label shows it as it is when drawn
  int16_t X = 0;               // window pixels, origin bottom-left, y upward
  int16_t Y = 0;
  int16_t DX = 0;
  int16_t DY = 0;
  const char* Font_Name = nullptr;
  int32_t Font_Weight = 0;
  int16_t Font_Scale = 0;
  int16_t Red = 0;  // tint, 0 to 255 (boxes)
  int16_t Green = 0;
  int16_t Blue = 0;
  uint32_t* Picture = nullptr;  // 0x00RRGGBB words, row after row (boxes)
  uint32_t* Image = nullptr;    // the buffer Alloc_Graph_Normal gave
  int16_t Border = 0;
  HWND Window = nullptr;  // the window handed to Init
};

class Boxs : public Tools {
 public:
  Boxs();
  ~Boxs();
  int Draw();                // frame, tint, caption, picture
  int Select(int mouse);     // non-zero when under the pointer for that mouse word
};

class Labels : public Tools {
 public:
  Labels();
  ~Labels();
  int Draw();  // the text
};

class Buttons : public Tools {
 public:
  Buttons();
  ~Buttons();
  int Draw();             // the face in its pressed state
  int Select(int mouse);  // non-zero when under the pointer for that mouse word
  int Adjust();           // repaints the face after Pressed changed
  int Deselect();         // drops the pointer-over look

  int16_t Pressed = 0;  // 1 pressed, 0 released
};

KESTRUM_HOST_DATA extern HWND Y_Window;              // window being drawn on outside Draw
KESTRUM_HOST_DATA extern HDC Y_DC;                   // its device context
KESTRUM_HOST_DATA extern CRITICAL_SECTION Critical;  // guards the two above
KESTRUM_HOST_DATA extern char Critical_Flag;         // non-zero once Critical is initialised
KESTRUM_HOST_DATA extern COLORREF Current_Color;     // pen colour in use
