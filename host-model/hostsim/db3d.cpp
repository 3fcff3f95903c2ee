#include "hostsim/db3d.h"

#include <array>
#include <cstdlib>
#include <map>
#include <memory>
#include <new>
#include <stdexcept>

#include "host/host_services.h"
#include "hostsim/events.h"
#include "hostsim/real_memory.h"
#include "hostsim/reset.h"
#include "hostsim/variables.h"

// The host 3-D library's movie objects; the model's movies derive from it.
struct Movie_Objs {};

namespace hostsim {

namespace {

struct Movie : Movie_Objs {
  explicit Movie(uint32_t size) : bytes(size) {}
  uint32_t bytes;
};

struct Object : Orvan_3D {
  std::string name;
  uint64_t bytes = 0;
  uint64_t arts = 0;
  Real_Memory memory;
  Real_Memory arts_memory;
};

Object* as_object(Orvan_3D_Geom* geometry) { return static_cast<Object*>(static_cast<Orvan_3D*>(geometry)); }

// What the host knows of each file and tag beyond its two public fields.
struct Record_Info {
  bool tag;
  uint32_t index;     // position in its table, for "Tag_Destroy INDEX"
  size_t entries;     // real length of its movie table, whatever its count says
};
std::map<const Orvan_3D_File*, Record_Info> g_records;

std::vector<std::unique_ptr<Object>> g_objects;
std::vector<std::unique_ptr<Orvan_3D_File>> g_files;
std::vector<Orvan_3D_File*> g_file_table;
uint32_t g_file_nb = 0;               // storage of $DB_3D_FILE_NB
Orvan_3D_File** g_file_pt = nullptr;  // storage of $DB_3D_FILE_PT
uint32_t g_tag_nb = 0;                // storage of $DB_3D_TAG_NB
Orvan_3D_File** g_tag_pt = nullptr;   // storage of $DB_3D_TAG_PT, a malloc'd table
bool g_quiet_destruction = false;     // the model's own clearing records no Tag_Destroy
uint64_t g_geometry_bytes = 0;        // objects, arts and movies, kept as they change

// Open iterators live in fixed slots, so that iterating allocates nothing.
struct Iterator_Slot {
  unsigned short id = 0;  // 0: free
  size_t next = 0;        // index of the next object to hand out
};
std::array<Iterator_Slot, 16> g_iterators;
unsigned short g_last_id = 0;
bool g_iterator_available = true;
std::vector<std::string> g_iterator_faults;

// The slot of iterator `id`; with 0, a free slot. Null when there is none.
Iterator_Slot* slot_of(unsigned short id) {
  for (Iterator_Slot& slot : g_iterators)
    if (slot.id == id) return &slot;
  return nullptr;
}

// A file or tag with a movie table of `movies`, or with no table and a count of `count`.
Orvan_3D_File* make_record(const Movie_Sizes* movies, int32_t count, bool tag, uint32_t index) {
  auto record = std::make_unique<Orvan_3D_File>();
  size_t entries = 0;
  if (movies) {
    entries = movies->size();
    record->Movie_Tab = new Movie_Objs*[entries]();
    for (size_t i = 0; i < entries; ++i) {
      if (!(*movies)[i]) continue;
      record->Movie_Tab[i] = new Movie(*(*movies)[i]);
      g_geometry_bytes += *(*movies)[i];
    }
    record->Movie_Nb = static_cast<int32_t>(entries);
  } else {
    record->Movie_Nb = count;
  }
  g_records[record.get()] = Record_Info{tag, index, entries};
  return record.release();
}

void add_file(const Movie_Sizes* movies, int32_t count) {
  g_files.emplace_back(make_record(movies, count, false, static_cast<uint32_t>(g_files.size())));
  g_file_table.push_back(g_files.back().get());
  g_file_nb = static_cast<uint32_t>(g_file_table.size());
  g_file_pt = g_file_table.data();
}

// The tag table is the host's malloc'd array; it is grown in place of the one that
// "$DB_3D_TAG_PT" holds now (none after a tool freed it).
void add_tag(const Movie_Sizes* movies, int32_t count) {
  void* grown = std::realloc(g_tag_pt, (size_t{g_tag_nb} + 1) * sizeof(Orvan_3D_File*));
  if (!grown) throw std::bad_alloc();
  g_tag_pt = static_cast<Orvan_3D_File**>(grown);
  g_tag_pt[g_tag_nb] = make_record(movies, count, true, g_tag_nb);
  ++g_tag_nb;
}

Orvan_3D_File& file_at(uint32_t index) {
  if (index >= g_file_nb) throw std::invalid_argument("no 3-D file " + std::to_string(index));
  return *g_file_table[index];
}

Orvan_3D_File*& tag_entry(uint32_t index) {
  if (!g_tag_pt || index >= g_tag_nb) throw std::invalid_argument("no 3-D tag " + std::to_string(index));
  return g_tag_pt[index];
}

Object& object_named(const std::string& name) {
  for (auto& object : g_objects)
    if (object->name == name) return *object;
  throw std::invalid_argument("no 3-D object " + name);
}

void clear_tags() {
  if (g_tag_pt) {
    for (uint32_t t = 0; t < g_tag_nb; ++t) delete g_tag_pt[t];
    std::free(g_tag_pt);
  }
  g_tag_pt = nullptr;
  g_tag_nb = 0;
}

// The tables are part of the host from the start; a reset empties them.
void define_tables() {
  define_variable("$DB_3D_FILE_NB", &g_file_nb);
  define_variable("$DB_3D_FILE_PT", &g_file_pt);
  define_variable("$DB_3D_TAG_NB", &g_tag_nb);
  define_variable("$DB_3D_TAG_PT", &g_tag_pt);
}
const bool g_started = (define_tables(), true);

const Reset_Registration g_reset{[] {
  g_quiet_destruction = true;
  g_objects.clear();
  g_files.clear();
  g_file_table.clear();
  g_file_nb = 0;
  g_file_pt = nullptr;
  clear_tags();
  g_records.clear();
  g_quiet_destruction = false;
  g_iterators = {};
  g_last_id = 0;
  g_iterator_available = true;
  g_iterator_faults.clear();
  g_geometry_bytes = 0;
  define_tables();
}};

}  // namespace

void add_object3d(const std::string& name, uint64_t bytes, uint64_t arts, bool real) {
  auto object = std::make_unique<Object>();
  object->name = name;
  object->bytes = bytes;
  object->arts = arts;
  if (real) {
    object->memory = Real_Memory(bytes);
    object->arts_memory = Real_Memory(arts);
  }
  g_objects.push_back(std::move(object));
  g_geometry_bytes += bytes + arts;
}

uint64_t object3d_bytes(const std::string& name) { return object_named(name).bytes; }
uint64_t object3d_arts(const std::string& name) { return object_named(name).arts; }

void add_file3d(const Movie_Sizes& movies) { add_file(&movies, 0); }
void add_tag3d(const Movie_Sizes& movies) { add_tag(&movies, 0); }
void add_file3d_without_table(int32_t count) { add_file(nullptr, count); }
void add_tag3d_without_table(int32_t count) { add_tag(nullptr, count); }

void set_file3d_movie_count(uint32_t index, int32_t count) { file_at(index).Movie_Nb = count; }

void set_tag3d_movie_count(uint32_t index, int32_t count) {
  Orvan_3D_File* tag = tag_entry(index);
  if (!tag) throw std::invalid_argument("3-D tag entry " + std::to_string(index) + " is null");
  tag->Movie_Nb = count;
}

void clear_tag3d_entry(uint32_t index) {
  Orvan_3D_File*& entry = tag_entry(index);
  g_quiet_destruction = true;
  delete entry;
  g_quiet_destruction = false;
  entry = nullptr;
}

uint64_t geometry_bytes() { return g_geometry_bytes; }

uint32_t file3d_count() { return g_file_nb; }
uint32_t tag3d_count() { return g_tag_nb; }
bool tag3d_table_present() { return g_tag_pt != nullptr; }

int tags_alive() {
  int alive = 0;
  for (const auto& record : g_records) alive += record.second.tag ? 1 : 0;
  return alive;
}

void set_iterator_available(bool available) { g_iterator_available = available; }

int iterators_open() {
  int open = 0;
  for (const Iterator_Slot& slot : g_iterators) open += slot.id != 0 ? 1 : 0;
  return open;
}

const std::vector<std::string>& iterator_faults() { return g_iterator_faults; }

}  // namespace hostsim

