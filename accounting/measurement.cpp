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

// Writes the trace line of a node about to be measured and hands the node back. Out of
// line and called only when traces are on, so that the walk's frame keeps room neither
// for the trace's arguments nor for the node across the call.
[[gnu::noinline, gnu::cold]] Orvan_2D* Traced(Orvan_2D* node) {
  Message(MSG_TRACE_MEMORY, DB_TRACE);
  return node;
}

// The subtree of `node`, whose trace line the caller has written: what each node of the
// walk needs, and nothing of its top (Memory_Compute_DB, which gives the root). The node stays locked until its
// whole subtree is measured, so the locks nest from the root down and are released in
// reverse order. One frame a level: 48 bytes in the i686 build, so a 1 MiB thread stack
// takes about 21,800 levels (README).
uint64_t Subtree_Memory(Orvan_2D* node) {
  node->Mutex_Open(Host_Text("Memory_Compute_DB"));
  uint64_t total = node->User_Memory();
  // The count is asked again before each child: the host may change it meanwhile.
  for (int i = 0; i < node->Child_Get_Nb(); ++i) {
    // A null child is passed over: there is no node to lock or measure.
    if (Orvan_2D* child = node->Child_Get_Pt(i))  // one trace line for each node visited
      total += Subtree_Memory(Message_Enabled(MSG_TRACE_MEMORY) ? Traced(child) : child);
  }
  node->Mutex_Close(Host_Text("Memory_Compute_DB"));
  return total;
}

}  // namespace

uint64_t Memory_Compute_Default() {
  Message(MSG_TRACE_MEMORY, "in Memory_Compute_Default()");
  return Memory_Default;
}

// The top of the walk: the variables are looked up here, once a measurement, and the
// file records counted, once, without a lock; then the tree from the root. Implementer's
// choice: a variable that is missing is looked up again at the next measurement, not at
// every node of this one.
uint64_t Memory_Compute_DB() {
  Message(MSG_TRACE_MEMORY, DB_TRACE);
  DB_Variables& v = db_variables;
  Host_Variable(v.file_nb, "$DB_2D_FILE_NB");
  Host_Variable(v.file_pt, "$DB_2D_FILE_PT");
  Host_Variable(v.root_pt, "$DB_2D_ROOT_PT");
  const uint64_t total = File_Images(v.file_nb, v.file_pt);
  Orvan_2D* const root = Host_Pointer(v.root_pt);
  if (!root) return total;
  return total + Subtree_Memory(root);
}

uint64_t Memory_Compute_Undo() {
  Message(MSG_TRACE_MEMORY, "in Memory_Compute_Undo()");
  // The host answers in signed 32 bits; the figure is widened with its sign.
  const int64_t held = Undo_Memory();
  return static_cast<uint64_t>(held);
}

uint64_t Memory_Compute_Geom() {
  Message(MSG_TRACE_MEMORY, "in Memory_Compute_Geom()");
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
