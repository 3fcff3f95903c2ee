// Script lines for the module's command word, and reads of the module's variables.
#include <cstring>
#include <string>
#include <vector>

#include "apps/kestrum-host/console.h"

namespace console {

namespace {

// get NAME: the count, the type code and the 64-bit value behind the address, or null.
void get_variable(Session& session, const Words& words) {
  expect_args(words, 1, 1, "get NAME");
  if (!session.module_loaded) return;
  std::vector<char> name(words[1].begin(), words[1].end());
  name.push_back('\0');
  int count = 0;
  unsigned short type = 0;
  void* address = session.module.Variable_Get(name.data(), &count, &type);
  if (address == nullptr) {
    session.ret("Variable_Get", words[1] + " null");
  } else {
    uint64_t value = 0;
    std::memcpy(&value, address, sizeof value);
    session.ret("Variable_Get", words[1] + " " + std::to_string(count) + " " +
                                    std::to_string(type) + " " + std::to_string(value));
  }
  session.entry_returned();
}

}  // namespace

void add_script_actions(Action_Table& table) {
  table.add("get", get_variable, MODULE,
            "get NAME\tcalls Variable_Get for one of the module's own variables");
}

// The tool may shorten a word in place, so each word goes in its own writable copy and
// the result line shows the words as they read afterwards.
void run_script_line(Session& session, const Words& args) {
  std::vector<std::vector<char>> buffers;
  buffers.reserve(args.size());
  for (const std::string& word : args) {
    buffers.emplace_back(word.begin(), word.end());
    buffers.back().push_back('\0');
  }
  std::vector<char*> argv;
  for (std::vector<char>& buffer : buffers) argv.push_back(buffer.data());
  argv.push_back(nullptr);  // as a C host's word list ends

  const int result = session.module.Script_Parse(static_cast<int>(args.size()), argv.data());
  std::string line = std::to_string(result);
  for (const std::vector<char>& buffer : buffers) line += " " + std::string(buffer.data());
  session.ret("Script_Parse", line);
  session.entry_returned();
}

}  // namespace console
