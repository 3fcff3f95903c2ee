// The module's life cycle and the host settings around it: names, init, exit, trace,
// machine, limit, gpu, delivery, log, set and unset.
#include <limits>
#include <stdexcept>

#include "apps/kestrum-host/console.h"
#include "host/host_services.h"
#include "hostsim/gpu.h"
#include "hostsim/machine.h"
#include "hostsim/toolkit.h"
#include "hostsim/updates.h"
#include "hostsim/variables.h"

namespace console {

namespace {

std::string text_or_null(const char* text) { return text ? text : "null"; }

void names(Session& session, const Words& words) {
  expect_args(words, 0, 0, "names");
  if (!session.module_loaded) return;
  hostsim::Module& module = session.module;
  session.ret("Register", text_or_null(module.Register(0)));
  session.entry_returned();
  session.ret("Sort", text_or_null(module.Sort()));
  session.entry_returned();
  session.ret("Version", text_or_null(module.Version()));
  session.entry_returned();
  session.ret("Script_Register", text_or_null(module.Script_Register()));
  session.entry_returned();
  session.ret("Update_Register", hostsim::hex_word(module.Update_Register()));
  session.entry_returned();

  char** table = nullptr;
  const int count = module.Variable_Register(&table);
  std::string values = std::to_string(count);
  if (table == nullptr)
    values += " null";
  else
    for (int i = 0; i < count; ++i) values += " " + text_or_null(table[i]);
  session.ret("Variable_Register", values);
  session.entry_returned();
}

// The host hands the module no update before its Init has run: the words sent before
// (by a script line, say) were held, and are delivered now.
void init(Session& session, const Words& words) {
  expect_args(words, 0, 0, "init");
  if (!session.module_loaded) return;
  if (session.initialised) throw Action_Error("the module is initialised already: \"init\" comes once");
  session.ret("Init", std::to_string(session.module.Init()));
  session.initialised = true;
  hostsim::hold_updates(false);
  session.entry_returned();
}

void exit_module(Session& session, const Words& words) {
  expect_args(words, 0, 0, "exit");
  if (session.module_loaded) call_exit(session);
}

void trace(Session&, const Words& words) {
  expect_args(words, 1, 1, "trace N");
  Flag_Trace = static_cast<signed char>(parse_int(words[1], std::numeric_limits<signed char>::min(),
                                                  std::numeric_limits<signed char>::max(), "trace level"));
}

// machine PHYS AVAIL | machine PHYS real | machine real: "real" keeps the process's own
// figure (for AVAIL, its free address space, which "limit" makes small).
void machine(Session&, const Words& words) {
  expect_args(words, 1, 2, "machine PHYS AVAIL | machine PHYS real | machine real");
  if (words.size() == 2) {
    if (words[1] != "real") throw Action_Error("usage: machine PHYS AVAIL | machine PHYS real | machine real");
    hostsim::use_real_machine();
  } else if (words[2] == "real") {
    hostsim::set_physical_memory(parse_bytes(words[1], "physical memory"));
  } else {
    hostsim::set_machine(parse_bytes(words[1], "physical memory"), parse_bytes(words[2], "address space"));
  }
}

// limit SIZE: the process may map SIZE more from now on, and no more; Init then finds
// SIZE of free address space, as a host process whose space is nearly taken would. Such
// a host has long loaded its fonts: they are loaded first, so that drawing the panel
// later takes none of the SIZE.
void limit(Session&, const Words& words) {
  expect_args(words, 1, 1, "limit SIZE");
  const uint64_t size = parse_bytes(words[1], "address-space limit");
  hostsim::load_fonts();
  try {
    hostsim::limit_address_space(size);
  } catch (const std::runtime_error& why) {
    throw Action_Error(why.what());
  }
}

void gpu(Session&, const Words& words) {
  expect_args(words, 1, 2, "gpu none|broken|noinfo|TOTAL [USED]");
  const std::string& what = words[1];
  if (words.size() == 2 && what == "none") {
    hostsim::gpu_none();
  } else if (words.size() == 2 && what == "broken") {
    hostsim::gpu_broken();
  } else if (words.size() == 2 && what == "noinfo") {
    hostsim::gpu_noinfo();
  } else {
    const uint64_t total = parse_bytes(what, "GPU memory");
    hostsim::gpu_present(total, words.size() == 3 ? parse_bytes(words[2], "GPU memory in use") : 0);
  }
}

void delivery(Session&, const Words& words) {
  expect_args(words, 1, 1, "delivery sync|deferred");
  if (words[1] == "sync")
    hostsim::set_delivery(hostsim::Delivery::SYNC);
  else if (words[1] == "deferred")
    hostsim::set_delivery(hostsim::Delivery::DEFERRED);
  else
    throw Action_Error("usage: delivery sync|deferred");
}

void log(Session& session, const Words& words) {
  expect_args(words, 1, 1, "log calls|quiet");
  if (words[1] != "calls" && words[1] != "quiet") throw Action_Error("usage: log calls|quiet");
  session.set_log_calls(words[1] == "calls");
}

void expect_variable_name(const std::string& name) {
  if (name.empty() || name[0] != '$') throw Action_Error("a variable name begins with $: " + name);
}

// A value that reads as a number is a number; anything else, blanks included, a text.
void set(Session&, const Words& words) {
  expect_args(words, 2, std::numeric_limits<size_t>::max(), "set $VAR VALUE");
  expect_variable_name(words[1]);
  std::string value = words[2];
  for (size_t i = 3; i < words.size(); ++i) value += " " + words[i];
  int64_t number = 0;
  try {
    number = parse_int(value, std::numeric_limits<intptr_t>::min(), std::numeric_limits<intptr_t>::max(),
                       "host variable value");
  } catch (const Not_A_Number&) {
    hostsim::set_text_variable(words[1], value);
    return;
  }
  hostsim::set_variable(words[1], static_cast<intptr_t>(number));
}

void unset(Session&, const Words& words) {
  expect_args(words, 1, 1, "unset $VAR");
  expect_variable_name(words[1]);
  if (!hostsim::unset_variable(words[1])) throw Action_Error("no variable " + words[1]);
}

}  // namespace

// After Exit the host lets go of the tool: no update reaches it any more.
void call_exit(Session& session) {
  session.ret("Exit", std::to_string(session.module.Exit()));
  session.exited = true;
  session.entry_returned();
  hostsim::unregister_tools();
}

void add_lifecycle_actions(Action_Table& table) {
  table.add("names", names, MODULE | ANY_TIME, "names\tcalls the six entry points that name the module");
  table.add("init", init, MODULE, "init\tcalls Init: the module sets its budget");
  table.add("exit", exit_module, MODULE, "exit\tcalls Exit (done at the end of a session that ran init)");
  table.add("trace", trace, NOTHING, "trace N\tthe host's trace level (4 and up: the module's traces)");
  table.add("machine", machine, NOTHING,
            "machine PHYS AVAIL|PHYS real|real\tthe RAM and free address space that Init is told");
  table.add("limit", limit, BEFORE_INIT, "limit SIZE\tbefore init: the process may map SIZE more, and no more");
  table.add("gpu", gpu, NOTHING, "gpu none|broken|noinfo|TOTAL [USED]\tthe CUDA runtime the process offers");
  table.add("delivery", delivery, NOTHING,
            "delivery sync|deferred\twhen the host hands the module's update words back to it");
  table.add("log", log, NOTHING, "log calls|quiet\tprint the host calls the module makes, or stop");
  table.add("set", set, NOTHING, "set $VAR VALUE\tsets a host variable (the panel's $INTERFACE_ settings)");
  table.add("unset", unset, NOTHING, "unset $VAR\tremoves a host variable");
}

}  // namespace console
