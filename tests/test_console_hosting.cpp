// The console as a host keeps it: every wrong line gets its own clear error (calls out
// of the host's order, numbers outside their field, words with control bytes, trees
// deeper than the module's walk takes), and a session that cannot be read is reported
// with its reason.
#include <gtest/gtest.h>
#include <stdlib.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

namespace {

struct Outcome {
  int status = -1;
  std::string out, err;
};

[[maybe_unused]] std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The console run on `session` (a path; "-" reads `input`), in a folder of its own.
Outcome host(const std::string& session, const std::string& input = "") {
#ifdef _WIN32
  (void)session;
  (void)input;
  return {};
#else
  char folder[] = "/tmp/kestrum-hosting-XXXXXX";
  if (!mkdtemp(folder)) return {};
  const std::string dir = folder;
  std::ofstream(dir + "/in", std::ios::binary) << input;
  const std::string command = std::string(KESTRUM_HOST_PATH) + " --bytes exact '" + session + "' < " + dir +
                              "/in > " + dir + "/out 2> " + dir + "/err";
  const int raw = std::system(command.c_str());
  Outcome run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(dir + "/out"), slurp(dir + "/err")};
  std::system(("rm -rf " + dir).c_str());
  return run;
#endif
}

// The reasons are the C library's texts and the paths Linux has.
#ifdef _WIN32
#define SKIP_ON_WINDOWS() GTEST_SKIP() << "runs the console through a POSIX shell and expects the Linux C library's texts"
#else
#define SKIP_ON_WINDOWS() (void)0
#endif

[[maybe_unused]] std::string chain(int levels) {
  std::string path;
  for (int i = 0; i < levels; ++i) path += "/n";
  return path;
}

// Each input's last line is wrong: the session stops there with status 1 and this error.
TEST(Console_Hosting, EveryWrongLineGetsItsOwnReason) {
  SKIP_ON_WINDOWS();
  using namespace std::string_literals;
  const std::string init = "machine 64M 64M\ngpu none\ninit\n";
  const struct {
    std::string input, error;
  } cases[] = {
      // The host's order: Init once, before the panel; after Exit only the constant answers.
      {"panel register\n", "the module is not initialised yet: use \"init\" first"},
      {init + "init\n", "the module is initialised already: \"init\" comes once"},
      {init + "exit\nnames\nquery\n", "the module has exited: after \"exit\" only \"names\" may call it"},
      {"exit\nupdate 0x40000000\n", "the module has exited: after \"exit\" only \"names\" may call it"},
      {"exit\nget $MEMORY_CUDA_USAGE\n", "the module has exited: after \"exit\" only \"names\" may call it"},
      {"exit\ninit\n", "the module has exited: after \"exit\" only \"names\" may call it"},
      // Numbers: out of range with the range, whatever the sign or size; only what does not
      // read as a number is "not a number".
      {"node /a -5\n", "byte count out of range 0..18446744073709551615: -5"},
      {"node /a 16777216T\n", "not a number: 16777216T"},
      {"machine 17179869184G 1G\n", "physical memory out of range 0..18446744073709551615: 17179869184G"},
      {"undo 2G\n", "undo figure out of range -2147483648..2147483647: 2G"},
      {init + "update -1\n", "update word out of range 0..0xFFFFFFFFFFFFFFFF: -1"},
      {init + "update 0x10000000000000000\n", "update word out of range 0..0xFFFFFFFFFFFFFFFF: 0x10000000000000000"},
      {init + "update 0x4000000G\n", "not a number: 0x4000000G"},
      {"image 0 1 1 1 1 8 -1\n", "samples per element out of range 0..255: -1"},
      {"tag3d 1 4G\n", "movie size out of range 0..4294967295: 4G"},
      {"trace 128\n", "trace level out of range -128..127: 128"},
      {"set $X 99999999999999999999\n", "host variable value out of range " +
                                            std::to_string(std::numeric_limits<intptr_t>::min()) + ".." +
                                            std::to_string(std::numeric_limits<intptr_t>::max()) +
                                            ": 99999999999999999999"},
      {init + "panel create\nclick 0 -32769\n", "position out of range -32768..32767: -32769"},
      // Control bytes, bytes from 0x7F up and NUL bytes shown as \xNN, the whole word.
      {"trace 1\x1b[2J\x7f\xc3\xa9\0tail\n"s, "not a number: 1\\x1B[2J\\x7F\\xC3\\xA9\\x00tail"},
      {"node /a\x01\0b/c 5\n"s, "no parent node for /a\\x01\\x00b/c"},
      {"node //a 5\n", "empty node name in //a"},
      // Deeper than the module's walk takes on a 1 MiB stack; at the bound, the tree is taken.
      {"node " + chain(8001) + " 5\n",
       "node too deep: 8001 levels below the root, at most 8000 (the module's walk must fit a 1 MiB stack)"},
      {"node " + chain(8000) + " 5\n", "no parent node for " + chain(8000)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input.substr(0, 80));
    const Outcome run = host("-", c.input + "echo not reached\n");
    const size_t lines = static_cast<size_t>(std::count(c.input.begin(), c.input.end(), '\n'));
    EXPECT_EQ(run.err, "error: " + std::to_string(lines) + ": " + c.error + "\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.find("not reached"), std::string::npos);
  }
}

// A session that is a folder, or whose reading fails, is reported as a missing one is.
TEST(Console_Hosting, ASessionThatCannotBeReadIsReportedWithItsReason) {
  SKIP_ON_WINDOWS();
  const struct {
    const char* path;
    const char* reason;
  } cases[] = {
      {"/nonexistent/a.session", "No such file or directory"},
      {"/tmp", "Is a directory"},
      {"/proc/self/mem", "Input/output error"},  // opens, but its first page cannot be read
  };
  for (const auto& c : cases) {
    const Outcome run = host(c.path);
    EXPECT_EQ(run.err, std::string("kestrum-host: cannot read ") + c.path + ": " + c.reason + "\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
  }
}

}  // namespace
