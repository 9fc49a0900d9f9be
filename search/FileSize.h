#pragma once

#include <cstdint>
#include <QString>

// True with the size when `path` names an existing entry that is not a directory (a symbolic
// link counts with its own size, it is not followed); false otherwise.
bool QueryFileSize(const QString& path, std::int64_t& size);

// The size of the one entry at `path`: 0 for a directory, for a path that ends in "/" and for a
// path that names nothing.
std::int64_t EntrySize(const QString& path);
