// Replays every file of a corpus folder through a fuzz target's entry point,
// so the corpus also runs as an ordinary test with any compiler.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::size_t n = 0;
  std::error_code ec;
  for (auto& e : std::filesystem::recursive_directory_iterator(argv[1], ec)) {
    if (!e.is_regular_file()) continue;
    std::ifstream f(e.path(), std::ios::binary);
    std::vector<uint8_t> buf((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    // An input of exactly its size, as the fuzzer hands it over, so that a
    // read past its end is caught here too.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[buf.size()]);
    std::copy(buf.begin(), buf.end(), exact.get());
    LLVMFuzzerTestOneInput(exact.get(), buf.size());
    ++n;
  }
  std::printf("replayed %zu inputs\n", n);
  return 0;
}
