// Runs a fuzz target over the files named on the command line, for compilers without
// libFuzzer: the seeds and any saved findings then replay as an ordinary test.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        std::ifstream file(argv[i], std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 1;
        }
        std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(file), {});
        // Whole streams, and their starts, as the fuzzer's length limit would give them.
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        if (bytes.size() > 4096) LLVMFuzzerTestOneInput(bytes.data(), 4096);
        ++replayed;
    }
    std::printf("replayed %d inputs\n", replayed);
    return 0;
}
