// Bytes as a terminal may safely show them, for texts that carry words of the user's.
#pragma once

#include <string>
#include <string_view>

namespace hostsim {

// `bytes` with every control byte (below 0x20) and every byte from 0x7F up written as
// \xNN (two upper-case hexadecimal digits); NUL bytes included, nothing cut. The result
// is printable ASCII, so a second pass leaves it as it is.
std::string printable(std::string_view bytes);

}  // namespace hostsim
