// The four measurements: read-only walks over the host's data that add up what each
// kind holds. They allocate nothing and keep nothing but the addresses of the host
// variables they read.
//
// A missing variable, a null table or a null root measures nothing of that kind: the
// walk never reads through an address it was not given. With a null root, the 2-D file
// records still count when their variables are there; only the tree adds nothing.
#include "accounting/measurement.h"

#include <cstdint>

#include "accounting/host_data.h"
#include "accounting/memory_state.h"
#include "plugin/messages.h"

namespace kestrum {

namespace {

// Addresses read by Memory_Compute_DB.
struct DB_Variables {
  uint32_t* file_nb;
  Orvan_2D_File*** file_pt;
  Orvan_2D** root_pt;
};
DB_Variables db_variables;

// Addresses read by Memory_Compute_Geom.
struct Geom_Variables {
  uint32_t* file_nb;
  Orvan_3D_File*** file_pt;
  uint32_t* tag_nb;
  Orvan_3D_File*** tag_pt;
};
Geom_Variables geom_variables;

constexpr uint64_t IMAGE_OVERHEAD = 2080;  // bytes counted for every image besides its pixels

// Bytes counted for one image. The element size times the four extents is a 32-bit
// product, which the host's figures take as signed: a product past 2^31 counts as
// negative and is widened with its sign. The multiplication is done unsigned (it wraps,
// it does not overflow); the conversion to int32_t is two's complement on every target.
uint64_t Image_Size(const Orvan_Image& image) {
  const uint32_t per_sample = static_cast<uint32_t>(image.Sample_Bits) / 8u;
  const uint32_t per_element = per_sample * static_cast<uint32_t>(image.Sample_Number) + 1u;
  const uint32_t product = per_element * static_cast<uint32_t>(image.Size_X) *
                           static_cast<uint32_t>(image.Size_Y) * static_cast<uint32_t>(image.Size_Z) *
                           static_cast<uint32_t>(image.Size_T);
  const int64_t widened = static_cast<int32_t>(product);
  return static_cast<uint64_t>(widened) + IMAGE_OVERHEAD;
}

// Adds `measure` of every entry of a host table, from index 0 up to `count` minus 1;
// a missing table or a count of 0 or less adds nothing, null entries are passed over.
template <typename Entry, typename Measure>
uint64_t Sum_Table(Entry* const* table, int64_t count, Measure measure) {
  uint64_t total = 0;
  if (!table) return total;
  for (int64_t i = 0; i < count; ++i) {
    if (Entry* entry = table[i]) total += measure(*entry);
  }
  return total;
}

// The images of every 2-D file record, file by file, in table order.
uint64_t File_Images(const uint32_t* file_nb, Orvan_2D_File** const* file_pt) {
  if (!file_nb || !file_pt) return 0;
  return Sum_Table(*file_pt, *file_nb, [](const Orvan_2D_File& file) {
    return Sum_Table(file.Image_Tab, file.Image_Nb, Image_Size);
  });
}

// The movies of every 3-D file or tag of a table; a movie's 32-bit figure is widened
// with zeros.
uint64_t Movies(const uint32_t* count, Orvan_3D_File** const* table) {
  if (!count || !table) return 0;
  return Sum_Table(*table, *count, [](const Orvan_3D_File& record) {
    return Sum_Table(record.Movie_Tab, record.Movie_Nb,
                     [](Movie_Objs& movie) { return uint64_t{Movie_Memory(&movie)}; });
  });
}

constexpr char DB_TRACE[] = "in Memory_Compute_DB()";

// Whether one of the three variables of Memory_Compute_DB is still missing. Every call
// of it looks up what is missing, the visits of the walk's nodes included; the flag
// spares the walk's nodes that work once all three are found.
bool db_variable_missing = true;

void Look_Up_DB_Variables() {
  DB_Variables& v = db_variables;
  Host_Variable(v.file_nb, "$DB_2D_FILE_NB");
  Host_Variable(v.file_pt, "$DB_2D_FILE_PT");
  Host_Variable(v.root_pt, "$DB_2D_ROOT_PT");
  db_variable_missing = !v.file_nb || !v.file_pt || !v.root_pt;
}

// What every call of Memory_Compute_DB, and so every visit of a node, does first: its
// trace line, and the lookups while a variable is missing.
inline void Begin_Visit() {
  KESTRUM_MESSAGE(MSG_TRACE_MEMORY, DB_TRACE);
  if (db_variable_missing) Look_Up_DB_Variables();
}

// The visit of a node below the top, out of line and reached only when its trace line or
// a lookup is due, so that the walk's frame keeps room neither for their arguments nor
// for the node across the calls.
[[gnu::noinline, gnu::cold]] Orvan_2D* Visit(Orvan_2D* node) {
  Begin_Visit();
  return node;
}

// The subtree of `node`, whose visit the caller has made: what each node of the walk
// needs, and nothing of its top (the file records, the root). The node stays locked
// until its whole subtree is measured, so the locks nest from the root down and are
// released in reverse order. One frame a level (Misbehaviour_Test.StackUsePerLevelOfTheTree
// measures it).
uint64_t Subtree_Memory(Orvan_2D* node) {
  node->Mutex_Open(Host_Text("Memory_Compute_DB"));
  uint64_t total = node->User_Memory();
  // The count is asked again before each child: the host may change it meanwhile.
  for (int i = 0; i < node->Child_Get_Nb(); ++i) {
    // A null child is passed over: there is no node to lock or measure.
    if (Orvan_2D* child = node->Child_Get_Pt(i))
      total += Subtree_Memory(Message_Enabled(MSG_TRACE_MEMORY) || db_variable_missing ? Visit(child) : child);
  }
  node->Mutex_Close(Host_Text("Memory_Compute_DB"));
  return total;
}

}  // namespace

uint64_t Memory_Compute_Default() {
  KESTRUM_MESSAGE(MSG_TRACE_MEMORY, "in Memory_Compute_Default()");
  return Memory_Default;
}

// With a null start node, the top of the walk: the file records, counted once without a
// lock, then the tree from the root. Given a node, that node's subtree alone.
uint64_t Memory_Compute_DB(Orvan_2D* start) {
  // In line: a call of the cold Visit here would have the compiler take the whole
  // measurement for a rarely run path.
  Begin_Visit();
  uint64_t total = 0;
  if (!start) {
    total = File_Images(db_variables.file_nb, db_variables.file_pt);
    start = Host_Pointer(db_variables.root_pt);
    if (!start) return total;
  }
  return total + Subtree_Memory(start);
}

uint64_t Memory_Compute_Undo() {
  KESTRUM_MESSAGE(MSG_TRACE_MEMORY, "in Memory_Compute_Undo()");
  // The host answers in signed 32 bits; the figure is widened with its sign.
  const int64_t held = Undo_Memory();
  return static_cast<uint64_t>(held);
}

uint64_t Memory_Compute_Geom() {
  KESTRUM_MESSAGE(MSG_TRACE_MEMORY, "in Memory_Compute_Geom()");
  Geom_Variables& v = geom_variables;
  Host_Variable(v.file_nb, "$DB_3D_FILE_NB");
  Host_Variable(v.file_pt, "$DB_3D_FILE_PT");
  Host_Variable(v.tag_nb, "$DB_3D_TAG_NB");
  Host_Variable(v.tag_pt, "$DB_3D_TAG_PT");
  uint64_t total = Movies(v.file_nb, v.file_pt);
  total += Movies(v.tag_nb, v.tag_pt);

  const unsigned short id = Iterator_Init(Host_Text("Kestrum: Memory_Compute_Geom"), nullptr);
  if (id == 0) return total;
  while (Orvan_3D* object = Iterator_Class_3D(id, ITERATOR_CLASSES_3D, nullptr, 0)) {
    total += object->User_Memory();
    total += Arts_3D_Size(object);
  }
  Iterator_End(id);
  return total;
}

}  // namespace kestrum
