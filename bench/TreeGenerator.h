#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The shape of a benchmark tree: `fanOuts[0]` folders below the root, each of them holding
// `fanOuts[1]` folders, each of those `fanOuts[2]`, and so on; every folder but the root holds
// `filesPerFolder` files.
struct TreeShape {
    std::vector<int> fanOuts;
    int filesPerFolder = 0;
};

struct TreeStats {
    std::int64_t folders = 0;
    std::int64_t files = 0;
    std::int64_t bytes = 0; // sum of the file sizes; the files take no disk space
};

// Builds the tree below `root`, which must exist and be empty. The same shape always gives the
// same names and sizes: names mix ASCII and UTF-8, about one file in ten has a size of up to a
// few megabytes, set with ftruncate so that no data is written. Throws std::runtime_error naming
// the path that could not be created.
TreeStats GenerateTree(const std::string& root, const TreeShape& shape);

// Name of file `index` of a folder, drawn with `draw` (the generator's random numbers).
std::string BenchFileName(int index, std::uint64_t draw);
