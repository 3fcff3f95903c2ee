// kestrum-host: loads the module like a host does and drives it through a session of
// host actions, one a line, printing what the module says and returns.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <sstream>

#include "apps/kestrum-host/console.h"
#include "apps/kestrum-host/progress.h"
#include "apps/kestrum-host/prompt.h"
#include "apps/kestrum-host/timeline_files.h"
#include "hostsim/machine.h"
#include "hostsim/platform.h"
#include "hostsim/printable.h"
#include "hostsim/reset.h"
#include "hostsim/updates.h"

namespace {

constexpr int EXIT_WRONG_ACTION = 1;
constexpr int EXIT_NO_MODULE = 2;

const char USAGE[] =
    "usage: kestrum-host [--module PATH | --no-module] [--log calls] [--bytes exact|human]\n"
    "                    [--png-dir DIR] [--timeline FILE.csv|FILE.png]... [SESSION | -]\n"
    "       kestrum-host --version [--module PATH | --no-module]\n"
    "Runs a session of host actions against the module (- reads them from standard input);\n"
    "without a session, the built-in demo. --no-module runs the host's own actions alone and\n"
    "skips every action that would call the module. Exit status: 0 done, 1 a wrong action,\n"
    "command line or unreadable session, 2 the module could not be loaded. --version prints\n"
    "the console's version, then the module's path and its Register and Version texts.\n"
    "--timeline writes the session's memory over time, after every action, as CSV or as a\n"
    "picture. At the prompt, \"help\" lists the actions and \"quit\" ends the session.\n";

// Where the console's document lies: the installed copy (relative to the installed
// console), else the source tree's (a console run from its build tree).
std::string document_path() {
  std::error_code failed;
  const std::filesystem::path installed =
      std::filesystem::path(hostsim::program_folder()) / KESTRUM_INSTALLED_DOCUMENT;
  if (std::filesystem::exists(installed, failed)) return std::filesystem::weakly_canonical(installed, failed).string();
  if (std::filesystem::exists(KESTRUM_SOURCE_DOCUMENT, failed)) return KESTRUM_SOURCE_DOCUMENT;
  return "docs/console.md of the sources (installed: " KESTRUM_INSTALLED_DOCUMENT " from the console's folder)";
}

void print_usage(std::FILE* out) {
  std::fputs(USAGE, out);
  std::fprintf(out, "Every action, option and output line: %s\n", hostsim::printable(document_path()).c_str());
}

// A module's path is a path: a relative one (a file name alone too) is taken from the
// current folder, made absolute, since the system's library search would look for a
// name without a folder elsewhere, and Windows searches for any relative path.
std::string module_file(const std::string& path) {
  std::error_code failed;
  const std::filesystem::path absolute = std::filesystem::absolute(path, failed);
  return path.empty() || failed ? path : absolute.string();
}

struct Options {
  std::string module_path;
  bool no_module = false;
  bool version = false;  // --version: print the versions and stop
  bool log_calls = false;
  bool exact_bytes = false;
  std::string png_dir;
  std::vector<std::string> timelines;  // --timeline FILE, each a .csv or a .png
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
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "--no-module") {
      options.no_module = true;
    } else if (arg == "--log") {
      if (value() != "calls") throw Usage_Error("--log takes: calls");
      options.log_calls = true;
    } else if (arg == "--bytes") {
      const std::string mode = value();
      if (mode != "exact" && mode != "human") throw Usage_Error("--bytes takes: exact or human");
      options.exact_bytes = mode == "exact";
    } else if (arg == "--png-dir") {
      options.png_dir = value();
    } else if (arg == "--timeline") {
      options.timelines.push_back(value());
      const std::string problem = console::timeline_path_problem(options.timelines.back());
      if (!problem.empty()) throw Usage_Error(problem);
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw Usage_Error("unknown option " + arg);
    } else if (!options.session.empty()) {
      throw Usage_Error("more than one session: " + arg);
    } else {
      options.session = arg;
    }
  }
  if (options.no_module && !options.module_path.empty())
    throw Usage_Error("--module and --no-module exclude each other");
  return options;
}

