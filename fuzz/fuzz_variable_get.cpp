// Variable_Get with any name: the input is the trace level, which out-arguments to pass
// (and whether to pass a name at all), then the name's bytes up to the input's end. The
// answer must be the address of one of the two values, chosen by the name's fourteenth
// character alone, with the out-arguments written exactly when there is an answer.
#include <cstdint>
#include <cstring>
#include <memory>

#include "fuzz/harness.h"
#include "host/host_services.h"

namespace {

void* g_available = nullptr;  // the addresses the two registered names give
void* g_usage = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::fresh_host();
  fuzz::module().Init();
  char available[] = "$MEMORY_CUDA_AVAILABLE";
  char usage[] = "$MEMORY_CUDA_USAGE";
  g_available = fuzz::module().Variable_Get(available, nullptr, nullptr);
  g_usage = fuzz::module().Variable_Get(usage, nullptr, nullptr);
  if (!g_available || !g_usage || g_available == g_usage) fuzz::fail("the registered names give no addresses");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input in(data, size);
  Flag_Trace = static_cast<signed char>(in.byte());
  const uint8_t passed = in.byte();
  // The name, exactly as long as the rest of the input, zero bytes included.
  std::string rest;
  while (!in.empty()) rest.push_back(static_cast<char>(in.byte()));
  std::unique_ptr<char[]> name(new char[rest.size() + 1]);
  std::memcpy(name.get(), rest.data(), rest.size());
  name[rest.size()] = '\0';

  int count = -7;
  unsigned short type = 0x1234;
  char* const given = (passed & 4) ? nullptr : name.get();
  void* answer = fuzz::module().Variable_Get(given, (passed & 1) ? &count : nullptr,
                                             (passed & 2) ? &type : nullptr);

  const size_t length = given ? std::strlen(given) : 0;
  const char selector = length > 13 ? given[13] : '\0';
  void* const expected = selector == 'A' ? g_available : selector == 'U' ? g_usage : nullptr;
  if (answer != expected) fuzz::fail("Variable_Get answered another address");
  const bool written = answer != nullptr;
  if ((passed & 1) && (count == 1) != written) fuzz::fail("the count was written wrongly");
  if ((passed & 1) && !written && count != -7) fuzz::fail("the count was written without an answer");
  if ((passed & 2) && (type == 0x8040) != written) fuzz::fail("the type was written wrongly");
  if ((passed & 2) && !written && type != 0x1234) fuzz::fail("the type was written without an answer");
  fuzz::check_host_intact();
  return 0;
}
