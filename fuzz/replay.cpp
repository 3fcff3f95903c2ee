// Replays inputs through a fuzz target's entry function without libFuzzer, so that the
// seed corpora run as ctest tests on every target (fuzz.TARGET): LLVMFuzzerInitialize
// once, then LLVMFuzzerTestOneInput for each file named, or for each file of each folder
// named, in name order. A target stops the process on a finding (fuzz::fail), and the
// sanitizers stop it on theirs, so any finding fails the replay; the last input named
// on standard output is the one that did.
//   fuzz-replay-TARGET FOLDER|FILE...
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    const fs::path given(argv[i]);
    if (!fs::is_directory(given)) {
      inputs.push_back(given);
      continue;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(given))
      if (entry.is_regular_file()) inputs.push_back(entry.path());
  }
  std::sort(inputs.begin(), inputs.end());
  if (inputs.empty()) {
    std::cerr << "usage: " << argv[0] << " FOLDER|FILE... (no input found)\n";
    return 2;
  }
  LLVMFuzzerInitialize(&argc, &argv);
  for (const fs::path& input : inputs) {
    std::cout << input.filename().string() << std::endl;
    std::ifstream file(input, std::ios::binary);
    if (!file) {
      std::cerr << "cannot read " << input.string() << "\n";
      return 2;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  std::cout << inputs.size() << " inputs replayed\n";
  return 0;
}