console::Words split(const std::string& line) {
  console::Words words;
  std::istringstream in(line.substr(0, line.find('#')));
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// "kestrum-host: cannot read SOURCE: REASON" on standard error; the status to exit with.
int cannot_read(const std::string& source, int reason) {
  std::fprintf(stderr, "kestrum-host: cannot read %s: %s\n", hostsim::printable(source).c_str(),
               std::strerror(reason));
  return EXIT_WRONG_ACTION;
}

class Runner {
 public:
  // `timeline`, when not null, records the host's memory after every action.
  Runner(console::Session& session, const console::Action_Table& table, std::string command,
         console::Timeline* timeline)
      : session_(session), table_(table), script_prefix_(std::move(command) + ":"), timeline_(timeline) {}

  // Runs one line; false when it was wrong (reported on standard error, its bytes shown
  // as the output shows them).
  bool run(const std::string& line, unsigned number) {
    const console::Words words = split(line);
    if (words.empty()) return true;
    progress_.before_line();
    try {
      dispatch(words);
      if (timeline_) timeline_->record(number, words[0], hostsim::events(), nullptr);
      progress_.after_line(number);
      hostsim::clear_events();  // printed as they came; the console keeps no record
      return true;
    } catch (const std::exception& error) {
      if (timeline_) timeline_->record(number, words[0], hostsim::events(), error.what());
      progress_.erase();
      hostsim::clear_events();
      std::fflush(stdout);
      std::fprintf(stderr, "error: %u: %s\n", number, hostsim::printable(error.what()).c_str());
      return false;
    }
  }

  // A session file, piped input or the demo: stops at the first wrong line. Lines are
  // read whole, NUL bytes included; a read that fails (a folder, an I/O error) is
  // reported with `source` and the reason.
  int run_lines(std::FILE* in, const std::string& source) {
    const size_t total_lines = count_lines(in);
    if (timeline_) timeline_->expect(total_lines);
    progress_.begin(total_lines);
    unsigned number = 0;
    int status = EXIT_SUCCESS;
    std::string line;
    while (status == EXIT_SUCCESS && !session_.quit && console::read_line(in, line))
      if (!run(line, ++number)) status = EXIT_WRONG_ACTION;
    const int reason = errno;
    progress_.erase();
    if (status == EXIT_SUCCESS && std::ferror(in)) status = cannot_read(source, reason);
    return status;
  }

  // At a terminal: the prompt (line editing where the build has it); wrong lines are
  // only reported.
  int run_interactive() {
    std::vector<std::string> words = table_.words();
    if (script_prefix_.size() > 1) words.push_back(script_prefix_);
    console::Prompt prompt(std::move(words));
    unsigned number = 0;
    std::string line;
    while (prompt.read(line)) {
      run(line, ++number);
      if (session_.quit) break;
    }
    std::fputc('\n', stdout);  // end of input: leave the terminal on a fresh line
    return EXIT_SUCCESS;
  }

 private:
  void dispatch(const console::Words& words) {
    const std::string& first = words[0];
    if (first == "help" && words.size() == 1) return print_help();
    const bool script_line = console::is_script_word(first);
    if (!session_.module_loaded && script_line) return;  // no tool took that command word
    if (script_line && first == script_prefix_) {
      if (session_.exited) throw_exited();
      at_work([&] { console::run_script_line(session_, console::Words(words.begin() + 1, words.end())); });
      return;
    }
    const console::Action* action = table_.find(first);
    if (!action) throw console::Action_Error("unknown action " + first);
    const unsigned needs = action->needs;
    // Without the module nothing is called, so the calling order does not apply; the
    // handler still reads the line's words.
    if (!session_.module_loaded && (needs & (console::MODULE | console::PANEL_WINDOW)))
      return action->handler(session_, words);
    if ((needs & console::MODULE) && !(needs & console::ANY_TIME) && session_.exited) throw_exited();
    if ((needs & console::INITIALISED) && !session_.initialised)
      throw console::Action_Error("the module is not initialised yet: use \"init\" first");
    if ((needs & console::PANEL_WINDOW) && !session_.panel_window)
      throw console::Action_Error("no panel window yet: use \"panel create\" first");
    if ((needs & console::BEFORE_INIT) && session_.initialised)
      throw console::Action_Error("\"" + first + "\" must come before \"init\"");
    if (needs & console::MODULE)
      at_work([&] { action->handler(session_, words); });
    else
      action->handler(session_, words);
  }

  // "help" alone: every action on a line of its own, with the script line's.
  void print_help() {
    const std::string script =
        script_prefix_.size() > 1 ? script_prefix_ + " WORDS...\ta script line: calls Script_Parse with the words" : "";
    for (const std::string& line : table_.help_lines(script)) session_.print(line);
  }

  [[noreturn]] static void throw_exited() {
    throw console::Action_Error("the module has exited: after \"exit\" only \"names\" may call it");
  }

  // Runs a call into the module and counts what the host's data gave back meanwhile, by
  // the host's own figures: images given back in a call that purged are the purges'; any
  // other kind that holds less after the call was cleared (a button or a script line).
  template <typename Call>
  void at_work(Call call) {
    const console::Host_Figures before = console::host_figures();
    const uint64_t purges = session_.purges;
    call();
    const console::Host_Figures after = console::host_figures();
    const bool purged = session_.purges != purges;
    const uint64_t gave_back[] = {dropped(before.images, after.images), dropped(before.undo, after.undo),
                                  dropped(before.geometry, after.geometry)};
    for (size_t kind = 0; kind < 3; ++kind) {
      if (gave_back[kind] == 0) continue;
      if (kind == 0 && purged) {
        session_.purged_bytes += gave_back[kind];
      } else {
        ++session_.clears;
        session_.cleared_bytes += gave_back[kind];
      }
    }
  }

  static uint64_t dropped(uint64_t before, uint64_t after) { return before > after ? before - after : 0; }

  // The lines of a file or the demo, read ahead and rewound; 0 when `in` cannot be
  // rewound (a pipe), for then the count is not known.
  static size_t count_lines(std::FILE* in) {
    const long start = std::ftell(in);
    if (start < 0) return 0;
    size_t lines = 0;
    int last = '\n';
    char chunk[4096];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;) {
      lines += static_cast<size_t>(std::count(chunk, chunk + got, '\n'));
      last = chunk[got - 1];
    }
    if (last != '\n') ++lines;
    std::clearerr(in);
    return std::fseek(in, start, SEEK_SET) == 0 ? lines : 0;
  }

  console::Session& session_;
  const console::Action_Table& table_;
  std::string script_prefix_;
  console::Timeline* timeline_;
  console::Progress progress_;
};

