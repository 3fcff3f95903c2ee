// The cleanups, run by the script lines "Memory: clear images" (eleven image cleanups,
// levels 15 down to 5) and "Memory: clear geom" (the geometry cleanup), and observed in
// the host's record.
#include <functional>
#include <optional>
#include <utility>

#include "module_fixture.h"

namespace {

using Cleanup = Initialised_Test;

// "User_Cleanup PATH LEVEL 0" for each path at each level from 15 down to 5, with the
// bytes of `released` ("PATH LEVEL" to bytes) instead of 0.
Strings walk(const Strings& paths, const std::vector<std::pair<std::string, uint64_t>>& released = {},
             const std::function<bool(const std::string&, int)>& skip = nullptr) {
  Strings out;
  for (int level = 15; level >= 5; --level)
    for (const std::string& path : paths) {
      if (skip && skip(path, level)) continue;
      uint64_t bytes = 0;
      for (const auto& release : released)
        if (release.first == path + " " + std::to_string(level)) bytes = release.second;
      out.push_back("User_Cleanup " + path + " " + std::to_string(level) + " " + std::to_string(bytes));
    }
  return out;
}

// A null child that the host counts is passed over (passed on, it would restart the walk
// at the root).
TEST_F(Cleanup, ImagesAskEveryNodeBeforeItsChildrenAtEachLevelWithoutLocks) {
  hostsim::add_node("/", 1000, {{15, 100}});
  hostsim::add_node("/a", 500, {{10, 50}, {5, 20}});
  hostsim::add_null_child("/a");
  hostsim::add_node("/a/x", 300, {{10, 30}});
  hostsim::add_null_child("/");
  hostsim::add_node("/b", 200);
  Flag_Trace = 6;
  EXPECT_EQ(script({"clear", "images"}), 1);
  const Strings paths = {"/", "/a", "/a/x", "/b"};
  EXPECT_EQ(hostsim::calls_named("User_Cleanup"), walk(paths, {{"/ 15", 100}, {"/a 10", 50}, {"/a/x 10", 30},
                                                               {"/a 5", 20}}));
  EXPECT_EQ(count(texts(16), "in Memory_Cleanup_DB()"), 11 * 4);  // one trace a node and level
  EXPECT_TRUE(hostsim::calls_named("Mutex_Open").empty());
  EXPECT_EQ(hostsim::node_faults(), Strings{});
  EXPECT_EQ(hostsim::node_bytes("/"), 900u);
  EXPECT_EQ(hostsim::node_bytes("/a"), 430u);
  EXPECT_EQ(hostsim::node_bytes("/a/x"), 270u);

  // Every release happens once: a second clear releases nothing.
  hostsim::clear_events();
  EXPECT_EQ(script({"clear", "images"}), 1);
  EXPECT_EQ(hostsim::calls_named("User_Cleanup"), walk(paths));
}

TEST_F(Cleanup, NodesRemovedByAnEarlierCleanupAreNotVisited) {
  for (const char* path : {"/a", "/a/x", "/a/y", "/b", "/c"}) hostsim::add_node(path, 10);
  // At 13 /a removes its own children; at 9 /a removes its later sibling /c.
  hostsim::drop_on_cleanup("/a", 13, "/a/x");
  hostsim::drop_on_cleanup("/a", 13, "/a/y");
  hostsim::drop_on_cleanup("/a", 9, "/c");
  EXPECT_EQ(script({"clear", "images"}), 1);
  EXPECT_EQ(hostsim::calls_named("User_Cleanup"),
            walk({"/", "/a", "/a/x", "/a/y", "/b", "/c"}, {}, [](const std::string& path, int level) {
              return (level <= 13 && path.rfind("/a/", 0) == 0) || (level <= 9 && path == "/c");
            }));
  EXPECT_TRUE(hostsim::node_faults().empty());  // no child asked for past the count
  EXPECT_FALSE(hostsim::node_exists("/a/x"));
  EXPECT_FALSE(hostsim::node_exists("/c"));
}

// The cleanup looks the root up itself (what the measurement found is not its), and
// without a root asks nobody.
TEST_F(Cleanup, ImagesLookTheRootUpThemselves) {
  hostsim::add_node("/", 10);
  hostsim::add_node("/a", 10, {{15, 10}});
  EXPECT_FALSE(update_purges());  // the measurement has found and kept the root's address
  ASSERT_TRUE(hostsim::unset_variable("$DB_2D_ROOT_PT"));
  EXPECT_EQ(script({"clear", "images"}), 1);
  EXPECT_TRUE(hostsim::calls_named("User_Cleanup").empty());
  ASSERT_NE(Fct_Variable_Get(Host_Text("$DB_2D_ROOT_PT"), nullptr, nullptr, nullptr, 1), nullptr);
  EXPECT_EQ(script({"clear", "images"}), 1);
  EXPECT_EQ(hostsim::calls_named("User_Cleanup").size(), 22u);
  EXPECT_EQ(hostsim::node_bytes("/a"), 0u);

  hostsim::add_node("/a", 10, {{15, 10}});
  hostsim::set_root_present(false);
  hostsim::clear_events();
  EXPECT_EQ(script({"clear", "images"}), 1);
  EXPECT_TRUE(hostsim::calls_named("User_Cleanup").empty());
  EXPECT_EQ(hostsim::node_bytes("/a"), 10u);
}

TEST_F(Cleanup, GeometryCleansEveryObjectThenDestroysTheTags) {
  hostsim::add_object3d("cube", 100, 10);
  hostsim::add_object3d("cone", 200, 20);
  hostsim::add_file3d({700});
  hostsim::add_tag3d({1000, std::nullopt});
  hostsim::add_tag3d({2000});
  hostsim::add_tag3d_without_table(4);
  hostsim::clear_tag3d_entry(1);
  Flag_Trace = 6;
  // The objects' and tags' calls; the words sent after them are the session script_clear's.
  const Strings seen = {"Iterator_", "Cleanup_3D", "Arts_3D_Free", "Tag_Destroy"};
  EXPECT_EQ(script({"clear", "geom"}), 1);
  EXPECT_EQ(calls_among(seen), (Strings{"Iterator_Init Kestrum: Memory_Cleanup_Geom 1", "Cleanup_3D cube 4",
                                        "Arts_3D_Free cube", "Cleanup_3D cone 4", "Arts_3D_Free cone",
                                        "Iterator_End 1", "Tag_Destroy 0", "Tag_Destroy 2"}));
  EXPECT_EQ(texts(16), Strings{"in Memory_Cleanup_Geom()"});
  EXPECT_EQ(hostsim::tag3d_count(), 0u);
  EXPECT_FALSE(hostsim::tag3d_table_present());
  EXPECT_EQ(hostsim::tags_alive(), 0);
  EXPECT_EQ(hostsim::object3d_bytes("cone"), 0u);
  EXPECT_EQ(hostsim::object3d_arts("cone"), 0u);
  EXPECT_EQ(hostsim::file3d_count(), 1u);
  EXPECT_EQ(hostsim::iterators_open(), 0);

  // A second cleanup finds no table, yet writes the count and rebuilds all the same.
  auto* tag_count = static_cast<uint32_t*>(Fct_Variable_Get(Host_Text("$DB_3D_TAG_NB"), nullptr, nullptr, nullptr, 0));
  ASSERT_NE(tag_count, nullptr);
  *tag_count = 3;
  hostsim::clear_events();
  Flag_Trace = 0;
  EXPECT_EQ(script({"clear", "geom"}), 1);
  EXPECT_TRUE(calls_among({"Tag_Destroy"}).empty());
  EXPECT_EQ(calls_among({"Database_3D"}).size(), 1u);
  EXPECT_EQ(*tag_count, 0u);
  // The measurement then counts the 3-D file's movies alone; tags made afresh count again.
  expect_measured(700);
  hostsim::add_tag3d({40});
  expect_measured(740);

  // Without an iterator the objects stay, the tags are destroyed all the same.
  hostsim::add_object3d("ball", 100, 10);
  hostsim::set_iterator_available(false);
  hostsim::clear_events();
  EXPECT_EQ(script({"clear", "geom"}), 1);
  EXPECT_EQ(calls_among(seen), (Strings{"Iterator_Init Kestrum: Memory_Cleanup_Geom 0", "Tag_Destroy 0"}));
  EXPECT_EQ(hostsim::object3d_bytes("ball"), 100u);
  EXPECT_EQ(hostsim::tags_alive(), 0);
  EXPECT_TRUE(hostsim::iterator_faults().empty());
}

}  // namespace
