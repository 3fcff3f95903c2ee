// The hand-written tree walk in a DLL of its own. Like the module, it reaches the host's
// functions through the host image's import table: each call goes through the import
// library's stub, an indirect jump, where the walk compiled into the host program calls
// them directly. The timing program times the module against both.
#include "bench/hand_tree.h"

extern "C" __declspec(dllexport) uint64_t Hand_Tree(Orvan_2D* root) { return bench::hand_tree(root); }
