// The two cleanups: images level by level through the nodes' own cleanup, and all 3-D
// geometry at once, destroying the 3-D tags. Their variable caches are their own,
// apart from the measurements'. A missing variable or a null root cleans nothing of
// that kind: nothing is read through an address the host did not give.
#include "accounting/cleanup.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#include "accounting/host_data.h"
#include "accounting/update_words.h"
#include "plugin/messages.h"

namespace kestrum {

namespace {

Orvan_2D** cleanup_root_pt;  // Memory_Cleanup_DB's "$DB_2D_ROOT_PT"

struct Tag_Variables {
  uint32_t* tag_nb;
  Orvan_3D_File*** tag_pt;
};
Tag_Variables tag_variables;  // Memory_Cleanup_Geom's tag count and table

// Destroys every tag of the table and the table itself. The host allocated each tag
// with the global operator new and the table with malloc, from the heap the module
// shares with it, so they go back the same way. Without both variables the tags cannot
// be reached safely and are left alone.
void Destroy_Tags(uint32_t* tag_nb, Orvan_3D_File*** tag_pt) {
  if (!tag_nb || !tag_pt) return;
  if (Orvan_3D_File** const table = *tag_pt) {
    const uint32_t count = *tag_nb;
    for (uint32_t t = 0; t < count; ++t) {
      Orvan_3D_File* tag = table[t];
      if (!tag) continue;
      tag->~Orvan_3D_File();
      ::operator delete(tag);
    }
    std::free(table);
    *tag_pt = nullptr;
  }
  *tag_nb = 0;  // written also when it already was 0
}

}  // namespace

uint64_t Memory_Cleanup_DB(unsigned short level, Orvan_2D* start) {
  KESTRUM_MESSAGE(MSG_TRACE_MEMORY, "in Memory_Cleanup_DB()");
  Host_Variable(cleanup_root_pt, "$DB_2D_ROOT_PT");
  if (!start) {
    start = Host_Pointer(cleanup_root_pt);
    if (!start) return 0;
  }
  // The node releases before its children are visited, and the count is asked again
  // before each child, so children that the node's own cleanup removed are not asked.
  // One frame a level: 80 bytes in the i686 build (README).
  uint64_t released = start->User_Cleanup(level);
  for (int i = 0; i < start->Child_Get_Nb(); ++i) {
    // A null child must not be passed on: null would mean the root.
    if (Orvan_2D* child = start->Child_Get_Pt(i)) released += Memory_Cleanup_DB(level, child);
  }
  return released;
}

void Memory_Cleanup_Geom() {
  KESTRUM_MESSAGE(MSG_TRACE_MEMORY, "in Memory_Cleanup_Geom()");
  const unsigned short id = Iterator_Init(Host_Text("Kestrum: Memory_Cleanup_Geom"), nullptr);
  if (id != 0) {
    while (Orvan_3D* object = Iterator_Class_3D(id, ITERATOR_CLASSES_3D, nullptr, 0)) {
      object->User_Cleanup(CLEANUP_LEVEL_GEOMETRY);
      Arts_3D_Free(object);
    }
    Iterator_End(id);
  }

  Tag_Variables& v = tag_variables;
  Host_Variable(v.tag_nb, "$DB_3D_TAG_NB");
  Host_Variable(v.tag_pt, "$DB_3D_TAG_PT");
  Destroy_Tags(v.tag_nb, v.tag_pt);

  Fct_Update(UPDATE_TAGS_DESTROYED, nullptr, nullptr, nullptr);
  Database_3D_Tree_Generate();
}

}  // namespace kestrum
