#pragma once

#include <cstddef>
#include <cstdint>

// The number of files found that the progress shows: the files of the whole run handed on so far,
// and on top of them, while a folder is read or listed, those of its files that are found and not
// handed on yet. So the count grows while a huge folder is read, and never goes back.
class FoundCount final {
public:
    // `handedOn` counts the run's files across its folders and masks.
    explicit FoundCount(std::int64_t& handedOn) : handedOn_(handedOn) {}
    FoundCount(const FoundCount&) = delete;
    FoundCount& operator=(const FoundCount&) = delete;

    // The read of the current folder has found `files` so far.
    void reading(std::size_t files) { uncounted_ = static_cast<std::int64_t>(files); }
    // The count was shown during the read; it counts the read's files when it found any.
    void shownWhileReading();
    // The read of the current folder is over: whether the count showed files of it.
    bool readEnded();
    // The current folder's listing begins with `files` matching files. When its read showed them
    // already (`readShown`), they stay in the count until handed on.
    void beginListing(std::size_t files, bool readShown);
    void fileHandedOn();

    std::int64_t shown() const { return handedOn_ + uncounted_; }

private:
    std::int64_t& handedOn_;
    std::int64_t uncounted_ = 0;
    bool readShown_ = false;
};
