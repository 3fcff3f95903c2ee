// The update cycle: measure the host's data, purge images automatically once the total
// reaches the budget, then refresh the panel's columns and bars while it is open.
#include "accounting/update_cycle.h"

#include <cstdio>

#include "accounting/byte_text.h"
#include "accounting/cleanup.h"
#include "accounting/cuda_runtime.h"
#include "accounting/measurement.h"
#include "accounting/memory_state.h"
#include "accounting/update_words.h"
#include "panel/panel_state.h"
#include "panel/usage_bars.h"
#include "plugin/messages.h"

namespace kestrum {

uint64_t Last_Bar_Total = 0;
uint64_t Last_CUDA_Usage = 0;

namespace {

// Whole MiB as the bar painter takes them: the low 32 bits of the shifted count, read
// as a signed number.
int32_t Whole_MiB(uint64_t bytes) {
  return static_cast<int32_t>(static_cast<uint32_t>(bytes >> 20));
}

// Frees image memory level by level until the gap between the two thresholds is freed
// (or level 5 is done), tells the user how much went and has the host catch up.
void Purge_Images() {
  const uint64_t target = Memory_Max - Memory_High;
  uint64_t freed = 0;
  for (int level = CLEANUP_LEVEL_FIRST; level >= CLEANUP_LEVEL_LAST; --level) {
    freed += Memory_Cleanup_DB(static_cast<unsigned short>(level), nullptr);
    if (freed >= target) break;
  }
  KESTRUM_MESSAGE(MSG_USER, "The memory manager has cleared \x01%s\x02 of memory", Byte_Text(freed));
  // The host may hand the memory bit straight back to Update_A, re-entering this cycle;
  // the caller then goes on with its own, pre-purge figures.
  Fct_Update(UPDATE_MEMORY, nullptr, nullptr, nullptr);
  Fct_Redraw(REDRAW_IMAGES, nullptr, nullptr, nullptr);
}

// The GPU bar and $MEMORY_CUDA_USAGE show the memory in use: the runtime's total less
// its free amount, read at every measurement while a GPU was found (never asked for
// otherwise). With a capped total (CUDA_CAPPED_FIGURE) and an exact free amount that is
// the least the GPU has in use, shown against the capped total. A capped free amount
// leaves the usage unknown, and none is invented: the usage is 0 (as it is for a runtime
// that reports more free memory than it has).
void Measure_GPU() {
  if (Memory_CUDA_Available == 0) return;
  uint64_t free_bytes = 0;
  uint64_t total_bytes = 0;
  if (!Cuda_Memory_Info(free_bytes, total_bytes)) return;
  const bool known = free_bytes != CUDA_CAPPED_FIGURE && free_bytes <= total_bytes;
  Memory_CUDA_Usage = known ? total_bytes - free_bytes : 0;
}

// Rewrites one column's value text and redraws the column, when its figure changed.
void Refresh_Column(uint64_t figure, uint64_t& stored, char* text, Boxs& box, Labels& label,
                    Buttons& button) {
  if (figure == stored) return;
  std::snprintf(text, VALUE_TEXT_SIZE, "%s", Byte_Text(figure));
  box.Draw();
  label.Draw();
  button.Draw();
  stored = figure;
}

// Paints the RAM bar from the stored figures, and the GPU bar where there is a GPU.
// A box is drawn first only when its bar's figure shrank, to erase the longer bar.
void Repaint_Bars() {
  const Memory_Usage_Record& usage = Memory_Usage;
  const uint64_t sum = usage.Geom + usage.Undo + usage.DB + usage.Default;
  if (Last_Bar_Total > sum) Box_Bar.Draw();
  Last_Bar_Total = sum;
  Memory_Bar_Redraw(&Box_Bar, Whole_MiB(usage.DB + usage.Default), Whole_MiB(usage.Undo),
                    Whole_MiB(usage.Geom), Whole_MiB(Memory_RAM));

  if (Memory_CUDA_Available == 0) return;
  if (Last_CUDA_Usage > Memory_CUDA_Usage) Box_GPU.Draw();
  Last_CUDA_Usage = Memory_CUDA_Usage;
  Memory_Bar_Redraw(&Box_GPU, 0, 0, Whole_MiB(Memory_CUDA_Usage),
                    Whole_MiB(Memory_CUDA_Available));
}

}  // namespace

int Ctrl_Update(uint64_t flag) {
  const bool measure = (flag & UPDATE_MEMORY) != 0;
  uint64_t d = 0, db = 0, u = 0, g = 0;
  if (measure) {
    d = Memory_Compute_Default();
    db = Memory_Compute_DB(nullptr);
    u = Memory_Compute_Undo();
    g = Memory_Compute_Geom();
    Measure_GPU();
    Memory_Usage.Default = d;
    const uint64_t total = g + u + db + d;
    if (total >= Memory_Max) Purge_Images();
  }

  if (!Flag_Open) return 1;
  KESTRUM_MESSAGE(MSG_TRACE_ENTRY, "Kestrum: Ctrl_Update(flag:%016llx)", static_cast<unsigned long long>(flag));

  if (measure) {
    Refresh_Column(db, Memory_Usage.DB, Text_Image, Box_Image, Label_Image, Button_Image);
    Refresh_Column(u, Memory_Usage.Undo, Text_Undo, Box_Undo, Label_Undo, Button_Undo);
    Refresh_Column(g, Memory_Usage.Geom, Text_Geom, Box_Geom, Label_Geom, Button_Geom);
    flag |= UPDATE_PANEL_DRAW;  // a run that measured always repaints the bars
  }
  if ((flag & UPDATE_PANEL_DRAW) == UPDATE_PANEL_DRAW) Repaint_Bars();
  return 1;
}

}  // namespace kestrum
