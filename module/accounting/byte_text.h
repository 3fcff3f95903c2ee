// A byte count as the host writes it, for a message's %s.
#pragma once

#include <cstdint>

#include "host/host_services.h"

namespace kestrum {

// The host's text of the count (valid until its next call), or an empty text when the
// host has none to give, so that a %s never receives null.
inline const char* Byte_Text(uint64_t bytes) {
  const char* text = Int_2_Byte(static_cast<int64_t>(bytes), nullptr);
  return text ? text : "";
}

}  // namespace kestrum
