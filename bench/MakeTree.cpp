// fi_bench_tree ROOT FILES FANOUT...: builds the benchmark tree below the empty folder ROOT, with
// FILES files in every folder and the given number of folders on each level (the first FANOUT
// below ROOT, the next below each of those, and so on), and prints its size.

#include "TreeGenerator.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>

namespace {

int positive(const char* text) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > 1000000)
        throw std::invalid_argument(std::string("not a count: ") + text);
    return static_cast<int>(value);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s ROOT FILES FANOUT...\n", argv[0]);
        return 2;
    }
    try {
        TreeShape shape;
        shape.filesPerFolder = positive(argv[2]);
        for (int i = 3; i < argc; ++i)
            shape.fanOuts.push_back(positive(argv[i]));
        const TreeStats stats = GenerateTree(argv[1], shape);
        std::printf("folders %lld files %lld bytes %lld\n", static_cast<long long>(stats.folders),
                    static_cast<long long>(stats.files), static_cast<long long>(stats.bytes));
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "fi_bench_tree: %s\n", error.what());
        return 1;
    }
}
