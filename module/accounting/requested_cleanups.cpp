#include "accounting/requested_cleanups.h"

#include "accounting/cleanup.h"
#include "accounting/update_words.h"
#include "host/host_services.h"

namespace kestrum {

void Clear_Images() {
  for (int level = CLEANUP_LEVEL_FIRST; level >= CLEANUP_LEVEL_LAST; --level)
    Memory_Cleanup_DB(static_cast<unsigned short>(level), nullptr);
  Fct_Update(UPDATE_MEMORY, nullptr, nullptr, nullptr);
  Fct_Redraw(REDRAW_IMAGES, nullptr, nullptr, nullptr);
}

void Clear_Undo() {
  Undo_Reset();
  Fct_Update(UPDATE_MEMORY, nullptr, nullptr, nullptr);
}

void Clear_Geometry() {
  Memory_Cleanup_Geom();
  Fct_Update(UPDATE_GEOMETRY, nullptr, nullptr, nullptr);
  Fct_Redraw(REDRAW_GEOMETRY, nullptr, nullptr, nullptr);
}

}  // namespace kestrum
