// The session machinery shared by every action file: output lines, the action table and
// the parsing of numbers and byte counts.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <sstream>

#include "apps/kestrum-host/console.h"
#include "hostsim/events.h"
#include "hostsim/printable.h"
#include "hostsim/updates.h"

namespace console {

namespace {

// Marks 0x01 / 0x02 as << and >> (or bold on a terminal), other control bytes and
// bytes from 0x7F up as \xNN.
std::string shown(const std::string& text, bool bold) {
  std::string out;
  size_t start = 0;
  for (size_t at = 0; at <= text.size(); ++at) {
    if (at < text.size() && text[at] != '\x01' && text[at] != '\x02') continue;
    out += hostsim::printable(std::string_view(text).substr(start, at - start));
    if (at < text.size()) out += text[at] == '\x01' ? (bold ? "\033[1m" : "<<") : (bold ? "\033[0m" : ">>");
    start = at + 1;
  }
  return out;
}

int digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A number as written: an optional sign, then decimal digits, or 0x and hexadecimal
// digits. `too_large` when its magnitude does not fit 64 bits.
struct Number {
  bool negative = false;
  bool too_large = false;
  uint64_t magnitude = 0;
};

// Reads `text` (the word, or the word less its K, M or G); `word` names it in errors.
Number read_number(std::string_view text, const std::string& word) {
  Number number;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    number.negative = text[0] == '-';
    text.remove_prefix(1);
  }
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) throw Not_A_Number("not a number: " + word);
  for (const char c : text) {
    const int digit = digit_value(c);
    if (digit < 0 || static_cast<unsigned>(digit) >= base) throw Not_A_Number("not a number: " + word);
    if (number.magnitude > (std::numeric_limits<uint64_t>::max() - static_cast<unsigned>(digit)) / base)
      number.too_large = true;
    else
      number.magnitude = number.magnitude * base + static_cast<unsigned>(digit);
  }
  return number;
}

[[noreturn]] void out_of_range(const char* what, const std::string& range, const std::string& word) {
  throw Action_Error(std::string(what) + " out of range " + range + ": " + word);
}

std::string decimal_range(int64_t least, int64_t most) {
  return std::to_string(least) + ".." + std::to_string(most);
}

// A count of bytes: the word's number times the power of 1024 its K, M or G stands for,
// `negative` with a minus sign. False when it does not fit 64 bits.
bool scaled(const std::string& word, Number& number) {
  unsigned shift = 0;
  switch (word.empty() ? '\0' : word.back()) {
    case 'K': shift = 10; break;
    case 'M': shift = 20; break;
    case 'G': shift = 30; break;
    default: break;
  }
  number = read_number(std::string_view(word).substr(0, word.size() - (shift ? 1 : 0)), word);
  if (number.too_large || number.magnitude > std::numeric_limits<uint64_t>::max() >> shift) return false;
  number.magnitude <<= shift;
  return true;
}

// Whether a number lies in [least, most], sign and magnitude compared apart.
bool within(const Number& number, int64_t least, int64_t most) {
  if (number.too_large) return false;
  if (number.negative && number.magnitude != 0)
    return least < 0 && number.magnitude - 1 <= static_cast<uint64_t>(-(least + 1));
  return most >= 0 && number.magnitude <= static_cast<uint64_t>(most);
}

int64_t signed_value(const Number& number) {
  if (!number.negative || number.magnitude == 0) return static_cast<int64_t>(number.magnitude);
  return -static_cast<int64_t>(number.magnitude - 1) - 1;
}

}  // namespace

void Session::print(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);  // a module that crashes later must not take earlier lines with it
}

void Session::ret(const std::string& entry, const std::string& values) {
  print(values.empty() ? "ret " + entry : "ret " + entry + " " + hostsim::printable(values));
}

void Session::entry_returned() { hostsim::deliver_deferred(); }

void Session::on_event(const hostsim::Event& event) {
  if (event.kind == hostsim::Event::MESSAGE) {
    if (event.code == 4 && event.text.compare(0, PURGE_REPORT.size(), PURGE_REPORT) == 0) ++purges;
    print("msg " + std::to_string(event.code) + " " + shown(event.text, bold_marks));
  } else if (event.kind == hostsim::Event::NOTE) {
    print("note " + hostsim::printable(event.text));
  } else if (log_calls) {
    print("call " + shown(event.text, false));
  }
}

void Session::set_log_calls(bool on) {
  log_calls = on;
  hostsim::set_call_recording(on);
}

std::string Session::picture_path(const std::string& path) const {
  if (png_dir.empty() || path.empty() || std::filesystem::path(path).has_root_path()) return path;
  return (std::filesystem::path(png_dir) / path).string();
}

void Action_Table::add(const std::string& word, Handler handler, unsigned needs, std::string help) {
  actions_[word] = Action{std::move(handler), needs, std::move(help)};
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

std::vector<std::string> Action_Table::help_lines(const std::string& more) const {
  std::vector<std::pair<std::string, std::string>> lines;
  size_t width = 0;
  std::vector<std::string> texts;
  for (const auto& entry : actions_) texts.push_back(entry.second.help);
  texts.push_back(more);
  for (const std::string& text : texts) {
    std::istringstream help(text);
    for (std::string line; std::getline(help, line);) {
      const size_t tab = line.find('\t');
      lines.emplace_back(line.substr(0, tab), tab == std::string::npos ? "" : line.substr(tab + 1));
      width = std::max(width, lines.back().first.size());
    }
  }
  std::vector<std::string> out;
  for (const auto& line : lines) out.push_back(line.first + std::string(width + 2 - line.first.size(), ' ') + line.second);
  return out;
}

int64_t parse_int(const std::string& word, int64_t least, int64_t most, const char* what) {
  const Number number = read_number(word, word);
  if (!within(number, least, most)) out_of_range(what, decimal_range(least, most), word);
  return signed_value(number);
}

uint64_t parse_word(const std::string& word, const char* what) {
  const Number number = read_number(word, word);
  if (number.too_large || (number.negative && number.magnitude != 0))
    out_of_range(what, "0..0xFFFFFFFFFFFFFFFF", word);
  return number.magnitude;
}

uint64_t parse_bytes(const std::string& word, const char* what, uint64_t most) {
  Number number;
  if (!scaled(word, number) || (number.negative && number.magnitude != 0) || number.magnitude > most)
    out_of_range(what, "0.." + std::to_string(most), word);
  return number.magnitude;
}

int64_t parse_signed_bytes(const std::string& word, int64_t least, int64_t most, const char* what) {
  Number number;
  if (!scaled(word, number) || !within(number, least, most)) out_of_range(what, decimal_range(least, most), word);
  return signed_value(number);
}

void expect_args(const Words& words, size_t least, size_t most, const char* usage) {
  const size_t count = words.empty() ? 0 : words.size() - 1;
  if (count < least || count > most) throw Action_Error(std::string("usage: ") + usage);
}

}  // namespace console
