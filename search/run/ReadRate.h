#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <QString>

// How fast files are read for their digests, from the counts of bytes read that the search
// reports over time, and the time left for the bytes still to read at that rate.
class ReadRate final {
public:
    using Clock = std::chrono::steady_clock;

    // `bytesRead` read in all by `now`.
    void update(std::int64_t bytesRead, Clock::time_point now = Clock::now());
    // Bytes a second, smoothed over the last seconds; 0 until a first span was measured.
    double bytesPerSecond() const { return rate_; }
    // The time `bytesLeft` take at the current rate; none while the rate is unknown.
    std::optional<std::chrono::seconds> timeLeft(std::int64_t bytesLeft) const;

private:
    std::optional<Clock::time_point> since_;
    std::int64_t bytesSince_ = 0;
    double rate_ = 0;
};

// "1,2 GB von 3,4 GB gelesen, 850 MB/s, noch 3 s": what a progress display shows while files are
// read (decimal separator of the user's locale); without "von ..." when `bytesFound` is
// negative (not known).
QString ReadProgressText(std::int64_t bytesRead, std::int64_t bytesFound, const ReadRate& rate);
// "1,2 GB", "850 MB", "12 KB", "0 Bytes" in the user's locale.
QString ShownByteCount(std::int64_t bytes);
// "noch 3 s", "noch 2:05 min", "noch 1:02:03 h".
QString TimeLeftText(std::chrono::seconds left);
