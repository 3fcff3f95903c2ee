// Script_Parse with any word count and any words, over a small host whose images, undo
// history and 3-D data a "clear" frees. The input: the trace level, how the count is
// chosen, the count, then the words (each a length and its bytes; 0xFF for a null word).
#include <cstdint>

#include "fuzz/harness.h"
#include "host/host_services.h"
#include "hostsim/db2d.h"
#include "hostsim/db3d.h"
#include "hostsim/undo.h"
#include "hostsim/updates.h"

namespace {

constexpr int MOST_WORDS = 8;  // the module reads two at most

void small_host() {
  fuzz::fresh_host();
  hostsim::add_node("/", 4096, {{15, 1024}});
  hostsim::add_node("/a", 1 << 20, {{5, 1 << 19}});
  hostsim::add_image(0, 64, 64, 1, 1, 16, 1);
  hostsim::set_undo_bytes(1 << 20);
  hostsim::add_object3d("cube", 1000, 2000);
  hostsim::add_tag3d({3000, 4000});
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::fresh_host();
  fuzz::module().Init();  // a budget of 64 MiB, so that an update after a clear measures
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  small_host();
  Flag_Trace = static_cast<signed char>(in.byte());
  const uint8_t how = in.byte();
  // Mostly a count of the words there are; sometimes any count, with as many words as
  // a host could pass for it.
  int count = in.range(-1, MOST_WORDS);
  if (how % 4 == 0) count = in.number<int32_t>();
  const int words_given = count < 0 ? 0 : (count > MOST_WORDS ? MOST_WORDS : count);
  fuzz::Script_Words words(in, words_given, (how & 0x10) != 0);

  const int result = fuzz::module().Script_Parse(count, words.array());
  if (result != 0 && result != 1) fuzz::fail("Script_Parse gave neither 0 nor 1");
  words.check_after_parse();
  fuzz::check_host_intact();
  hostsim::deliver_deferred();
  fuzz::check_host_intact();
  return 0;
}
