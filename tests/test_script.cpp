// The script command "Memory" (help, "clear" and its three clears, word lists that a
// careless host might hand it) and the two host variables that publish the GPU memory.
#include <cstring>
#include <memory>

#include "module_fixture.h"

namespace {

const std::string HELP_HEADING = "\xF1\x03------ Memory command -------------";
const std::string HELP_USAGE = "\x01Memory: clear\x02 (*|images|undo|geom)";

// Words (or names) each in a buffer of exactly its own size, as a host hands them, so that
// a read past a word's end is a fault under the address sanitizer; null words stay null.
class Words {
 public:
  Words(std::initializer_list<const char*> words) : Words(std::vector<const char*>(words)) {}
  explicit Words(const std::vector<const char*>& words) {
    for (const char* word : words) {
      buffers_.emplace_back(word ? new char[std::strlen(word) + 1] : nullptr);
      if (word) std::memcpy(buffers_.back().get(), word, std::strlen(word) + 1);
      argv_.push_back(buffers_.back().get());
    }
  }
  int count() const { return static_cast<int>(argv_.size()); }
  char** argv() { return argv_.data(); }
  std::string operator[](size_t i) const { return argv_[i]; }

 private:
  std::vector<std::unique_ptr<char[]>> buffers_;
  std::vector<char*> argv_;
};

// The kinds a clear freed, in order, each known by the call only its own cleanup makes.
// (Every call of the three cleanups, in order: the session script_clear.)
Strings cleared_kinds() {
  Strings kinds;
  for (const std::string& call : hostsim::calls())
    if (call == "Fct_Redraw 0x000000000FFFFFFF") kinds.push_back("images");
    else if (call == "Undo_Reset") kinds.push_back("undo");
    else if (call == "Database_3D_Tree_Generate") kinds.push_back("geometry");
  return kinds;
}

class Script_Test : public Module_Test {
 protected:
  int parse(Words& words) { return module.Script_Parse(words.count(), words.argv()); }
  static bool help_only() {
    return hostsim::events().size() == 2 && hostsim::messages().size() == 2 &&
           texts(6) == Strings{HELP_HEADING, HELP_USAGE};
  }
};

// One word, or a first word beginning "hel", prints the help (code 6) and gives 0; any
// other first word but "cle..." gives 0 silently. Neither touches the words.
TEST_F(Script_Test, HelpAndUnknownSubCommands) {
  const struct {
    std::vector<const char*> words;
    bool help;
  } cases[] = {{{"help"}, true}, {{"clear"}, true}, {{"x"}, true}, {{"hello", "x"}, true},
               {{"Help", "images"}, false}, {{"HELP", "images"}, false}, {{"he", "images"}, false},
               {{"", "images"}, false}, {{"clr", "images"}, false}, {{"del", "images"}, false}};
  for (const auto& c : cases) {
    Words line(c.words);
    SCOPED_TRACE(line[0]);
    hostsim::clear_events();
    EXPECT_EQ(parse(line), 0);
    EXPECT_TRUE(c.help ? help_only() : hostsim::events().empty());
    for (size_t i = 0; i < c.words.size(); ++i) EXPECT_EQ(line[i], c.words[i]);
  }
}

// "clear" counts by its first three letters in any case; the object word is cut to three
// characters in place and matched in any case; "*" clears all three, images first; an
// unknown object clears nothing.
TEST_F(Script_Test, ClearMatchesThreeLettersOfEachWord) {
  const struct {
    const char *sub, *object, *cut;
    Strings kinds;
  } cases[] = {{"clear", "images", "ima", {"images"}},  {"CLEAR", "imagery", "ima", {"images"}},
               {"clean", "IMA", "IMA", {"images"}},     {"cLe", "geometry", "geo", {"geometry"}},
               {"cleanup", "GEOM", "GEO", {"geometry"}}, {"Clear", "undo", "und", {"undo"}},
               {"clear", "*", "*", {"images", "undo", "geometry"}},
               {"clear", "im", "im", {}}, {"clear", "u", "u", {}}, {"clear", "", "", {}}, {"clear", "foo", "foo", {}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.sub) + " " + c.object);
    hostsim::clear_events();
    Words line{c.sub, c.object};
    EXPECT_EQ(parse(line), 1);
    EXPECT_EQ(hostsim::calls().front(), "Script_Arg_Check 2 2");
    EXPECT_EQ(cleared_kinds(), c.kinds);
    EXPECT_EQ(line[1], c.cut);
    EXPECT_TRUE(hostsim::messages().empty());  // no message of its own about the clear
  }
}

