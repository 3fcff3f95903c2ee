#include "hostsim/events.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "hostsim/reset.h"

namespace hostsim {

namespace {
std::vector<Event> g_events;
// Event index and count, in order. Room for more than an entry point writes between two
// clears is made at once, so that recording them takes no memory while a session runs
// (a session near its address-space limit has none to spare).
std::vector<std::pair<size_t, int64_t>> g_byte_counts = [] {
  std::vector<std::pair<size_t, int64_t>> counts;
  counts.reserve(64);
  return counts;
}();
bool g_recording = true;
bool g_recording_calls = true;
Sink g_sink;

void keep(Event event) {
  if (!g_recording) return;
  if (g_sink) g_sink(event);
  g_events.push_back(std::move(event));
}

const Reset_Registration g_reset{[] {
  g_events.clear();
  g_byte_counts.clear();
  g_recording = true;
  g_recording_calls = true;
}};
}  // namespace

void record_message(int code, std::string text, std::optional<int64_t> byte_count) {
  if (byte_count && g_recording) g_byte_counts.emplace_back(g_events.size(), *byte_count);
  keep(Event{Event::MESSAGE, code, std::move(text)});
}

void record_call(std::string line) {
  if (g_recording_calls) keep(Event{Event::CALL, 0, std::move(line)});
}

const std::vector<Event>& events() { return g_events; }

std::vector<std::string> calls() {
  std::vector<std::string> out;
  for (const Event& e : g_events)
    if (e.kind == Event::CALL) out.push_back(e.text);
  return out;
}

std::vector<std::string> calls_named(const std::string& name) {
  std::vector<std::string> out;
  for (const Event& e : g_events) {
    if (e.kind != Event::CALL || e.text.compare(0, name.size(), name) != 0) continue;
    if (e.text.size() == name.size() || e.text[name.size()] == ' ') out.push_back(e.text);
  }
  return out;
}

std::vector<Event> messages() {
  std::vector<Event> out;
  for (const Event& e : g_events)
    if (e.kind == Event::MESSAGE) out.push_back(e);
  return out;
}

std::optional<int64_t> message_byte_count(size_t index) {
  const auto before = [](const std::pair<size_t, int64_t>& entry, size_t at) { return entry.first < at; };
  const auto found = std::lower_bound(g_byte_counts.begin(), g_byte_counts.end(), index, before);
  if (found == g_byte_counts.end() || found->first != index) return std::nullopt;
  return found->second;
}

void clear_events() {
  g_events.clear();
  g_byte_counts.clear();
}

void set_recording(bool on) { g_recording = on; }
void record_note(std::string text) { keep(Event{Event::NOTE, 0, std::move(text)}); }

bool recording() { return g_recording; }
void set_call_recording(bool on) { g_recording_calls = on; }
bool recording_calls() { return g_recording && g_recording_calls; }

void set_sink(Sink sink) { g_sink = std::move(sink); }

std::string hex_word(uint64_t word) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%016" PRIX64, word);
  return text;
}

}  // namespace hostsim
