// The host's 2-D image database: a tree of nodes, each holding bytes of its own and
// locked by whoever reads it, reached through "$DB_2D_ROOT_PT"; and the 2-D file
// records with their image records, reached through "$DB_2D_FILE_NB" and
// "$DB_2D_FILE_PT". Nodes are reached by handle (the Orvan_2D the module sees), or by
// path: "/" is the root, which always exists, "/a/b" is child b of the root's child a,
// found name by name. Children are kept in the order added.
//
// Bad paths, missing parents and unknown nodes throw std::invalid_argument.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/host_services.h"

namespace hostsim {

// What a cleanup at `level` releases of a node's bytes, once.
struct Level_Release {
  unsigned short level;
  uint64_t bytes;
};

// ---- By handle: a node's handle stays valid until the node is removed ----
Orvan_2D* root_node();
// The child of `parent` named `name`, or null.
Orvan_2D* child_node(Orvan_2D* parent, std::string_view name);
// Adds child `name` (no '/', not empty) of `parent` holding `bytes` itself, and returns
// it; an existing child gets these bytes and releases instead, keeping its children.
// The releases must not add up to more than `bytes`. With `real` the node holds real
// memory for its bytes, touched, given back as it is released.
Orvan_2D* add_child(Orvan_2D* parent, std::string_view name, uint64_t bytes,
                    const std::vector<Level_Release>& releases = {}, bool real = false);
// Gives an existing node (the root, say) these bytes and releases instead of its own.
void set_node(Orvan_2D* node, uint64_t bytes, const std::vector<Level_Release>& releases = {},
              bool real = false);
// How many times nodes were removed so far (by drop_node, a cleanup's drop or a reset):
// a handle kept from before a change of this count may be gone.
uint64_t node_removals();

// ---- By path ----
// The node at `path` (its parent must exist), as add_child and set_node make it.
void add_node(const std::string& path, uint64_t bytes,
              const std::vector<Level_Release>& releases = {}, bool real = false);
// Removes a node and its subtree; the root cannot be removed.
void drop_node(const std::string& path);
bool node_exists(const std::string& path);
uint64_t node_bytes(const std::string& path);  // what the node holds now
Orvan_2D* node_at(const std::string& path);
// The cleanup of the node at `path` at `level` also removes the node at `target` with
// its subtree, after its release (when it is still there). The target must be neither
// the node nor one of its ancestors, which the walk still stands on.
void drop_on_cleanup(const std::string& path, unsigned short level, const std::string& target);

// A child slot after the node's present children that the host counts but hands out as
// null, as a host changing its tree under the walk may; later children come after it.
void add_null_child(const std::string& parent);

// Whether "$DB_2D_ROOT_PT" holds the root or null.
void set_root_present(bool present);

// Adds an image record to 2-D file record `file` (0 first; records are created in
// order as needed). With `real` the host holds real memory for its pixels: the element
// size (whole bytes per sample times samples, plus 1) times the four extents.
void add_image(uint32_t file, uint16_t x, uint16_t y, uint16_t z, uint16_t t, uint16_t bits,
               uint8_t samples, bool real = false);
// Overrides a file record's image count (its table stays as it is).
void set_image_count(uint32_t file, int32_t count);
uint32_t file_count();

// What the image database holds, as the host counts it: the bytes of every node of the
// tree, and for every image record added its element size times its four extents
// (whether held for real or not). Kept up to date as data come and go, so reading it
// costs nothing.
uint64_t image_bytes();

// Misuse of nodes seen so far: a node locked while held, or unlocked by someone not
// holding it ("Mutex_Close /a by LABEL, held by -"), a child asked for past the count.
const std::vector<std::string>& node_faults();
// How many nodes are locked right now.
int locks_held();

}  // namespace hostsim
