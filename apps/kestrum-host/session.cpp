// The session machinery shared by every action file: output lines, the action table and
// the parsing of numbers and byte counts.
#include <cstdio>
#include <limits>

#include "apps/kestrum-host/console.h"
#include "hostsim/updates.h"

namespace console {

namespace {

// Marks 0x01 / 0x02 as << and >> (or bold on a terminal), other control bytes and
// bytes from 0x7F up as \xNN.
std::string shown(const std::string& text, bool bold) {
  std::string out;
  out.reserve(text.size());
  for (const char byte : text) {
    const unsigned char code = static_cast<unsigned char>(byte);
    if (code == 0x01) {
      out += bold ? "\033[1m" : "<<";
    } else if (code == 0x02) {
      out += bold ? "\033[0m" : ">>";
    } else if (code < 0x20 || code >= 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", code);
      out += escaped;
    } else {
      out += byte;
    }
  }
  return out;
}

int digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The digits of `text` (decimal, or hexadecimal after 0x); `word` names it in errors.
uint64_t parse_digits(const std::string& text, const std::string& word) {
  unsigned base = 10;
  size_t at = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    at = 2;
  }
  if (at == text.size()) throw Action_Error("not a number: " + word);
  uint64_t value = 0;
  for (; at < text.size(); ++at) {
    const int digit = digit_value(text[at]);
    if (digit < 0 || static_cast<unsigned>(digit) >= base)
      throw Action_Error("not a number: " + word);
    if (value > (std::numeric_limits<uint64_t>::max() - static_cast<unsigned>(digit)) / base)
      throw Action_Error("number out of range: " + word);
    value = value * base + static_cast<unsigned>(digit);
  }
  return value;
}

}  // namespace

void Session::print(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);  // a module that crashes later must not take earlier lines with it
}

void Session::ret(const std::string& entry, const std::string& values) {
  print(values.empty() ? "ret " + entry : "ret " + entry + " " + values);
}

void Session::entry_returned() { hostsim::deliver_deferred(); }

void Session::on_event(const hostsim::Event& event) {
  if (event.kind == hostsim::Event::MESSAGE) {
    static const std::string PURGE_REPORT = "The memory manager has cleared ";
    if (event.code == 4 && event.text.compare(0, PURGE_REPORT.size(), PURGE_REPORT) == 0) ++purges;
    print("msg " + std::to_string(event.code) + " " + shown(event.text, bold_marks));
  } else if (log_calls) {
    print("call " + shown(event.text, false));
  }
}

std::string Session::picture_path(const std::string& path) const {
  if (png_dir.empty() || path.empty() || path[0] == '/') return path;
  return png_dir.back() == '/' ? png_dir + path : png_dir + "/" + path;
}

void Action_Table::add(const std::string& word, Handler handler, unsigned needs) {
  actions_[word] = Action{std::move(handler), needs};
}

const Action* Action_Table::find(const std::string& word) const {
  const auto found = actions_.find(word);
  return found == actions_.end() ? nullptr : &found->second;
}

std::vector<std::string> Action_Table::words() const {
  std::vector<std::string> out;
  for (const auto& entry : actions_) out.push_back(entry.first);
  return out;
}

uint64_t parse_unsigned(const std::string& word) { return parse_digits(word, word); }

int64_t parse_int(const std::string& word) {
  const bool negative = !word.empty() && word[0] == '-';
  const bool sign = negative || (!word.empty() && word[0] == '+');
  const uint64_t magnitude = parse_digits(word.substr(sign ? 1 : 0), word);
  const uint64_t most = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  if (magnitude > most + (negative ? 1 : 0)) throw Action_Error("number out of range: " + word);
  if (negative && magnitude > most) return std::numeric_limits<int64_t>::min();
  return negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
}

uint64_t parse_bytes(const std::string& word) {
  unsigned shift = 0;
  switch (word.empty() ? '\0' : word.back()) {
    case 'K': shift = 10; break;
    case 'M': shift = 20; break;
    case 'G': shift = 30; break;
    default: break;
  }
  const uint64_t count = parse_digits(shift ? word.substr(0, word.size() - 1) : word, word);
  if (count > std::numeric_limits<uint64_t>::max() >> shift)
    throw Action_Error("byte count out of range: " + word);
  return count << shift;
}

void expect_args(const Words& words, size_t least, size_t most, const char* usage) {
  const size_t count = words.empty() ? 0 : words.size() - 1;
  if (count < least || count > most) throw Action_Error(std::string("usage: ") + usage);
}

}  // namespace console
