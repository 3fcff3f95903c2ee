// kestrum-host: loads the module like a host does and drives it through a session of
// host actions, one a line, printing what the module says and returns.
#include <readline/history.h>
#include <readline/readline.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "apps/kestrum-host/console.h"
#include "hostsim/machine.h"
#include "hostsim/reset.h"
#include "hostsim/updates.h"

namespace {

constexpr int EXIT_WRONG_ACTION = 1;
constexpr int EXIT_NO_MODULE = 2;

const char USAGE[] =
    "usage: kestrum-host [--module PATH] [--log calls] [--bytes exact|human] [--png-dir DIR]\n"
    "                    [SESSION | -]\n"
    "Runs a session of host actions against the module (- reads them from standard input);\n"
    "without a session, the built-in demo. Exit status: 0 done, 1 a wrong action or\n"
    "command line, 2 the module could not be loaded.\n";

struct Options {
  std::string module_path;
  bool log_calls = false;
  bool exact_bytes = false;
  std::string png_dir;
  std::string session;  // empty: the demo
};

struct Usage_Error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

Options parse_command_line(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw Usage_Error(arg + " needs a value");
      return argv[++i];
    };
    if (arg == "--module") {
      options.module_path = value();
    } else if (arg == "--log") {
      if (value() != "calls") throw Usage_Error("--log takes: calls");
      options.log_calls = true;
    } else if (arg == "--bytes") {
      const std::string mode = value();
      if (mode != "exact" && mode != "human") throw Usage_Error("--bytes takes: exact or human");
      options.exact_bytes = mode == "exact";
    } else if (arg == "--png-dir") {
      options.png_dir = value();
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw Usage_Error("unknown option " + arg);
    } else if (!options.session.empty()) {
      throw Usage_Error("more than one session: " + arg);
    } else {
      options.session = arg;
    }
  }
  return options;
}

console::Words split(const std::string& line) {
  console::Words words;
  std::istringstream in(line.substr(0, line.find('#')));
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

class Runner {
 public:
  Runner(console::Session& session, const console::Action_Table& table, std::string command)
      : session_(session), table_(table), script_prefix_(std::move(command) + ":") {}

  // Runs one line; false when it was wrong (reported on standard error).
  bool run(const std::string& line, unsigned number) {
    const console::Words words = split(line);
    if (words.empty()) return true;
    try {
      if (script_prefix_.size() > 1 && words[0] == script_prefix_) {
        console::run_script_line(session_, console::Words(words.begin() + 1, words.end()));
      } else if (const console::Handler* handler = table_.find(words[0])) {
        (*handler)(session_, words);
      } else {
        throw console::Action_Error("unknown action " + words[0]);
      }
      return true;
    } catch (const std::exception& error) {
      std::fflush(stdout);
      std::fprintf(stderr, "error: %u: %s\n", number, error.what());
      return false;
    }
  }

  // A session file or piped input: stops at the first wrong line.
  int run_stream(std::istream& in) {
    unsigned number = 0;
    for (std::string line; std::getline(in, line);)
      if (!run(line, ++number)) return EXIT_WRONG_ACTION;
    return EXIT_SUCCESS;
  }

  // At a terminal: line editing and history; wrong lines are only reported.
  int run_interactive() {
    unsigned number = 0;
    while (char* typed = readline("kestrum> ")) {
      const std::string line = typed;
      if (!split(line).empty()) add_history(typed);
      std::free(typed);
      run(line, ++number);
    }
    return EXIT_SUCCESS;
  }

 private:
  console::Session& session_;
  const console::Action_Table& table_;
  std::string script_prefix_;
};

int run(const Options& options) {
  hostsim::reset();
  hostsim::set_exact_bytes(options.exact_bytes);

  hostsim::Module module;
  std::string error;
  const std::string path =
      options.module_path.empty() ? hostsim::default_module_path() : options.module_path;
  if (!module.load(path, error)) {
    std::fprintf(stderr, "kestrum-host: cannot load the module: %s\n", error.c_str());
    return EXIT_NO_MODULE;
  }

  console::Session session(module);
  session.png_dir = options.png_dir;
  session.log_calls = options.log_calls;
  session.bold_marks = isatty(STDOUT_FILENO) != 0;
  hostsim::set_sink([&session](const hostsim::Event& event) { session.print_event(event); });
  // As a host does when it loads a tool: note which updates it wants.
  hostsim::register_tool(module.Update_Register(), module.Update_A);

  console::Action_Table table;
  console::add_lifecycle_actions(table);
  console::add_data_actions(table);
  console::add_panel_actions(table);
  console::add_event_actions(table);
  console::add_script_actions(table);
  const char* command = module.Script_Register();
  Runner runner(session, table, command ? command : "");

  int status = EXIT_SUCCESS;
  if (options.session.empty()) {
    if (const char* demo = console::demo_session()) {
      std::istringstream in(demo);
      status = runner.run_stream(in);
    } else {
      std::printf("kestrum-host: no built-in demo yet; give a session file, or - for standard input\n");
    }
  } else if (options.session == "-") {
    status = isatty(STDIN_FILENO) ? runner.run_interactive() : runner.run_stream(std::cin);
  } else {
    std::ifstream in(options.session);
    if (!in) {
      std::fprintf(stderr, "kestrum-host: cannot read %s\n", options.session.c_str());
      status = EXIT_WRONG_ACTION;
    } else {
      status = runner.run_stream(in);
    }
  }

  hostsim::set_sink(nullptr);
  hostsim::unregister_tools();
  module.unload();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  try {
    for (int i = 1; i < argc; ++i)
      if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
        std::fputs(USAGE, stdout);
        return EXIT_SUCCESS;
      }
    options = parse_command_line(argc, argv);
  } catch (const Usage_Error& error) {
    std::fprintf(stderr, "kestrum-host: %s\n%s", error.what(), USAGE);
    return EXIT_WRONG_ACTION;
  }
  return run(options);
}
