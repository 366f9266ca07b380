// Writes a seed corpus for the sequence fuzzer: the choices that seeded sequences drew, as the
// bytes that make the fuzzer's generator draw them again. Each input is a few kilobytes and
// reaches every export family, so the fuzzer starts from long sequences instead of growing them
// from nothing.
//   make_corpus DIRECTORY [COUNT]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "library/sequence_generator.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_corpus DIRECTORY [COUNT]\n");
        return 2;
    }
    const std::string directory = argv[1];
    const long count = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 200;
    if (count <= 0) {
        std::fprintf(stderr, "usage: make_corpus DIRECTORY [COUNT]\n");
        return 2;
    }
    for (long seed = 1; seed <= count; ++seed) {
        std::vector<std::uint8_t> bytes;
        tamrilo::test::Draw draw(static_cast<std::uint32_t>(seed));
        draw.record_into(&bytes);
        tamrilo::test::generate_sequence(draw, tamrilo::test::kFuzzerMaxSteps);
        const std::string path = directory + "/seed-" + std::to_string(seed);
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
            std::fclose(file) != 0) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
