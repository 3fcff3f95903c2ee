#include "hostsim/db2d.h"

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

#include "hostsim/events.h"
#include "hostsim/printable.h"
#include "hostsim/real_memory.h"
#include "hostsim/reset.h"
#include "hostsim/variables.h"

namespace hostsim {

namespace {

// A node of the tree, as the host keeps it behind the opaque Orvan_2D.
struct Node : Orvan_2D {
  std::string name;  // empty for the root
  Node* parent = nullptr;
  std::vector<std::unique_ptr<Node>> children;
  std::unordered_map<std::string_view, Node*> by_name;  // keys view the children's names
  uint64_t bytes = 0;
  // Pending releases, each given up once, with its real memory when held for real.
  std::vector<Level_Release> releases;
  std::vector<Real_Memory> release_memory;
  Real_Memory rest_memory;  // what no cleanup level releases
  const char* holder = nullptr;  // who holds the lock; null when free
  std::vector<std::pair<unsigned short, std::string>> drops;  // level, path dropped then

  Node() = default;
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;
  // Takes the subtree apart level by level: a destructor calling its children's
  // destructors would take a frame of stack for every level of a deep tree.
  ~Node() {
    std::vector<std::unique_ptr<Node>> pending = std::move(children);
    while (!pending.empty()) {
      std::unique_ptr<Node> node = std::move(pending.back());
      pending.pop_back();
      if (!node) continue;  // a null child slot
      for (std::unique_ptr<Node>& child : node->children) pending.push_back(std::move(child));
      node->children.clear();
    }
  }

