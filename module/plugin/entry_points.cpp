// The life-cycle entry points and the data export.
#include "accounting/budget.h"
#include "plugin/kestrum.h"
#include "plugin/messages.h"

namespace {

// Constant texts: the host receives the same pointers at every call.
const char DISPLAY_NAME[] = "Memory Manager";
const char SORT_NAME[] = "0D Memory Manager";
const char VERSION_TEXT[] = "1.0 Rev-11  (Aug 19 2020)";

}  // namespace

uint32_t NvOptimusEnablementCuda = 1;

int Init(void) {
  KESTRUM_MESSAGE(kestrum::MSG_LOG, "Kestrum: Init");
  kestrum::Memory_Budget_Init();
  kestrum::Memory_GPU_Init();
  return 1;
}

// Releases nothing: the widgets go when the module is unloaded, and so does a CUDA
// runtime library the module opened itself, as its platform has it (platform/).
int Exit(void) {
  KESTRUM_MESSAGE(kestrum::MSG_LOG, "Kestrum: Exit");
  return 1;
}

const char* Register(uint32_t) { return DISPLAY_NAME; }
const char* Sort(void) { return SORT_NAME; }
const char* Version(void) { return VERSION_TEXT; }
