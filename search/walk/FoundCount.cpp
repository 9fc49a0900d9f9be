#include "walk/FoundCount.h"

#include <utility>

void FoundCount::shownWhileReading() {
    if (uncounted_ > 0)
        readShown_ = true;
}

bool FoundCount::readEnded() {
    return std::exchange(readShown_, false);
}

void FoundCount::beginListing(std::size_t files, bool readShown) {
    uncounted_ = readShown ? static_cast<std::int64_t>(files) : 0;
}

void FoundCount::fileHandedOn() {
    ++handedOn_;
    if (uncounted_ > 0)
        --uncounted_;
}