  // Built in one pass, the names copied once each: a path is as long as the node is deep.
  std::string path() const {
    if (!parent) return "/";
    size_t length = 0;
    for (const Node* node = this; node->parent; node = node->parent) length += 1 + node->name.size();
    std::string out(length, '/');
    for (const Node* node = this; node->parent; node = node->parent) {
      length -= node->name.size();
      node->name.copy(&out[length], node->name.size());
      --length;  // the slash before the name
    }
    return out;
  }
};

constexpr uint32_t MAX_FILE_RECORDS = 1u << 16;

Node* as_node(Orvan_2D* node) { return static_cast<Node*>(node); }

// One 2-D file record with its image records and the table the module reads.
struct File_Record {
  Orvan_2D_File record{};
  std::vector<std::unique_ptr<Orvan_Image>> images;
  std::vector<Orvan_Image*> table;
  std::vector<Real_Memory> pixels;
};

std::unique_ptr<Node> g_root;
Orvan_2D* g_root_pt = nullptr;  // storage of $DB_2D_ROOT_PT
std::vector<std::unique_ptr<File_Record>> g_files;
std::vector<Orvan_2D_File*> g_file_table;
uint32_t g_file_nb = 0;                // storage of $DB_2D_FILE_NB
Orvan_2D_File** g_file_pt = nullptr;   // storage of $DB_2D_FILE_PT
std::vector<std::string> g_node_faults;
int g_locks_held = 0;
uint64_t g_tree_bytes = 0;    // the bytes of every node, kept as nodes change
uint64_t g_record_bytes = 0;  // the bytes of every image record added

Node& root() {
  if (!g_root) {
    g_root = std::make_unique<Node>();
    g_root_pt = g_root.get();
  }
  return *g_root;
}

uint64_t g_node_removals = 0;

void check_begins_with_slash(std::string_view path) {
  if (path.empty() || path[0] != '/')
    throw std::invalid_argument("a path begins with /: " + printable(path));
}

void check_path(std::string_view path) {
  check_begins_with_slash(path);
  if (path.size() > 1 && (path.find("//") != std::string_view::npos || path.back() == '/'))
    throw std::invalid_argument("empty node name in " + printable(path));
}

Node* child_named(Node& node, std::string_view name) {
  const auto found = node.by_name.find(name);
  return found != node.by_name.end() ? found->second : nullptr;
}

// The node at `names` ("a/b", empty for `node` itself) below `node`, or null when some
// node along them does not exist; `path` names the whole path in errors.
Node* descend(Node* node, std::string_view names, std::string_view path) {
  while (node && !names.empty()) {
    const size_t slash = names.find('/');
    const std::string_view name = names.substr(0, slash);
    if (name.empty() || (slash != std::string_view::npos && slash + 1 == names.size()))
      throw std::invalid_argument("empty node name in " + printable(path));
    node = child_named(*node, name);
    names = slash == std::string_view::npos ? std::string_view() : names.substr(slash + 1);
  }
  return node;
}

// The node at `path`, or null when some node along it does not exist.
Node* find(std::string_view path) {
  check_begins_with_slash(path);
  return descend(&root(), path.substr(1), path);
}

Node& existing(const std::string& path) {
  Node* node = find(path);
  if (!node) throw std::invalid_argument("no node " + printable(path));
  return *node;
}

File_Record& file_record(uint32_t file) {
  if (file >= MAX_FILE_RECORDS) throw std::invalid_argument("file record number too large");
  while (g_files.size() <= file) {
    g_files.push_back(std::make_unique<File_Record>());
    g_file_table.push_back(&g_files.back()->record);
  }
  g_file_nb = static_cast<uint32_t>(g_file_table.size());
  g_file_pt = g_file_table.data();
  return *g_files[file];
}

void record_lock(const char* call, const Node& node, const char* owner) {
  if (recording_calls()) record_call(std::string(call) + " " + node.path() + " " + owner);
}

void node_fault(const std::string& what) { g_node_faults.push_back(what); }

uint64_t subtree_bytes(const Node& node) {
  uint64_t total = node.bytes;
  for (const auto& child : node.children)
    if (child) total += subtree_bytes(*child);
  return total;
}

// The bytes of one image record: element size (whole bytes per sample times samples,
// plus 1) times the four extents.
uint64_t record_bytes(uint16_t x, uint16_t y, uint16_t z, uint16_t t, uint16_t bits, uint8_t samples) {
  const uint64_t element = uint64_t{bits} / 8 * samples + 1;
  return element * x * y * z * t;
}

// The tables are part of the host from the start; a reset empties them.
void define_tables() {
  root();
  define_variable("$DB_2D_ROOT_PT", &g_root_pt);
  define_variable("$DB_2D_FILE_NB", &g_file_nb);
  define_variable("$DB_2D_FILE_PT", &g_file_pt);
}
const bool g_started = (define_tables(), true);

const Reset_Registration g_reset{[] {
  g_root.reset();
  g_files.clear();
  g_file_table.clear();
  g_file_nb = 0;
  g_file_pt = nullptr;
  g_node_faults.clear();
  g_locks_held = 0;
  ++g_node_removals;
  g_tree_bytes = 0;
  g_record_bytes = 0;
  define_tables();
}};

}  // namespace

Orvan_2D* root_node() { return &root(); }

Orvan_2D* child_node(Orvan_2D* parent, std::string_view name) { return child_named(*as_node(parent), name); }

void set_node(Orvan_2D* handle, uint64_t bytes, const std::vector<Level_Release>& releases, bool real) {
  uint64_t releasable = 0;
  for (const Level_Release& release : releases) {
    if (release.bytes > bytes - releasable) throw std::invalid_argument("releases exceed the node's bytes");
    releasable += release.bytes;
  }
  // Take the real memory first, so a failure leaves the node as it was.
  std::vector<Real_Memory> release_memory;
  Real_Memory rest_memory;
  if (real) {
    for (const Level_Release& release : releases) release_memory.emplace_back(release.bytes);
    rest_memory = Real_Memory(bytes - releasable);
  }
  Node* node = as_node(handle);
  g_tree_bytes += bytes - node->bytes;
  node->bytes = bytes;
  node->releases = releases;
  node->release_memory = std::move(release_memory);
  node->rest_memory = std::move(rest_memory);
}

Orvan_2D* add_child(Orvan_2D* parent_handle, std::string_view name, uint64_t bytes,
                    const std::vector<Level_Release>& releases, bool real) {
  if (name.empty() || name.find('/') != std::string_view::npos)
    throw std::invalid_argument("not a node name: " + printable(name));
  Node& parent = *as_node(parent_handle);
  Node* node = child_named(parent, name);
  const bool added = !node;
  if (added) {
    parent.children.push_back(std::make_unique<Node>());
    node = parent.children.back().get();
    node->name = name;
    node->parent = &parent;
    parent.by_name.emplace(node->name, node);
  }
  try {
    set_node(node, bytes, releases, real);
  } catch (...) {
    if (added) {  // leave the tree as it was
      parent.by_name.erase(node->name);
      parent.children.pop_back();
    }
    throw;
  }
  return node;
}

uint64_t node_removals() { return g_node_removals; }

void add_node(const std::string& path, uint64_t bytes, const std::vector<Level_Release>& releases,
              bool real) {
  check_path(path);
  if (path.size() == 1) return set_node(&root(), bytes, releases, real);
  const size_t slash = path.rfind('/');
  Node* parent = find(std::string_view(path).substr(0, slash == 0 ? 1 : slash));
  if (!parent) throw std::invalid_argument("no parent node for " + printable(path));
  add_child(parent, std::string_view(path).substr(slash + 1), bytes, releases, real);
}

void drop_node(const std::string& path) {
  Node& node = existing(path);
  if (!node.parent) throw std::invalid_argument("the root cannot be dropped");
  ++g_node_removals;  // handles into the subtree go
  Node& parent = *node.parent;
  g_tree_bytes -= subtree_bytes(node);
  parent.by_name.erase(node.name);
  auto& siblings = parent.children;
  for (auto it = siblings.begin(); it != siblings.end(); ++it) {
    if (it->get() == &node) {
      siblings.erase(it);
      return;
    }
  }
}

bool node_exists(const std::string& path) { return find(path) != nullptr; }

uint64_t node_bytes(const std::string& path) { return existing(path).bytes; }

Orvan_2D* node_at(const std::string& path) { return &existing(path); }

void drop_on_cleanup(const std::string& path, unsigned short level, const std::string& target) {
  Node& node = existing(path);
  check_path(target);
  if (target == "/" || path == target || path.compare(0, target.size() + 1, target + "/") == 0)
    throw std::invalid_argument(printable(target) + " is " + printable(path) + " or above it");
  node.drops.emplace_back(level, target);
}

void add_null_child(const std::string& parent) {
  existing(parent).children.emplace_back();  // counted, and handed out as null
}

void set_root_present(bool present) { g_root_pt = present ? &root() : nullptr; }

void add_image(uint32_t file, uint16_t x, uint16_t y, uint16_t z, uint16_t t, uint16_t bits,
               uint8_t samples, bool real) {
  const uint64_t bytes = record_bytes(x, y, z, t, bits, samples);
  Real_Memory pixels;
  if (real) pixels = Real_Memory(bytes);
  File_Record& record = file_record(file);
  record.images.push_back(std::make_unique<Orvan_Image>(Orvan_Image{x, y, z, t, bits, samples}));
  record.table.push_back(record.images.back().get());
  record.pixels.push_back(std::move(pixels));
  record.record.Image_Nb = static_cast<int32_t>(record.table.size());
  record.record.Image_Tab = record.table.data();
  g_record_bytes += bytes;
}

void set_image_count(uint32_t file, int32_t count) { file_record(file).record.Image_Nb = count; }

uint32_t file_count() { return g_file_nb; }

uint64_t image_bytes() { return g_tree_bytes + g_record_bytes; }

const std::vector<std::string>& node_faults() { return g_node_faults; }

int locks_held() { return g_locks_held; }

}  // namespace hostsim

