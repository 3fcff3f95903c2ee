// The host model's record of what the module did to it: every message written through
// Error_Fct and every host call, in the order they happened. Tests read the record; the
// console prints each event through a sink at the moment it happens.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace hostsim {

struct Event {
  enum Kind { MESSAGE, CALL, NOTE } kind;
  int code;          // MESSAGE: the message code
  std::string text;  // MESSAGE: the formatted text, bytes as written;
                     // CALL: "NAME ARGS..." as the console prints it after "call ";
                     // NOTE: what the host itself has to say (a bound it reached)
};

// Records a message / a host call / a note of the host's and hands it to the sink, if any.
// `byte_count` is the count that Int_2_Byte last turned into text before the message, if any.
void record_message(int code, std::string text, std::optional<int64_t> byte_count = std::nullopt);
void record_call(std::string line);
void record_note(std::string text);

const std::vector<Event>& events();
std::vector<std::string> calls();            // the CALL texts, in order
std::vector<std::string> calls_named(const std::string& name);  // those beginning "name"
std::vector<Event> messages();               // the MESSAGE events, in order
// For message `index` of events(): the count that Int_2_Byte last turned into text since
// the message before, if any, which is the exact figure behind a byte-count text such
// as "1.50 GiB". Kept apart from the events, as few messages have one.
std::optional<int64_t> message_byte_count(size_t index);
void clear_events();

// With recording off (benchmarks, fuzzing), nothing is kept and no sink is called.
void set_recording(bool on);
bool recording();
// With call recording off, host calls are not recorded while messages still are: the
// record of a call on a deep tree's node spells out the node's whole path. On at start.
void set_call_recording(bool on);
bool recording_calls();  // recording() and call recording on

using Sink = std::function<void(const Event&)>;
void set_sink(Sink sink);

// 64-bit update words as the console writes them: 0x and 16 upper-case digits.
std::string hex_word(uint64_t word);

}  // namespace hostsim
