#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A sum of file sizes. A size, and the number of files, each fit into 63 bits, so a sum of them
// fits into 127: a listing's sums are exact however many large (or sparse) files it holds, and
// never overflow.
__extension__ typedef unsigned __int128 ByteTotal;

// Adds a size, which is never negative.
inline void AddSize(ByteTotal& total, std::int64_t size) {
    total += static_cast<std::uint64_t>(size);
}

// Appends `value` in decimal.
void AppendByteTotal(std::string& out, ByteTotal value);

// `digits` (decimal digits only) as a value; false when it does not fit.
bool ParseByteTotal(std::string_view digits, ByteTotal& value);

// a + b, or the largest value when that does not fit: for a running figure such as the bytes a
// run has yet to read, which only shows progress.
std::int64_t SaturatingSum(std::int64_t a, std::int64_t b);
