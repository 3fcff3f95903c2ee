// The hand-written walk of the image tree: the host calls of the module's measurement, in
// its order, and nothing else. Inline, so that it is compiled into whichever image calls
// it: the benchmark program, or on Windows also a DLL of its own (bench/windows/), which
// reaches the host through the same imports as the module.
#pragma once

#include <cstdint>

#include "host/host_services.h"

namespace bench {

inline uint64_t hand_tree(Orvan_2D* node) {
  node->Mutex_Open(Host_Text("Memory_Compute_DB"));
  uint64_t total = node->User_Memory();
  for (int i = 0; i < node->Child_Get_Nb(); ++i) total += hand_tree(node->Child_Get_Pt(i));
  node->Mutex_Close(Host_Text("Memory_Compute_DB"));
  return total;
}

}  // namespace bench