// ---- The node's members, as the module calls them -----------------------------------

using hostsim::as_node;

uint64_t Orvan_2D::User_Memory() { return as_node(this)->bytes; }

uint64_t Orvan_2D::User_Cleanup(unsigned short level) {
  hostsim::Node& node = *as_node(this);
  uint64_t released = 0;
  for (size_t i = 0; i < node.releases.size(); ++i) {
    hostsim::Level_Release& release = node.releases[i];
    if (release.level != level || release.bytes == 0) continue;
    released += release.bytes;
    node.bytes -= release.bytes;
    hostsim::g_tree_bytes -= release.bytes;
    release.bytes = 0;
    if (i < node.release_memory.size()) node.release_memory[i] = hostsim::Real_Memory();
  }
  if (hostsim::recording_calls()) {
    hostsim::record_call("User_Cleanup " + node.path() + " " + std::to_string(level) + " " +
                         std::to_string(released));
  }
  for (const auto& drop : node.drops)
    if (drop.first == level && hostsim::node_exists(drop.second)) hostsim::drop_node(drop.second);
  return released;
}

int Orvan_2D::Child_Get_Nb() { return static_cast<int>(as_node(this)->children.size()); }

Orvan_2D* Orvan_2D::Child_Get_Pt(int index) {
  const hostsim::Node& node = *as_node(this);
  const auto& children = node.children;
  if (index < 0 || static_cast<size_t>(index) >= children.size()) {
    hostsim::node_fault("Child_Get_Pt " + node.path() + " " + std::to_string(index) + " of " +
                        std::to_string(children.size()));
    return nullptr;
  }
  return children[static_cast<size_t>(index)].get();
}

int Orvan_2D::Mutex_Open(char* owner) {
  hostsim::Node& node = *as_node(this);
  hostsim::record_lock("Mutex_Open", node, owner);
  if (node.holder) {
    hostsim::node_fault("Mutex_Open " + node.path() + " by " + owner + ", held by " + node.holder);
    return 0;
  }
  node.holder = owner;
  ++hostsim::g_locks_held;
  return 1;
}

int Orvan_2D::Mutex_Close(char* owner) {
  hostsim::Node& node = *as_node(this);
  hostsim::record_lock("Mutex_Close", node, owner);
  if (!node.holder || std::strcmp(node.holder, owner) != 0) {
    hostsim::node_fault("Mutex_Close " + node.path() + " by " + owner + ", held by " +
                        (node.holder ? node.holder : "-"));
    return 0;
  }
  node.holder = nullptr;
  --hostsim::g_locks_held;
  return 1;
}
