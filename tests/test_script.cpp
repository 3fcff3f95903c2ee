// The script command "Memory": help, the "clear" sub-command and its three clears, and
// how it copes with word lists that a careless host might hand it.
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/host_services.h"
#include "hostsim/db2d.h"
#include "hostsim/db3d.h"
#include "hostsim/undo.h"
#include "module_fixture.h"

namespace {

const std::string HELP_HEADING = "\xF1\x03------ Memory command -------------";
const std::string HELP_USAGE = "\x01Memory: clear\x02 (*|images|undo|geom)";
const std::string USAGE = "\x01Memory: clear (*|images|undo|geom)";

// A script line's words, each in a writable buffer of exactly its own size, as a host
// hands them; the module may shorten them in place.
class Words {
 public:
  Words(std::initializer_list<const char*> words) {
    for (const char* word : words) {
      if (word == nullptr) {
        buffers_.emplace_back();
        argv_.push_back(nullptr);
        continue;
      }
      const size_t size = std::strlen(word) + 1;
      buffers_.emplace_back(new char[size]);
      std::memcpy(buffers_.back().get(), word, size);
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

// The calls that the clears are about, in order, without the cleanups' inner walks.
std::vector<std::string> clear_calls() {
  std::vector<std::string> out;
  for (const std::string& call : hostsim::calls()) {
    if (call.rfind("Fct_Update", 0) == 0 || call.rfind("Fct_Redraw", 0) == 0 ||
        call == "Undo_Reset" || call == "Database_3D_Tree_Generate")
      out.push_back(call);
  }
  return out;
}

const std::vector<std::string> IMAGE_WORDS = {"Fct_Update 0x0000000040000000",
                                              "Fct_Redraw 0x000000000FFFFFFF"};
const std::vector<std::string> UNDO_WORDS = {"Undo_Reset", "Fct_Update 0x0000000040000000"};
// The geometry cleanup announces the destroyed tags and rebuilds the tree itself first.
const std::vector<std::string> GEOMETRY_WORDS = {
    "Fct_Update 0x0000000000000204", "Database_3D_Tree_Generate",
    "Fct_Update 0x0000000040000404", "Fct_Redraw 0x33FFFFFF00000000"};

std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

class Script_Test : public Module_Test {
 protected:
  int parse(Words& words) { return module.Script_Parse(words.count(), words.argv()); }
  int parse(Words& words, int count) { return module.Script_Parse(count, words.argv()); }

  // Exactly the two help lines, code 6, and no host call.
  void expect_help_only() {
    const auto& all = hostsim::events();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].kind, hostsim::Event::MESSAGE);
    EXPECT_EQ(all[0].code, 6);
    EXPECT_EQ(all[0].text, HELP_HEADING);
    EXPECT_EQ(all[1].kind, hostsim::Event::MESSAGE);
    EXPECT_EQ(all[1].code, 6);
    EXPECT_EQ(all[1].text, HELP_USAGE);
  }
};

TEST_F(Script_Test, RegistersTheCommandWordAsOneConstantText) {
  const char* first = module.Script_Register();
  EXPECT_STREQ(first, "Memory");
  EXPECT_EQ(module.Script_Register(), first);
}

TEST_F(Script_Test, SingleWordOrHelPrefixPrintsHelpAndReturnsZero) {
  for (const char* word : {"help", "clear", "x"}) {
    SCOPED_TRACE(word);
    hostsim::clear_events();
    Words line{word};
    EXPECT_EQ(parse(line), 0);
    expect_help_only();  // "clear" alone runs no argument check
    EXPECT_EQ(line[0], word);
  }
  hostsim::clear_events();
  Words hello{"hello", "x"};
  EXPECT_EQ(parse(hello), 0);
  expect_help_only();
}

TEST_F(Script_Test, HelpTestIsCaseSensitiveAndOtherWordsAreSilent) {
  for (const char* word : {"Help", "HELP", "he", "", "clr", "del"}) {
    SCOPED_TRACE(word);
    hostsim::clear_events();
    Words line{word, "images"};
    EXPECT_EQ(parse(line), 0);
    EXPECT_TRUE(hostsim::events().empty());
    EXPECT_EQ(line[1], "images");
  }
}

TEST_F(Script_Test, OnlyTheFirstThreeLettersOfClearCountInAnyCase) {
  for (const char* word : {"clear", "CLEAR", "clean", "cleanup", "cLe"}) {
    SCOPED_TRACE(word);
    hostsim::clear_events();
    Words line{word, "images"};
    EXPECT_EQ(parse(line), 1);
    EXPECT_EQ(hostsim::calls_named("Script_Arg_Check"),
              std::vector<std::string>{"Script_Arg_Check 2 2"});
    EXPECT_EQ(clear_calls(), IMAGE_WORDS);
    EXPECT_EQ(line[1], "ima");
  }
}

TEST_F(Script_Test, WrongWordCountIsLeftToTheHostsCheck) {
  Words line{"clear", "images", "undo"};
  EXPECT_EQ(parse(line), 0);
  EXPECT_EQ(hostsim::calls(), std::vector<std::string>{"Script_Arg_Check 3 2"});
  // The host's report carries the usage text exactly as the module passed it.
  const auto messages = hostsim::messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].text.find(USAGE), std::string::npos);
  EXPECT_EQ(line[1], "images");  // refused before the object word is touched
}