int run(const Options& options) {
  hostsim::reset();
  hostsim::set_exact_bytes(options.exact_bytes);

  hostsim::Module module;
  if (options.version) std::printf("kestrum-host %s\n", KESTRUM_VERSION);
  if (!options.no_module) {
    std::string error;
    const std::string path =
        options.module_path.empty() ? hostsim::default_module_path() : module_file(options.module_path);
    if (!module.load(path, error)) {
      std::fflush(stdout);  // the version line first
      std::fprintf(stderr, "kestrum-host: cannot load the module: %s\n", hostsim::printable(error).c_str());
      return EXIT_NO_MODULE;
    }
    if (options.version) {
      const char* name = module.Register(0);
      const char* version = module.Version();
      std::printf("module: %s\nRegister: %s\nVersion: %s\n", hostsim::printable(path).c_str(),
                  hostsim::printable(name ? name : "null").c_str(),
                  hostsim::printable(version ? version : "null").c_str());
      module.unload();
    }
  }
  if (options.version) return EXIT_SUCCESS;

  console::Session session(module);
  session.module_loaded = !options.no_module;
  session.png_dir = options.png_dir;
  session.set_log_calls(options.log_calls);
  session.bold_marks = hostsim::is_terminal(stdout);
  hostsim::set_sink([&session](const hostsim::Event& event) { session.on_event(event); });
  // As a host does when it loads a tool: note which updates it wants, and hold them
  // until the tool's Init has run.
  if (session.module_loaded) {
    hostsim::register_tool(module.Update_Register(), module.Update_A);
    hostsim::hold_updates(true);
  }

  console::Action_Table table;
  console::add_lifecycle_actions(table);
  console::add_data_actions(table);
  console::add_panel_actions(table);
  console::add_event_actions(table);
  console::add_script_actions(table);
  console::add_session_actions(table);
  console::add_widget_actions(table);
  const char* command = session.module_loaded ? module.Script_Register() : nullptr;
  // The demo draws its timeline beside its panel pictures.
  std::vector<std::string> timelines = options.timelines;
  if (options.session.empty())
    timelines.push_back(session.picture_path("demo-timeline.png"));
  std::optional<console::Timeline> timeline;  // recorded only for a timeline file
  if (!timelines.empty()) timeline.emplace();
  Runner runner(session, table, command ? command : "", timeline ? &*timeline : nullptr);

  int status = EXIT_SUCCESS;
  if (options.session.empty()) {
    const char* demo = console::demo_session();
    std::FILE* in = hostsim::open_text_stream(demo);
    status = in ? runner.run_lines(in, "the built-in demo") : cannot_read("the built-in demo", errno);
    if (in) std::fclose(in);
  } else if (options.session == "-") {
    if (timeline) timeline->expect(0);
    status = hostsim::is_terminal(stdin) ? runner.run_interactive() : runner.run_lines(stdin, "standard input");
  } else if (std::FILE* in = std::fopen(options.session.c_str(), "r")) {
    status = runner.run_lines(in, options.session);
    std::fclose(in);
  } else {
    status = cannot_read(options.session, errno);
  }

  // As a host does before it unloads a tool it initialised.
  if (session.module_loaded && session.initialised && !session.exited) console::call_exit(session);
  hostsim::set_sink(nullptr);
  hostsim::unregister_tools();
  module.unload();
  if (!timelines.empty()) {
    // The host's data go and the address-space limit is lifted first, so that drawing
    // finds room even after the session ran into the limit.
    hostsim::reset();
    const std::string file = std::filesystem::path(options.session).filename().string();
    const std::string name = options.session.empty()   ? "demo.session"
                             : options.session == "-" ? "standard input"
                                                      : hostsim::printable(file);
    const std::string title = "Memory over time: " + name + (session.module_loaded ? "" : ", without the module");
    if (!console::write_timelines(*timeline, timelines, title) && status == EXIT_SUCCESS) status = EXIT_WRONG_ACTION;
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  hostsim::use_plain_line_ends();
  Options options;
  try {
    for (int i = 1; i < argc; ++i)
      if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
        print_usage(stdout);
        return EXIT_SUCCESS;
      }
    options = parse_command_line(argc, argv);
  } catch (const Usage_Error& error) {
    std::fprintf(stderr, "kestrum-host: %s\n", hostsim::printable(error.what()).c_str());
    print_usage(stderr);
    return EXIT_WRONG_ACTION;
  }
  return run(options);
}
