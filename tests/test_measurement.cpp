// The four measurements, observed through a host update with the memory bit while the
// panel is closed: the total decides whether the purge starts, so a figure is checked
// by padding the total with the undo figure to Memory_Max exactly, then one byte short.
#include <optional>

#include "module_fixture.h"

namespace {

using Measurement = Initialised_Test;

// Bytes counted for an image beside its elements.
constexpr uint64_t OVERHEAD = 2080;

// The walk's traces and the 3-D objects' figures are the sessions data_purge and
// data_edges; here, what the walk counts, and its locks, nested from the root down. A
// null child that the host counts is passed over: passed on, it would restart the walk
// at the root, whose lock the walk holds.
TEST_F(Measurement, WalkCountsEveryNodeSkipsNullChildrenAndNoDroppedOne) {
  expect_measured(0);
  hostsim::set_undo_bytes(0);
  hostsim::add_node("/", 10);
  hostsim::add_node("/a", 20);
  hostsim::add_null_child("/a");
  hostsim::add_node("/a/x", 30);
  hostsim::add_node("/a/y", 40);
  hostsim::add_null_child("/");
  hostsim::add_node("/b", 50);
  hostsim::add_null_child("/b");
  hostsim::add_image(0, 1, 1, 1, 1, 8, 1);  // the file records are read with no lock held
  expect_measured(150 + 2 + OVERHEAD);
  EXPECT_EQ(calls_among({"Mutex_"}),
            (Strings{"Mutex_Open / Memory_Compute_DB", "Mutex_Open /a Memory_Compute_DB",
                     "Mutex_Open /a/x Memory_Compute_DB", "Mutex_Close /a/x Memory_Compute_DB",
                     "Mutex_Open /a/y Memory_Compute_DB", "Mutex_Close /a/y Memory_Compute_DB",
                     "Mutex_Close /a Memory_Compute_DB", "Mutex_Open /b Memory_Compute_DB",
                     "Mutex_Close /b Memory_Compute_DB", "Mutex_Close / Memory_Compute_DB"}));
  EXPECT_EQ(hostsim::node_faults(), Strings{});
  hostsim::drop_node("/a");
  expect_measured(60 + 2 + OVERHEAD);
  EXPECT_EQ(calls_among({"Mutex_Open"}),
            (Strings{"Mutex_Open / Memory_Compute_DB", "Mutex_Open /b Memory_Compute_DB"}));
}

TEST_F(Measurement, ImageSizeIsElementSizeTimesExtentsPlusOverhead) {
  hostsim::add_image(0, 512, 512, 1, 1, 16, 1);
  const uint64_t first = (2 * 1 + 1) * 512 * 512 + OVERHEAD;
  expect_measured(first);
  hostsim::add_image(0, 256, 256, 10, 1, 8, 3);
  const uint64_t both = first + (1 * 3 + 1) * 256 * 256 * 10 + OVERHEAD;
  expect_measured(both);
  // Samples narrower than a byte count 0 bytes each: one byte per element remains.
  hostsim::add_image(2, 10, 20, 3, 1, 7, 3);  // also creates the empty record 1
  EXPECT_EQ(hostsim::file_count(), 3u);
  uint64_t total = both + 10 * 20 * 3 + OVERHEAD;
  expect_measured(total);
  // No samples per element: one byte per element as well.
  hostsim::add_image(2, 100, 1, 2, 1, 16, 0);
  total += 100 * 2 + OVERHEAD;
  expect_measured(total);
  // An extent of 0 leaves the overhead alone.
  hostsim::add_image(1, 512, 0, 512, 1, 16, 4);
  total += OVERHEAD;
  expect_measured(total);
  // A record whose image count is 0 or less adds nothing.
  for (const int images : {0, -1}) {
    hostsim::set_image_count(0, images);
    expect_measured(total - both);
  }
  hostsim::set_image_count(0, 1);
  expect_measured(total - both + first);
}

// The image product is 32 bits widened with its sign, the undo figure too; movies are
// widened with zeros.
TEST_F(Measurement, ThirtyTwoBitFiguresAreWidenedAsTheHostMeansThem) {
  // 2 bytes per element: 2 * 65535 * 65535 wraps to 0xFFFC0002, that is -262142.
  hostsim::add_image(0, 65535, 65535, 1, 1, 8, 1);
  expect_measured(static_cast<uint64_t>(-262142 + static_cast<int64_t>(OVERHEAD)));
  // 1 byte per element: 65535 * 65535 = 0xFFFE0001 fits in 32 bits but reads as -131071.
  hostsim::add_image(0, 65535, 1, 65535, 1, 4, 2);
  hostsim::add_node("/", 400000);
  expect_measured(static_cast<uint64_t>(400000 - 262142 - 131071 + 2 * static_cast<int64_t>(OVERHEAD)));

  hostsim::set_image_count(0, 0);
  hostsim::set_undo_bytes(-5000);
  hostsim::add_node("/", MEMORY_MAX - DEFAULT_SHARE + 5000);
  EXPECT_TRUE(update_purges());
  hostsim::add_node("/", MEMORY_MAX - DEFAULT_SHARE + 4999);
  EXPECT_FALSE(update_purges());

  // A movie of 2^31 bytes is widened with zeros; an image of -2^31 (2 bytes per element
  // times 2^30 elements) balances it exactly.
  hostsim::add_node("/", 0);
  hostsim::add_file3d({0x80000000u});
  hostsim::add_image(1, 32768, 32768, 1, 1, 8, 1);
  expect_measured(OVERHEAD);
}

TEST_F(Measurement, MoviesSkipMissingTablesNullEntriesAndEmptyCounts) {
  hostsim::add_file3d({100, std::nullopt, 200});
  hostsim::add_file3d_without_table(5);
  hostsim::add_file3d({7000});
  hostsim::set_file3d_movie_count(2, 0);
  hostsim::add_file3d({9000});
  hostsim::set_file3d_movie_count(3, -1);
  hostsim::add_tag3d({1000, std::nullopt});
  hostsim::add_tag3d_without_table(3);
  hostsim::add_tag3d({50000});
  hostsim::clear_tag3d_entry(2);
  hostsim::add_tag3d({60000});
  hostsim::set_tag3d_movie_count(3, -7);
  expect_measured(1300);
}

// A null root counts the file records alone. (Variables missing, then found and kept:
// test_misbehaviour.)
TEST_F(Measurement, NullRootCountsTheFileRecordsAlone) {
  hostsim::add_node("/", 7000);
  hostsim::add_node("/a", 3000);
  hostsim::add_image(0, 10, 10, 1, 1, 8, 1);
  hostsim::set_root_present(false);
  expect_measured(200 + OVERHEAD);
  EXPECT_TRUE(hostsim::calls_named("Mutex_Open").empty());
  hostsim::set_root_present(true);
  expect_measured(200 + OVERHEAD + 10000);
}

}  // namespace
