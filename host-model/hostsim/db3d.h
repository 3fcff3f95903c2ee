// The host's 3-D data: objects with their own bytes and their arts, delivered by the
// host's iterator; 3-D files and 3-D tags with their movie tables, reached through
// "$DB_3D_FILE_NB", "$DB_3D_FILE_PT", "$DB_3D_TAG_NB" and "$DB_3D_TAG_PT". Tags are
// allocated with the global operator new and the tag table with malloc, so that a tool
// may destroy them the way the host would.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hostsim {

// Movie sizes of a movie table, in order; nullopt is a null entry.
using Movie_Sizes = std::vector<std::optional<uint32_t>>;

// Adds an object holding `bytes` itself and `arts` in its arts. Its cleanup (any level)
// gives up its own bytes, Arts_3D_Free its arts. With `real` both are real memory.
void add_object3d(const std::string& name, uint64_t bytes, uint64_t arts, bool real = false);
uint64_t object3d_bytes(const std::string& name);  // throws std::invalid_argument if unknown
uint64_t object3d_arts(const std::string& name);

// Adds a 3-D file / tag whose movie table holds `movies`.
void add_file3d(const Movie_Sizes& movies);
void add_tag3d(const Movie_Sizes& movies);
// Adds one with a movie count of `count` and no table.
void add_file3d_without_table(int32_t count);
void add_tag3d_without_table(int32_t count);
// Overrides the movie count of a file or tag (its table stays as it is).
void set_file3d_movie_count(uint32_t index, int32_t count);
void set_tag3d_movie_count(uint32_t index, int32_t count);
// Makes a tag table entry null (the tag itself is destroyed by the host).
void clear_tag3d_entry(uint32_t index);

// What the 3-D data hold, as the host counts them: every object's own bytes and its
// arts, and the movies in the tables of the 3-D files and tags. Kept up to date as data
// come and go, so reading it costs nothing.
uint64_t geometry_bytes();

uint32_t file3d_count();
uint32_t tag3d_count();         // what "$DB_3D_TAG_NB" holds
bool tag3d_table_present();     // whether "$DB_3D_TAG_PT" holds a table
int tags_alive();               // tags created and not yet destroyed

// Whether Iterator_Init hands out iterators (on) or 0 (off).
void set_iterator_available(bool available);
int iterators_open();
// Misuse of iterators seen so far (an unknown or ended id, no free slot).
const std::vector<std::string>& iterator_faults();

}  // namespace hostsim
