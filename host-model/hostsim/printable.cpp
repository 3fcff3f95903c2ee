#include "hostsim/printable.h"

namespace hostsim {

std::string printable(std::string_view bytes) {
  static const char HEX[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size());
  for (const char byte : bytes) {
    const unsigned char code = static_cast<unsigned char>(byte);
    if (code >= 0x20 && code < 0x7F) {
      out += byte;
    } else {
      out += "\\x";
      out += HEX[code >> 4];
      out += HEX[code & 0x0F];
    }
  }
  return out;
}

}  // namespace hostsim
