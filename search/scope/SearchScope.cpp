#include "scope/SearchScope.h"

bool SearchScope::keepsFile(std::int64_t size, FileTime modified) const {
    if (MinSize && size < *MinSize)
        return false;
    if (MaxSize && size > *MaxSize)
        return false;
    if (NewerThan && !(*NewerThan < modified))
        return false;
    return !OlderThan || !(*OlderThan < modified);
}

bool SearchScope::entersBelow(std::size_t depth) const {
    return !MaxDepth || static_cast<std::int64_t>(depth) < *MaxDepth;
}
