// The two host variables that publish the GPU's memory. The host reads each value
// through the address Variable_Get hands out, so both live in the module's own storage
// (accounting/memory_state.h) for as long as the module is loaded.
#include "accounting/memory_state.h"
#include "plugin/kestrum.h"
#include "plugin/messages.h"

namespace kestrum {
namespace {

// The host takes the table as char**; the texts stay read-only all the same.
char* Variable_Names[] = {
    const_cast<char*>("$MEMORY_CUDA_AVAILABLE"),
    const_cast<char*>("$MEMORY_CUDA_USAGE"),
};
constexpr int VARIABLE_COUNT = sizeof Variable_Names / sizeof Variable_Names[0];

// Both names share their first 13 characters ("$MEMORY_CUDA_"); the 14th tells them apart.
constexpr int SELECTOR_INDEX = 13;
constexpr unsigned short VALUE_TYPE = 0x8040;  // the host's type code of both values
constexpr int VALUE_COUNT = 1;

}  // namespace
}  // namespace kestrum

using namespace kestrum;

// Answers the number of names. Without a place to store the table there is nothing to
// register: 0, and nothing is written.
int Variable_Register(char*** names) {
  if (names == nullptr) return 0;
  *names = Variable_Names;
  return VARIABLE_COUNT;
}

// The address of the value whose name has 'A' or 'U' as its 14th character, or null.
// Only the selecting character is compared, not the whole name. A null name or one
// shorter than 14 characters selects nothing and is not read past its terminator.
void* Variable_Get(char* name, int* count, unsigned short* type) {
  KESTRUM_MESSAGE(MSG_TRACE_VARIABLE, "Kestrum: Variable_Get(%s)", name != nullptr ? name : "(null)");
  if (name == nullptr) return nullptr;
  for (int i = 0; i <= SELECTOR_INDEX; ++i)
    if (name[i] == '\0') return nullptr;

  void* value = nullptr;
  switch (name[SELECTOR_INDEX]) {
    case 'A': value = &Memory_CUDA_Available; break;
    case 'U': value = &Memory_CUDA_Usage; break;
    default: return nullptr;
  }
  if (type != nullptr) *type = VALUE_TYPE;
  if (count != nullptr) *count = VALUE_COUNT;
  return value;
}