TEST_F(Script_Test, ObjectWordIsCutToThreeCharactersBeforeMatching) {
  Words imagery{"clear", "imagery"};
  EXPECT_EQ(parse(imagery), 1);
  EXPECT_EQ(imagery[1], "ima");
  EXPECT_EQ(clear_calls(), IMAGE_WORDS);

  hostsim::clear_events();
  Words geometry{"clear", "geometry"};
  EXPECT_EQ(parse(geometry), 1);
  EXPECT_EQ(geometry[1], "geo");
  EXPECT_EQ(clear_calls(), GEOMETRY_WORDS);

  hostsim::clear_events();
  Words undo{"clear", "undo"};
  EXPECT_EQ(parse(undo), 1);
  EXPECT_EQ(undo[1], "und");
  EXPECT_EQ(clear_calls(), UNDO_WORDS);

  // Words of three characters or fewer stay as they are (and "im" matches nothing).
  for (const char* word : {"geo", "im", "u", ""}) {
    SCOPED_TRACE(word);
    hostsim::clear_events();
    Words line{"clear", word};
    EXPECT_EQ(parse(line), 1);
    EXPECT_EQ(line[1], word);
  }
}

TEST_F(Script_Test, UnknownObjectWordClearsNothingAndStillSucceeds) {
  Words line{"clear", "foo"};
  EXPECT_EQ(parse(line), 1);
  EXPECT_EQ(hostsim::calls(), std::vector<std::string>{"Script_Arg_Check 2 2"});
  EXPECT_TRUE(hostsim::messages().empty());  // no message of its own about the clear
}

// A host holding some of each kind: an image tree, an undo history, a 3-D object and a tag.
class Script_Data_Test : public Script_Test {
 protected:
  void SetUp() override {
    Script_Test::SetUp();
    if (HasFatalFailure()) return;
    hostsim::add_node("/", 1000, {{15, 100}, {5, 50}});
    hostsim::add_node("/a", 500, {{10, 500}});
    hostsim::set_undo_bytes(4096);
    hostsim::add_object3d("cube", 300, 200);
    hostsim::add_tag3d({10, std::nullopt});
    hostsim::clear_events();
  }

  // Every call, with iterator ids left out (they are the host's to choose).
  static std::vector<std::string> calls_without_ids() {
    std::vector<std::string> out;
    for (std::string call : hostsim::calls()) {
      if (call.rfind("Iterator_", 0) == 0) call = call.substr(0, call.find_last_of(' '));
      out.push_back(call);
    }
    return out;
  }

  // Each node asked at each image level, root first, then the image words.
  static std::vector<std::string> image_calls() {
    std::vector<std::string> out;
    for (int level = 15; level >= 5; --level) {
      const int root = level == 15 ? 100 : level == 5 ? 50 : 0;
      const int child = level == 10 ? 500 : 0;
      out.push_back("User_Cleanup / " + std::to_string(level) + " " + std::to_string(root));
      out.push_back("User_Cleanup /a " + std::to_string(level) + " " + std::to_string(child));
    }
    out.insert(out.end(), IMAGE_WORDS.begin(), IMAGE_WORDS.end());
    return out;
  }

  static std::vector<std::string> geometry_calls() {
    return {"Iterator_Init Kestrum: Memory_Cleanup_Geom",
            "Cleanup_3D cube 4",
            "Arts_3D_Free cube",
            "Iterator_End",
            "Tag_Destroy 0",
            "Fct_Update 0x0000000000000204",
            "Database_3D_Tree_Generate",
            "Fct_Update 0x0000000040000404",
            "Fct_Redraw 0x33FFFFFF00000000"};
  }

