// Hosts whose byte-count texts a tool would not expect, for tools that must cope with
// them. A reset brings back the usual texts.
#pragma once

#include <cstddef>

namespace hostsim {

// From now on Int_2_Byte hands back texts of exactly `length` characters (the usual text,
// then dots), so that a tool can be checked to copy one without writing past its buffers;
// 0 gives the usual texts. Lengths above MAX_BYTE_TEXT_LENGTH are taken as that.
constexpr size_t MAX_BYTE_TEXT_LENGTH = 1024;
void set_byte_text_length(size_t length);
// From now on Int_2_Byte hands back null: a host with no text to give (on), or the
// usual texts again (off).
void set_no_byte_text(bool on);

}  // namespace hostsim
