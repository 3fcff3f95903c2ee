// The host's named variables. Each has storage at a fixed address for the life of the
// process; Fct_Variable_Get hands out that address and Fct_Variable_Value its current
// word. Removing a variable only hides it from lookups: its storage stays where it is,
// since a tool may keep the address, and setting it again shows the same storage.
#pragma once

#include <cstdint>
#include <string>

namespace hostsim {

// A variable whose storage the host model owns elsewhere (the data tables' counts and
// pointers): lookups of `name` yield `storage`.
void define_variable(const std::string& name, void* storage);
// A setting holding a number (or, for set_text_variable, a text pointer) in a
// pointer-sized word; creates the variable or shows it again.
void set_variable(const std::string& name, intptr_t value);
void set_text_variable(const std::string& name, const std::string& text);
// Hides the variable from lookups (returns false when there was none to hide).
bool unset_variable(const std::string& name);
// Shows a hidden variable again, with the storage it had (false when none was hidden).
bool show_variable(const std::string& name);
// Whether a lookup of `name` would find it now.
bool variable_exists(const std::string& name);
// How many times Fct_Variable_Get was asked for `name` since the last reset, whether it
// found the variable or not (counted for the names the host has, or had and hid).
int lookups(const std::string& name);

}  // namespace hostsim
