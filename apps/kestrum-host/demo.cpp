// The built-in demo: the text of examples/demo.session, embedded at build time.
#include "apps/kestrum-host/console.h"

namespace console {

const char* demo_session() {
  static const char TEXT[] =
#include "demo_session.inc"
      ;
  return TEXT;
}

}  // namespace console
