// The cleanups, run by the script lines "Memory: clear images" (eleven image cleanups,
// levels 15 down to 5) and "Memory: clear geom" (the geometry cleanup), and observed in
// the host's record.
#include <optional>
#include <string>
#include <vector>

#include "data_fixture.h"

namespace {

using Cleanup = Data_Test;
using Calls = std::vector<std::string>;

// "User_Cleanup PATH LEVEL BYTES" for each path, the level and 0 bytes.
Calls nothing_released(const std::vector<std::string>& paths, int level) {
  Calls out;
  for (const std::string& path : paths) out.push_back("User_Cleanup " + path + " " + std::to_string(level) + " 0");
  return out;
}

TEST_F(Cleanup, ImagesAskEveryNodeBeforeItsChildrenAtEachLevelWithoutLocks) {
  hostsim::add_node("/", 1000, {{15, 100}});
  hostsim::add_node("/a", 500, {{10, 50}, {5, 20}});
  hostsim::add_node("/a/x", 300, {{10, 30}});
  hostsim::add_node("/b", 200);
  EXPECT_EQ(clear("images"), 1);

  Calls expected;
  for (int level = 15; level >= 5; --level) {
    Calls pass = nothing_released({"/", "/a", "/a/x", "/b"}, level);
    if (level == 15) pass[0] = "User_Cleanup / 15 100";
    if (level == 10) pass[1] = "User_Cleanup /a 10 50", pass[2] = "User_Cleanup /a/x 10 30";
    if (level == 5) pass[1] = "User_Cleanup /a 5 20";
    expected.insert(expected.end(), pass.begin(), pass.end());
  }
  EXPECT_EQ(hostsim::calls_named("User_Cleanup"), expected);
  EXPECT_TRUE(hostsim::calls_named("Mutex_Open").empty());
  EXPECT_EQ(hostsim::node_bytes("/"), 900u);
  EXPECT_EQ(hostsim::node_bytes("/a"), 430u);
  EXPECT_EQ(hostsim::node_bytes("/a/x"), 270u);

  // Every release happens once: a second clear releases nothing.
  hostsim::clear_events();
  EXPECT_EQ(clear("images"), 1);
  Calls again;
  for (int level = 15; level >= 5; --level) {
    const Calls pass = nothing_released({"/", "/a", "/a/x", "/b"}, level);
    again.insert(again.end(), pass.begin(), pass.end());
  }
  EXPECT_EQ(hostsim::calls_named("User_Cleanup"), again);
}

TEST_F(Cleanup, NodesRemovedByAnEarlierCleanupAreNotVisited) {
  add_nodes({{"/a", 10}, {"/a/x", 10}, {"/a/y", 10}, {"/b", 10}, {"/c", 10}});
  // At 13 /a removes its own children; at 9 /a removes its later sibling /c.
  hostsim::drop_on_cleanup("/a", 13, "/a/x");
  hostsim::drop_on_cleanup("/a", 13, "/a/y");
  hostsim::drop_on_cleanup("/a", 9, "/c");
  EXPECT_EQ(clear("images"), 1);

  Calls expected;
  for (int level = 15; level >= 5; --level) {
    const Calls pass = level > 13  ? nothing_released({"/", "/a", "/a/x", "/a/y", "/b", "/c"}, level)
                       : level > 9 ? nothing_released({"/", "/a", "/b", "/c"}, level)
                                   : nothing_released({"/", "/a", "/b"}, level);
    expected.insert(expected.end(), pass.begin(), pass.end());
  }
  EXPECT_EQ(hostsim::calls_named("User_Cleanup"), expected);
  EXPECT_TRUE(hostsim::node_faults().empty());  // no child asked for past the count
  EXPECT_FALSE(hostsim::node_exists("/a/x"));
  EXPECT_FALSE(hostsim::node_exists("/c"));
}

TEST_F(Cleanup, ImagesTraceOnceForEachNodeAtEachLevelFromTraceLevelSix) {
  add_nodes({{"/a", 1}, {"/a/b", 1}, {"/c", 1}});
  Flag_Trace = 6;
  EXPECT_EQ(clear("images"), 1);
  EXPECT_EQ(count_messages(16, "in Memory_Cleanup_DB()"), 11 * 4);
  hostsim::clear_events();
  Flag_Trace = 5;
  EXPECT_EQ(clear("images"), 1);
  EXPECT_EQ(count_messages(16, "in Memory_Cleanup_DB()"), 0);
}

TEST_F(Cleanup, ImagesWithoutRootAskNobody) {
  hostsim::add_node("/a", 10, {{15, 10}});
  hostsim::set_root_present(false);
  EXPECT_EQ(clear("images"), 1);
  EXPECT_TRUE(hostsim::calls_named("User_Cleanup").empty());
  EXPECT_EQ(hostsim::node_bytes("/a"), 10u);
}

TEST_F(Cleanup, ImageCleanupLooksTheRootUpInItsOwnCache) {
  hostsim::add_node("/", 10);
  EXPECT_FALSE(update_purges());  // the measurement has found and kept the root's address
  ASSERT_TRUE(hostsim::unset_variable("$DB_2D_ROOT_PT"));
  EXPECT_EQ(clear("images"), 1);
  EXPECT_TRUE(hostsim::calls_named("User_Cleanup").empty());
  ASSERT_NE(Fct_Variable_Get("$DB_2D_ROOT_PT", nullptr, nullptr, nullptr, 1), nullptr);
  EXPECT_EQ(clear("images"), 1);
  EXPECT_EQ(hostsim::calls_named("User_Cleanup").size(), 11u);
}

TEST_F(Cleanup, PurgeCleansLevelByLevelUntilTheTargetIsFreed) {
  // Memory_Max - Memory_High = RAM - RAM * 80 / 100.
  const uint64_t target = RAM - RAM * 80 / 100;
  hostsim::add_node("/", MEMORY_MAX - DEFAULT_SHARE, {{15, target - 1}, {14, 1}, {13, 5}});
  EXPECT_TRUE(update_purges());
  EXPECT_EQ(hostsim::calls_named("User_Cleanup"),
            (Calls{"User_Cleanup / 15 " + std::to_string(target - 1), "User_Cleanup / 14 1"}));
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
  EXPECT_EQ(clear("geom"), 1);
  EXPECT_EQ(calls_among({"Iterator_Init", "Cleanup_3D", "Arts_3D_Free", "Iterator_End", "Tag_Destroy",
                         "Fct_Update", "Database_3D_Tree_Generate"}),
            (Calls{"Iterator_Init Kestrum: Memory_Cleanup_Geom 1", "Cleanup_3D cube 4",
                   "Arts_3D_Free cube", "Cleanup_3D cone 4", "Arts_3D_Free cone", "Iterator_End 1",
                   "Tag_Destroy 0", "Tag_Destroy 2", "Fct_Update 0x0000000000000204",
                   "Database_3D_Tree_Generate", "Fct_Update 0x0000000040000404"}));
  EXPECT_EQ(count_messages(16, "in Memory_Cleanup_Geom()"), 1);
  EXPECT_EQ(hostsim::tag3d_count(), 0u);
  EXPECT_FALSE(hostsim::tag3d_table_present());
  EXPECT_EQ(hostsim::tags_alive(), 0);
  EXPECT_EQ(hostsim::object3d_bytes("cone"), 0u);
  EXPECT_EQ(hostsim::object3d_arts("cone"), 0u);
  EXPECT_EQ(hostsim::file3d_count(), 1u);
  EXPECT_EQ(hostsim::iterators_open(), 0);

  // A second cleanup finds no tags, yet writes the count and rebuilds all the same.
  hostsim::clear_events();
  EXPECT_EQ(clear("geom"), 1);
  EXPECT_EQ(calls_among({"Iterator_Init", "Iterator_End", "Tag_Destroy", "Fct_Update", "Database_3D_Tree_Generate"}),
            (Calls{"Iterator_Init Kestrum: Memory_Cleanup_Geom 2", "Iterator_End 2",
                   "Fct_Update 0x0000000000000204", "Database_3D_Tree_Generate",
                   "Fct_Update 0x0000000040000404"}));

  // The measurement then counts the 3-D file's movies and nothing of the tags.
  Flag_Trace = 0;
  expect_measured(700);
  // Tags the host makes afresh count again.
  hostsim::add_tag3d({40});
  expect_measured(740);
}

TEST_F(Cleanup, GeometryWithoutIteratorStillDestroysTheTagsAndRebuilds) {
  hostsim::add_object3d("cube", 100, 10);
  hostsim::add_tag3d({1000});
  hostsim::set_iterator_available(false);
  EXPECT_EQ(clear("geom"), 1);
  EXPECT_EQ(calls_among({"Iterator_Init", "Cleanup_3D", "Iterator_End", "Tag_Destroy", "Fct_Update",
                         "Database_3D_Tree_Generate"}),
            (Calls{"Iterator_Init Kestrum: Memory_Cleanup_Geom 0", "Tag_Destroy 0",
                   "Fct_Update 0x0000000000000204", "Database_3D_Tree_Generate",
                   "Fct_Update 0x0000000040000404"}));
  EXPECT_EQ(hostsim::object3d_bytes("cube"), 100u);
  EXPECT_EQ(hostsim::tags_alive(), 0);
  EXPECT_TRUE(hostsim::iterator_faults().empty());
}

TEST_F(Cleanup, GeometryWritesTheTagCountEvenWithoutATable) {
  hostsim::add_tag3d({1000});
  ASSERT_NE(hostsim::tag3d_count(), 0u);
  // A count without a table: nothing to destroy, the count is cleared all the same.
  uint32_t* count = static_cast<uint32_t*>(Fct_Variable_Get("$DB_3D_TAG_NB", nullptr, nullptr, nullptr, 0));
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(clear("geom"), 1);
  *count = 3;
  hostsim::clear_events();
  EXPECT_EQ(clear("geom"), 1);
  EXPECT_EQ(*count, 0u);
  EXPECT_TRUE(hostsim::calls_named("Tag_Destroy").empty());
}

}  // namespace

namespace {

TEST_F(Cleanup, HostHoldingRealMemoryGivesItBackAsItIsReleased) {
  const uint64_t before = hostsim::real_bytes_held();
  hostsim::add_node("/a", 3 * MIB, {{15, 2 * MIB}}, true);
  hostsim::add_object3d("cube", MIB, MIB / 2, true);
  EXPECT_EQ(hostsim::real_bytes_held() - before, 4 * MIB + MIB / 2);
  EXPECT_EQ(clear("images"), 1);
  EXPECT_EQ(hostsim::real_bytes_held() - before, 2 * MIB + MIB / 2);
  EXPECT_EQ(clear("geom"), 1);
  EXPECT_EQ(hostsim::real_bytes_held() - before, MIB);
}

}  // namespace