// ---- The host calls, as the module makes them -----------------------------------

using hostsim::as_object;

uint64_t Orvan_3D::User_Memory() { return as_object(this)->bytes; }

uint64_t Orvan_3D::User_Cleanup(unsigned short level) {
  hostsim::Object& object = *as_object(this);
  if (hostsim::recording()) hostsim::record_call("Cleanup_3D " + object.name + " " + std::to_string(level));
  const uint64_t released = object.bytes;
  hostsim::g_geometry_bytes -= released;
  object.bytes = 0;
  object.memory = hostsim::Real_Memory();
  return released;
}

uint64_t Arts_3D_Size(Orvan_3D_Geom* geometry) { return as_object(geometry)->arts; }

uint64_t Arts_3D_Free(Orvan_3D_Geom* geometry) {
  hostsim::Object& object = *as_object(geometry);
  if (hostsim::recording()) hostsim::record_call("Arts_3D_Free " + object.name);
  const uint64_t released = object.arts;
  hostsim::g_geometry_bytes -= released;
  object.arts = 0;
  object.arts_memory = hostsim::Real_Memory();
  return released;
}

uint32_t Movie_Memory(Movie_Objs* movie) { return static_cast<hostsim::Movie*>(movie)->bytes; }

// Releases what the host model made for a file or tag; a record it did not make holds
// nothing of the model's.
Orvan_3D_File::~Orvan_3D_File() {
  const auto found = hostsim::g_records.find(this);
  if (found == hostsim::g_records.end()) return;
  if (Movie_Tab) {
    for (size_t i = 0; i < found->second.entries; ++i) {
      const auto* movie = static_cast<hostsim::Movie*>(Movie_Tab[i]);
      if (movie) hostsim::g_geometry_bytes -= movie->bytes;
      delete movie;
    }
    delete[] Movie_Tab;
  }
  if (found->second.tag && !hostsim::g_quiet_destruction)
    hostsim::record_call("Tag_Destroy " + std::to_string(found->second.index));
  hostsim::g_records.erase(found);
}

