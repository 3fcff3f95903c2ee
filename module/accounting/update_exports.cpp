// The host's update notifications: the word the module registers for, and the entry
// through which the host passes each update on to the update cycle.
#include "accounting/update_cycle.h"
#include "accounting/update_words.h"
#include "plugin/kestrum.h"

uint64_t Update_Register(void) { return kestrum::UPDATE_REGISTRATION; }

int Update_A(uint64_t flag) {
  kestrum::Ctrl_Update(flag);
  return 1;
}
