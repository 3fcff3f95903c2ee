#include "apps/kestrum-host/timeline.h"

#include <algorithm>
#include <string_view>

#include "apps/kestrum-host/console.h"
#include "hostsim/db2d.h"
#include "hostsim/db3d.h"
#include "hostsim/gpu.h"
#include "hostsim/machine.h"
#include "hostsim/printable.h"
#include "hostsim/real_memory.h"
#include "hostsim/undo.h"

namespace console {

namespace {

// Past that many distinct action words (only wrong lines at the prompt bring new ones),
// the last stands for the rest.
constexpr size_t MOST_WORDS = 256;

// Text tests on views, so that recording allocates nothing while a session runs.
bool starts_with(std::string_view text, std::string_view prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool ends_with(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The count behind message `index` of the host model's record, as a byte count; NONE
// without one (a host that gave no text still saw the count).
uint64_t count_of(size_t index) {
  const std::optional<int64_t> count = hostsim::message_byte_count(index);
  return count && *count >= 0 ? static_cast<uint64_t>(*count) : Timeline_Row::NONE;
}

// CSV quoting: a field with a comma, a quote or a line break goes in quotes, its quotes doubled.
std::string csv_field(const std::string& text) {
  if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
  std::string out = "\"";
  for (const char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

const char* event_name(Timeline_Event::Kind kind) {
  switch (kind) {
    case Timeline_Event::PURGE: return "purge";
    case Timeline_Event::CLEAR_IMAGES: return "clear images";
    case Timeline_Event::CLEAR_UNDO: return "clear undo";
    case Timeline_Event::CLEAR_GEOMETRY: return "clear geom";
    case Timeline_Event::FAILURE: return "failed:";
  }
  return "";
}

uint64_t positive(int64_t figure) { return figure > 0 ? static_cast<uint64_t>(figure) : 0; }

uint64_t dropped(uint64_t before, uint64_t after) { return before > after ? before - after : 0; }

}  // namespace

// Reading the address space in use means reading the process's whole memory map, about
// half a millisecond on a busy machine, which a long session of quick actions would
// spend most of its time on. It is read after an action that changed the real memory
// the host holds, after a line that failed, and after any other action as long as the
// readings so far took less than SPACE_READING_ALLOWANCE plus a twentieth of the time
// since the record began; otherwise the row repeats the last reading.
uint64_t Timeline::space_used(bool failed) {
  using Clock = std::chrono::steady_clock;
  const auto now = Clock::now();
  const uint64_t held = hostsim::real_bytes_held();
  const bool allowed = reading_time_ < SPACE_READING_ALLOWANCE + (now - began_) / 20;
  if (rows_.empty() || failed || held != held_at_reading_ || allowed) {
    space_used_ = dropped(hostsim::mapped_bytes(), space_base_);
    held_at_reading_ = held;
    reading_time_ += Clock::now() - now;
  }
  return space_used_;
}

std::string figure_text(uint64_t bytes) { return bytes == Timeline_Row::NONE ? "" : std::to_string(bytes); }

Timeline::Timeline() : space_base_(hostsim::mapped_bytes()), began_(std::chrono::steady_clock::now()) {}

void Timeline::expect(size_t actions) {
  rows_.reserve(actions > 0 ? actions : 4096);
  events_.reserve(64);
  words_.reserve(MOST_WORDS);
}

// A look through the few distinct words (the console has about forty actions); each is
// kept once, short ones without a heap allocation of their own.
uint16_t Timeline::intern(const std::string& word) {
  for (size_t i = 0; i < words_.size(); ++i)
    if (words_[i] == word) return static_cast<uint16_t>(i);
  if (words_.size() == MOST_WORDS) return static_cast<uint16_t>(MOST_WORDS - 1);
  words_.push_back(word);
  return static_cast<uint16_t>(words_.size() - 1);
}

void Timeline::record(uint32_t line, const std::string& action, const std::vector<hostsim::Event>& happened,
                      const char* error) {
  const uint32_t row = static_cast<uint32_t>(rows_.size());
  read_messages(happened, row);
  // The limit of the address space: what the process has mapped and what it may still
  // map, read once just after the session's "limit" line took effect. The two figures
  // are the platform's own, so this holds wherever the host model runs.
  if (action == "limit" && !error)
    space_limit_ = dropped(hostsim::mapped_bytes() + hostsim::real_available_address_space(), space_base_);

  Timeline_Row now{};
  now.images = hostsim::image_bytes();
  now.geometry = hostsim::geometry_bytes();
  now.undo = hostsim::undo_bytes();
  now.space_used = space_used(error != nullptr);
  now.space_limit = space_limit_;
  now.gpu_used = hostsim::gpu_used();
  now.budget = available_ == Timeline_Row::NONE || ram_ == Timeline_Row::NONE ? Timeline_Row::NONE
                                                                                : std::min(available_, ram_);
  now.line = line;
  now.action = intern(action);
  // Only the panel's buttons and script lines clear on request.
  if (action == "click" || is_script_word(action)) read_clears(row, now);
  if (error) events_.push_back(Timeline_Event{Timeline_Event::FAILURE, row, 0, hostsim::printable(error)});
  rows_.push_back(now);
}

// The module's budget lines and its purge reports. The figures are the exact counts
// the host's byte-count text was given, whatever the text shows.
void Timeline::read_messages(const std::vector<hostsim::Event>& happened, uint32_t row) {
  constexpr std::string_view BUDGET = "Memory Manager (32 bit) -> ";
  for (size_t i = 0; i < happened.size(); ++i) {
    const hostsim::Event& event = happened[i];
    if (event.kind != hostsim::Event::MESSAGE) continue;
    if (event.code == 11 && starts_with(event.text, BUDGET)) {
      if (ends_with(event.text, " Tot Available")) available_ = count_of(i);
      if (ends_with(event.text, " Tot RAM")) ram_ = count_of(i);
    } else if (event.code == 4 && starts_with(event.text, PURGE_REPORT)) {
      const uint64_t freed = count_of(i);
      events_.push_back(Timeline_Event{Timeline_Event::PURGE, row, freed == Timeline_Row::NONE ? 0 : freed, {}});
    }
  }
}

// A clear by button or script line shows in what the host holds: each kind that holds
// less after the action was cleared, by the amount it gave back. Images that a purge in
// the same action freed (an update the host delivered at once) are the purge's. The host
// records its calls only while they are logged, so the calls themselves do not tell.
void Timeline::read_clears(uint32_t row, const Timeline_Row& now) {
  if (rows_.empty()) return;
  const Timeline_Row& before = rows_.back();
  const bool purged = !events_.empty() && events_.back().row == row && events_.back().kind == Timeline_Event::PURGE;
  const uint64_t images = dropped(before.images, now.images);
  const uint64_t undo = dropped(positive(before.undo), positive(now.undo));
  const uint64_t geometry = dropped(before.geometry, now.geometry);
  if (images > 0 && !purged) events_.push_back({Timeline_Event::CLEAR_IMAGES, row, images, {}});
  if (undo > 0) events_.push_back({Timeline_Event::CLEAR_UNDO, row, undo, {}});
  if (geometry > 0) events_.push_back({Timeline_Event::CLEAR_GEOMETRY, row, geometry, {}});
}

void Timeline::write_csv(std::ostream& out) const {
  out << "line,action,images,undo,geometry,space_used,space_limit,gpu_used,budget,events\n";
  size_t next_event = 0;
  for (size_t r = 0; r < rows_.size(); ++r) {
    const Timeline_Row& row = rows_[r];
    std::string happened;
    for (; next_event < events_.size() && events_[next_event].row == r; ++next_event) {
      const Timeline_Event& event = events_[next_event];
      if (!happened.empty()) happened += "; ";
      happened += event_name(event.kind);
      happened += " " + (event.kind == Timeline_Event::FAILURE ? event.note : std::to_string(event.bytes));
    }
    out << row.line << ',' << csv_field(words_[row.action]) << ',' << row.images << ',' << row.undo << ','
        << row.geometry << ',' << row.space_used << ',' << figure_text(row.space_limit) << ','
        << row.gpu_used << ',' << figure_text(row.budget) << ',' << csv_field(happened) << '\n';
  }
}

}  // namespace console