unsigned short Iterator_Init(char* owner, Orvan*) {
  unsigned short id = 0;
  if (hostsim::g_iterator_available) {
    hostsim::Iterator_Slot* free_slot = hostsim::slot_of(0);
    if (free_slot) {
      do id = ++hostsim::g_last_id; while (id == 0 || hostsim::slot_of(id));
      *free_slot = hostsim::Iterator_Slot{id, 0};
    } else {
      hostsim::g_iterator_faults.push_back(std::string("Iterator_Init by ") + owner + ": no free iterator");
    }
  }
  if (hostsim::recording()) hostsim::record_call(std::string("Iterator_Init ") + owner + " " + std::to_string(id));
  return id;
}

Orvan_3D* Iterator_Class_3D(unsigned short id, unsigned int, void*, unsigned char) {
  hostsim::Iterator_Slot* slot = id != 0 ? hostsim::slot_of(id) : nullptr;
  if (!slot) {
    hostsim::g_iterator_faults.push_back("Iterator_Class_3D on unknown iterator " + std::to_string(id));
    return nullptr;
  }
  if (slot->next >= hostsim::g_objects.size()) return nullptr;
  return hostsim::g_objects[slot->next++].get();
}

int Iterator_End(unsigned short id) {
  if (hostsim::recording()) hostsim::record_call("Iterator_End " + std::to_string(id));
  hostsim::Iterator_Slot* slot = id != 0 ? hostsim::slot_of(id) : nullptr;
  if (!slot) {
    hostsim::g_iterator_faults.push_back("Iterator_End on unknown iterator " + std::to_string(id));
    return 0;
  }
  *slot = hostsim::Iterator_Slot{};
  return 1;
}

int Database_3D_Tree_Generate() {
  if (hostsim::recording()) hostsim::record_call("Database_3D_Tree_Generate");
  return 1;
}