  static void expect_images_cleared(bool cleared) {
    EXPECT_EQ(hostsim::node_bytes("/"), cleared ? 850u : 1000u);
    EXPECT_EQ(hostsim::node_bytes("/a"), cleared ? 0u : 500u);
  }
  static void expect_undo_cleared(bool cleared) { EXPECT_EQ(hostsim::undo_bytes(), cleared ? 0 : 4096); }
  static void expect_geometry_cleared(bool cleared) {
    EXPECT_EQ(hostsim::object3d_bytes("cube"), cleared ? 0u : 300u);
    EXPECT_EQ(hostsim::object3d_arts("cube"), cleared ? 0u : 200u);
    EXPECT_EQ(hostsim::tag3d_count(), cleared ? 0u : 1u);
    EXPECT_EQ(hostsim::tag3d_table_present(), !cleared);
    EXPECT_EQ(hostsim::tags_alive(), cleared ? 0 : 1);
  }
};

TEST_F(Script_Data_Test, StarFreesEveryKindInOrder) {
  Words line{"clear", "*"};
  EXPECT_EQ(parse(line), 1);
  const std::vector<std::string> check = {"Script_Arg_Check 2 2"};
  EXPECT_EQ(calls_without_ids(), joined({check, image_calls(), UNDO_WORDS, geometry_calls()}));
  expect_images_cleared(true);
  expect_undo_cleared(true);
  expect_geometry_cleared(true);
  EXPECT_TRUE(hostsim::messages().empty());
}

TEST_F(Script_Data_Test, EachObjectWordFreesOnlyItsOwnKind) {
  Words images{"clear", "images"};
  EXPECT_EQ(parse(images), 1);
  EXPECT_EQ(calls_without_ids(), joined({{"Script_Arg_Check 2 2"}, image_calls()}));
  expect_images_cleared(true);
  expect_undo_cleared(false);
  expect_geometry_cleared(false);

  hostsim::clear_events();
  Words geometry{"Clear", "GEOM"};  // the host's Str_Match ignores case
  EXPECT_EQ(parse(geometry), 1);
  EXPECT_EQ(geometry[1], "GEO");
  EXPECT_EQ(calls_without_ids(), joined({{"Script_Arg_Check 2 2"}, geometry_calls()}));
  expect_undo_cleared(false);
  expect_geometry_cleared(true);

  hostsim::clear_events();
  Words undo{"clear", "undo"};
  EXPECT_EQ(parse(undo), 1);
  EXPECT_EQ(calls_without_ids(), joined({{"Script_Arg_Check 2 2"}, UNDO_WORDS}));
  expect_undo_cleared(true);
}

TEST_F(Script_Test, UnusableWordListsGiveZeroAndAreNotWritten) {
  Words clear{"clear", "images"};
  EXPECT_EQ(parse(clear, 0), 0);
  EXPECT_EQ(parse(clear, -1), 0);
  EXPECT_EQ(module.Script_Parse(2, nullptr), 0);
  EXPECT_EQ(module.Script_Parse(1, nullptr), 0);
  EXPECT_EQ(module.Script_Parse(0, nullptr), 0);
  Words no_words{nullptr, nullptr};
  EXPECT_EQ(parse(no_words), 0);
  EXPECT_TRUE(hostsim::events().empty());
  EXPECT_EQ(clear[1], "images");

  // A null object word passes the count check but is neither matched nor written.
  Words no_object{"clear", nullptr};
  EXPECT_EQ(parse(no_object), 0);
  EXPECT_EQ(hostsim::calls(), std::vector<std::string>{"Script_Arg_Check 2 2"});
  EXPECT_TRUE(clear_calls().empty());
}

TEST_F(Script_Test, TraceLineFirstFromLevelFour) {
  Flag_Trace = 3;
  Words foo{"foo", "x"};
  EXPECT_EQ(parse(foo), 0);
  EXPECT_TRUE(hostsim::events().empty());

  Flag_Trace = 4;
  Words help{"help"};
  EXPECT_EQ(parse(help), 0);
  const auto& all = hostsim::events();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].code, 14);
  EXPECT_EQ(all[0].text, "Kestrum: Script_Parse(nb_arg=1)");
  EXPECT_EQ(all[1].text, HELP_HEADING);

  hostsim::clear_events();
  EXPECT_EQ(module.Script_Parse(-1, nullptr), 0);
  ASSERT_EQ(hostsim::messages().size(), 1u);
  EXPECT_EQ(hostsim::messages()[0].text, "Kestrum: Script_Parse(nb_arg=-1)");

  hostsim::clear_events();
  Flag_Trace = -1;
  EXPECT_EQ(parse(help), 0);
  expect_help_only();  // help is written at every level
}

}  // namespace
