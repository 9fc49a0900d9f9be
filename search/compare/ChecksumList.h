#pragma once

#include "base/DigestAlgorithm.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// One file that a checksum list names, with the digest it should have.
struct ChecksumEntry {
    std::size_t line = 0; // its line number, from 1
    DigestAlgorithm algorithm = DigestAlgorithm::Sha256;
    std::string hex;  // lowercase
    std::string path; // the exact bytes named, relative to the working folder or absolute
};

// Reads a checksum list line by line from an open descriptor: the lines that sha256sum, md5sum
// and their kin write ("HEX  PATH" in text and "HEX *PATH" in binary mode; a line that begins
// with a backslash has "\\", "\n" and "\r" in its path), and BSD tag lines
// ("SHA256 (PATH) = HEX", also behind a backslash). The algorithm is the tag's, or the one whose
// digests have the line's number of hexadecimal digits. Line ends may be LF or CR LF, the last
// line may lack one; empty lines and lines that begin with "#" are passed over. A line longer
// than `maxLineBytes` is skipped without being held, so memory stays bounded whatever the list.
// An inventory in JSON Lines that carries digests (its first line names the algorithm in
// "hash") is read too: each file line with its digest is an entry; folders, the summary and
// files without a digest are passed over.
class ChecksumListReader final {
public:
    static constexpr std::size_t maxLineBytes = 64 * 1024;

    enum class Result { Entry, Malformed, End, ReadError };

    explicit ChecksumListReader(int fd);
    ~ChecksumListReader();
    ChecksumListReader(const ChecksumListReader&) = delete;
    ChecksumListReader& operator=(const ChecksumListReader&) = delete;

    // The next entry; for a malformed line its number in `entry.line` and the reason (German)
    // in `reason`; for a read error errno in error().
    Result next(ChecksumEntry& entry, std::string& reason);
    int error() const { return error_; }

private:
    enum class Line { Complete, TooLong, End, ReadError };
    Line nextLine(std::string_view& line);
    bool fill();
    // The entry of a line of an inventory in JSON Lines; false when the line has none.
    bool inventoryEntry(std::string_view line, ChecksumEntry& entry, std::string& reason,
                        bool& malformed);

    class Json;
    enum class Kind { Unknown, Sums, Inventory } kind_ = Kind::Unknown;
    std::optional<DigestAlgorithm> inventoryAlgorithm_;
    bool finished_ = false; // an inventory without digests ends the list
    std::unique_ptr<Json> json_;

    int fd_;
    std::string buffer_;
    std::size_t start_ = 0; // of the unread part of buffer_
    bool atEnd_ = false;
    std::size_t lineNumber_ = 0;
    int error_ = 0;
};

// One line of a checksum list (without its line end) read into `entry`; false with the reason
// (German) when it is none.
bool ParseChecksumLine(std::string_view line, ChecksumEntry& entry, std::string& reason);
