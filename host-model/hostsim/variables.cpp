// The host's named variables. Every variable ever made keeps its node in one map that
// is never erased from, so the addresses handed out stay valid for the process's life;
// texts are interned the same way, since a tool keeps the text pointers it reads.
#include "hostsim/variables.h"

#include <map>
#include <set>
#include <stdexcept>

#include "host/host_services.h"
#include "hostsim/reset.h"

namespace hostsim {

namespace {

// The host's type codes for what a variable holds.
constexpr unsigned short TYPE_NUMBER = 0x0004;
constexpr unsigned short TYPE_TEXT = 0x0010;
constexpr unsigned short TYPE_DATA = 0x0020;  // storage the host model owns elsewhere

struct Variable {
  intptr_t word = 0;         // a number, or the pointer to an interned text
  void* external = nullptr;  // data tables: storage owned by another part of the model
  bool text = false;
  bool visible = false;
  int asked = 0;  // Fct_Variable_Get lookups of this name since the last reset

  void* address() { return external ? external : &word; }
};

std::map<std::string, Variable>& table() {
  static std::map<std::string, Variable> variables;
  return variables;
}

const char* intern(const std::string& text) {
  static std::set<std::string> texts;
  return texts.insert(text).first->c_str();
}

Variable* visible(const char* name) {
  if (name == nullptr) return nullptr;
  auto found = table().find(name);
  return found != table().end() && found->second.visible ? &found->second : nullptr;
}

Variable& setting(const std::string& name) {
  Variable& variable = table()[name];
  if (variable.external)
    throw std::invalid_argument(name + " is a data table of the host model, not a setting");
  variable.visible = true;
  return variable;
}

// The layout settings a host starts with.
void set_defaults() {
  set_variable("$INTERFACE_TITLE_DIM_BIG", 20);
  set_variable("$INTERFACE_SPACE_DIM", 4);
  set_variable("$INTERFACE_BUTTON_DIM_SML", 18);
  set_variable("$INTERFACE_BORDER_DIM", 1);
  set_text_variable("$INTERFACE_TITLE_FONT_NAME", "DejaVu Sans");
  set_variable("$INTERFACE_TITLE_FONT_WEIGHT", 700);
  set_variable("$INTERFACE_TITLE_FONT_SCALE", 12);
  set_text_variable("$INTERFACE_TOOL_FONT_NAME", "DejaVu Sans");
  set_variable("$INTERFACE_TOOL_FONT_WEIGHT", 400);
  set_variable("$INTERFACE_TOOL_FONT_SCALE", 10);
}

// Settings go back to the defaults; data tables, always part of the host, show again.
const Reset_Registration g_reset{[] {
  for (auto& entry : table()) {
    Variable& variable = entry.second;
    variable.visible = variable.external != nullptr;
    variable.asked = 0;
    if (!variable.external) {
      variable.word = 0;
      variable.text = false;
    }
  }
  set_defaults();
}};

// A host starts with its settings in place, before any reset.
const bool g_started = (set_defaults(), true);

void describe(const Variable& variable, int* count, unsigned short* type, int (**getter)(void)) {
  if (count) *count = 1;
  if (type) *type = variable.external ? TYPE_DATA : variable.text ? TYPE_TEXT : TYPE_NUMBER;
  if (getter) *getter = nullptr;
}

}  // namespace

void define_variable(const std::string& name, void* storage) {
  Variable& variable = table()[name];
  variable.external = storage;
  variable.text = false;
  variable.visible = true;
}

void set_variable(const std::string& name, intptr_t value) {
  Variable& variable = setting(name);
  variable.word = value;
  variable.text = false;
}

void set_text_variable(const std::string& name, const std::string& text) {
  Variable& variable = setting(name);
  variable.word = reinterpret_cast<intptr_t>(intern(text));
  variable.text = true;
}

bool unset_variable(const std::string& name) {
  Variable* variable = visible(name.c_str());
  if (!variable) return false;
  variable->visible = false;
  return true;
}

bool variable_exists(const std::string& name) { return visible(name.c_str()) != nullptr; }

bool show_variable(const std::string& name) {
  auto found = table().find(name);
  if (found == table().end() || found->second.visible) return false;
  found->second.visible = true;
  return true;
}

int lookups(const std::string& name) {
  auto found = table().find(name);
  return found != table().end() ? found->second.asked : 0;
}

}  // namespace hostsim

// A data table's value is its storage, whose size only its owner knows: it reads 0 here.
intptr_t Fct_Variable_Value(char* name, int* count, unsigned short* type,
                            int (**getter)(void)) {
  hostsim::Variable* variable = hostsim::visible(name);
  if (!variable) return 0;
  hostsim::describe(*variable, count, type, getter);
  return variable->external ? 0 : variable->word;
}

// With `create` non-zero a missing variable is made, holding 0.
void* Fct_Variable_Get(char* name, int* count, unsigned short* type,
                       int (**getter)(void), char create) {
  if (name) {  // counted, found or not, for the names the host has or had
    auto known = hostsim::table().find(name);
    if (known != hostsim::table().end()) ++known->second.asked;
  }
  hostsim::Variable* variable = hostsim::visible(name);
  if (!variable && create && name) {
    hostsim::Variable& made = hostsim::table()[name];
    if (!made.external) made = hostsim::Variable{};  // a hidden data table keeps its storage
    made.visible = true;
    variable = &made;
  }
  if (!variable) return nullptr;
  hostsim::describe(*variable, count, type, getter);
  return variable->address();
}