// No words, a negative count or null words give 0 and write nothing; a null object word
// passes the host's count check but is neither matched nor written. The trace comes first.
TEST_F(Script_Test, UnusableWordListsGiveZeroAndAreNotWritten) {
  Words clear{"clear", "images"};
  EXPECT_EQ(module.Script_Parse(0, clear.argv()), 0);
  EXPECT_EQ(module.Script_Parse(-1, clear.argv()), 0);
  for (const int count : {2, 1, 0}) EXPECT_EQ(module.Script_Parse(count, nullptr), 0);
  Words no_words{nullptr, nullptr};
  EXPECT_EQ(parse(no_words), 0);
  EXPECT_TRUE(hostsim::events().empty());
  EXPECT_EQ(clear[1], "images");
  Words no_object{"clear", nullptr};
  EXPECT_EQ(parse(no_object), 0);
  EXPECT_EQ(hostsim::calls(), Strings{"Script_Arg_Check 2 2"});

  Flag_Trace = 4;  // the trace comes first; help is written at every level (test_lifecycle)
  hostsim::clear_events();
  EXPECT_EQ(module.Script_Parse(-1, nullptr), 0);
  Words help{"help"};
  EXPECT_EQ(parse(help), 0);
  EXPECT_EQ(texts(14), (Strings{"Kestrum: Script_Parse(nb_arg=-1)", "Kestrum: Script_Parse(nb_arg=1)"}));
  EXPECT_EQ(hostsim::messages().at(1).code, 14);
}

using Variables_Test = Module_Test;

// Variable_Get hands out stable addresses, before Init too, filling only the out-arguments
// given; only the fourteenth character of the name selects, 'A' or 'U'.
TEST_F(Variables_Test, OnlyTheFourteenthCharacterSelects) {
  Words names{"$MEMORY_CUDA_AVAILABLE", "$MEMORY_CUDA_USAGE", "$XXXXXXXXXXXXA", "$MEMORY_CUDA_Unknown"};
  void* const total = module.Variable_Get(names.argv()[0], nullptr, nullptr);
  void* const used = module.Variable_Get(names.argv()[1], nullptr, nullptr);
  ASSERT_TRUE(total && used && total != used);
  for (const auto& [name, address] : {std::make_pair(2, total), std::make_pair(3, used)}) {
    int count = -7;
    unsigned short type = 0xBEEF;
    EXPECT_EQ(module.Variable_Get(names.argv()[name], &count, nullptr), address);
    EXPECT_EQ(module.Variable_Get(names.argv()[name], nullptr, &type), address);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(type, 32832);
  }
  // 'T', a lower-case 'a', the terminator of a 13-character name and no name select nothing.
  Words refused{"$INTERFACE_TITLE_DIM_BIG", "$MEMORY_CUDA_available", "$MEMORY_CUDA_", "$MEMORY_CUDA", "$", "",
                nullptr};
  for (int i = 0; i < refused.count(); ++i) {
    int count = -7;
    unsigned short type = 0xBEEF;
    EXPECT_EQ(module.Variable_Get(refused.argv()[i], &count, &type), nullptr) << i;
    EXPECT_TRUE(count == -7 && type == 0xBEEF) << i;
  }
  Flag_Trace = 8;
  hostsim::clear_events();
  module.Variable_Get(nullptr, nullptr, nullptr);
  EXPECT_EQ(texts(18), Strings{"Kestrum: Variable_Get((null))"});

  // The addresses stay what they were before Init (test_lifecycle reads the values).
  ASSERT_EQ(module.Init(), 1);
  EXPECT_EQ(module.Variable_Get(names.argv()[0], nullptr, nullptr), total);
}

}  // namespace
