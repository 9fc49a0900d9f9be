#pragma once

#include "compare/ChecksumList.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

// What a check of a checksum list tells its caller, in the list's order.
class ChecksumCheckReport {
public:
    virtual ~ChecksumCheckReport();
    // The file's content differs from the digest the list gives ("FEHLER").
    virtual void differs(const ChecksumEntry& entry) = 0;
    virtual void missing(const ChecksumEntry& entry) = 0;
    // The file could not be read whole (errno in `error`; 0: not a regular file, or it changed
    // while it was read).
    virtual void unreadable(const ChecksumEntry& entry, int error) = 0;
    // A line that names no file with a digest, and why (German).
    virtual void malformed(std::size_t line, const std::string& reason) = 0;
    // Asked between files and while waiting for them, with the bytes read so far; false stops
    // the check.
    virtual bool keepGoing(std::int64_t bytesRead) = 0;

protected:
    ChecksumCheckReport() = default;
    ChecksumCheckReport(const ChecksumCheckReport&) = default;
    ChecksumCheckReport& operator=(const ChecksumCheckReport&) = default;
};

struct ChecksumCheckCounts {
    std::int64_t matching = 0;
    std::int64_t differing = 0;
    std::int64_t missing = 0;
    std::int64_t unreadable = 0;
    std::int64_t malformed = 0;
    int listError = 0; // errno when the list could not be read to its end
    bool stopped = false;
};

// Reads the checksum list on `listFd` (see ChecksumListReader; also an inventory in JSON Lines
// that carries digests) and reads every file it names, as named (relative to the working folder
// or absolute, through links as sha256sum does), several at a time on worker threads, so that
// the list is checked on every core. Memory stays bounded whatever the list's length; with
// `named`, every path the list names is kept there as NormalizedListPath gives it.
ChecksumCheckCounts CheckChecksumList(int listFd, ChecksumCheckReport& report,
                                      std::unordered_set<std::string>* named = nullptr);

// A path with its "." components and repeated "/" taken out, so that "./a//b" and "a/b" are the
// same file to a check; ".." and links are left as they are.
std::string NormalizedListPath(std::string_view path);
