#include "compare/ChecksumList.h"

#include "format/SumsLine.h"

#include <cerrno>
#include <QByteArray>
#include <simdjson.h>
#include <unistd.h>

namespace {

constexpr std::size_t readBytes = 64 * 1024;

std::string lowercase(std::string_view hex) {
    std::string lower(hex);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'F')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

bool takePath(std::string_view written, bool escaped, ChecksumEntry& entry, std::string& reason) {
    if (written.empty()) {
        reason = "kein Dateiname";
        return false;
    }
    if (!escaped) {
        entry.path.assign(written);
        return true;
    }
    if (!UnescapeSumsPath(written, entry.path)) {
        reason = "ungültiges \"\\\" im Dateinamen";
        return false;
    }
    return true;
}

// "SHA256 (PATH) = HEX": the path runs to the last ") = ".
bool parseTagLine(std::string_view line, bool escaped, ChecksumEntry& entry, std::string& reason) {
    const std::size_t open = line.find(" (");
    const std::size_t close = line.rfind(") = ");
    if (open == std::string_view::npos || close == std::string_view::npos || close < open + 2) {
        reason = "keine Prüfsummenzeile";
        return false;
    }
    const std::string_view tag = line.substr(0, open);
    const std::optional<DigestAlgorithm> algorithm = DigestAlgorithmTagged(tag);
    if (!algorithm) {
        reason = "unbekanntes Verfahren \"" + std::string(tag) + "\"";
        return false;
    }
    const std::string_view hex = line.substr(close + 4);
    if (!IsHexDigest(hex) ||
        hex.size() != static_cast<std::size_t>(DigestInfo(*algorithm).hexLength)) {
        reason = "Prüfsumme fehlt oder hat nicht die Länge von " +
                 std::string(DigestInfo(*algorithm).shownName);
        return false;
    }
    entry.algorithm = *algorithm;
    entry.hex = lowercase(hex);
    return takePath(line.substr(open + 2, close - open - 2), escaped, entry, reason);
}

// "HEX  PATH" or "HEX *PATH".
bool parseGnuLine(std::string_view line, bool escaped, ChecksumEntry& entry, std::string& reason) {
    const std::size_t blank = line.find(' ');
    const std::string_view hex = line.substr(0, blank);
    if (blank == std::string_view::npos || !IsHexDigest(hex) || blank + 1 >= line.size() ||
        (line[blank + 1] != ' ' && line[blank + 1] != '*')) {
        reason = "keine Prüfsummenzeile";
        return false;
    }
    const std::optional<DigestAlgorithm> algorithm = DigestAlgorithmOfHexLength(hex.size());
    if (!algorithm) {
        reason = "Prüfsumme mit " + std::to_string(hex.size()) +
                 " Hexadezimalziffern passt zu keinem Verfahren";
        return false;
    }
    entry.algorithm = *algorithm;
    entry.hex = lowercase(hex);
    return takePath(line.substr(blank + 2), escaped, entry, reason);
}

bool startsWithTag(std::string_view line) {
    const std::size_t open = line.find(" (");
    return open != std::string_view::npos && open > 0 && !IsHexDigest(line.substr(0, open)) &&
           line.substr(0, open).find(' ') == std::string_view::npos;
}

} // namespace

bool ParseChecksumLine(std::string_view line, ChecksumEntry& entry, std::string& reason) {
    if (line.find('\0') != std::string_view::npos) {
        reason = "Nullbyte in der Zeile";
        return false;
    }
    const bool escaped = !line.empty() && line.front() == '\\';
    if (escaped)
        line.remove_prefix(1);
    if (startsWithTag(line))
        return parseTagLine(line, escaped, entry, reason);
    return parseGnuLine(line, escaped, entry, reason);
}

class ChecksumListReader::Json {
public:
    simdjson::dom::parser parser;
    std::string padded;
};

ChecksumListReader::ChecksumListReader(int fd) : fd_(fd) {}

ChecksumListReader::~ChecksumListReader() = default;

ChecksumListReader::Result ChecksumListReader::next(ChecksumEntry& entry, std::string& reason) {
    for (;;) {
        if (finished_)
            return Result::End;
        std::string_view line;
        const Line got = nextLine(line);
        if (got == Line::End)
            return Result::End;
        if (got == Line::ReadError)
            return Result::ReadError;
        entry.line = lineNumber_;
        if (got == Line::TooLong) {
            reason = "länger als " + std::to_string(maxLineBytes) + " Bytes";
            return Result::Malformed;
        }
        if (line.empty() || (line.front() == '#' && kind_ != Kind::Inventory))
            continue;
        if (kind_ == Kind::Unknown)
            kind_ = line.front() == '{' ? Kind::Inventory : Kind::Sums;
        if (kind_ == Kind::Sums)
            return ParseChecksumLine(line, entry, reason) ? Result::Entry : Result::Malformed;
        bool malformed = false;
        if (inventoryEntry(line, entry, reason, malformed))
            return Result::Entry;
        if (malformed)
            return Result::Malformed;
    }
}

// The next line without its LF or CR LF. A line too long to hold is read to its end in pieces
// and dropped.
ChecksumListReader::Line ChecksumListReader::nextLine(std::string_view& line) {
    bool tooLong = false;
    std::size_t searched = start_;
    for (;;) {
        const std::size_t end = buffer_.find('\n', searched);
        if (end != std::string::npos || (atEnd_ && start_ < buffer_.size())) {
            const std::size_t stop = end == std::string::npos ? buffer_.size() : end;
            line = std::string_view(buffer_).substr(start_, stop - start_);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            start_ = end == std::string::npos ? buffer_.size() : end + 1;
            ++lineNumber_;
            return tooLong || line.size() > maxLineBytes ? Line::TooLong : Line::Complete;
        }
        if (atEnd_) {
            if (!tooLong)
                return Line::End;
            ++lineNumber_;
            return Line::TooLong;
        }
        if (buffer_.size() - start_ > maxLineBytes) {
            tooLong = true;
            start_ = buffer_.size(); // what was read of the line goes
        }
        buffer_.erase(0, start_);
        start_ = 0;
        searched = buffer_.size();
        if (!fill())
            return Line::ReadError;
    }
}

bool ChecksumListReader::fill() {
    const std::size_t had = buffer_.size();
    buffer_.resize(had + readBytes);
    for (;;) {
        const ssize_t got = ::read(fd_, buffer_.data() + had, readBytes);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error_ = errno;
            buffer_.resize(had);
            return false;
        }
        buffer_.resize(had + static_cast<std::size_t>(got));
        atEnd_ = got == 0;
        return true;
    }
}

// {"type":"inventory",...,"hash":"sha256"} first, then {"type":"file","path":...,"sha256":...}.
bool ChecksumListReader::inventoryEntry(std::string_view line, ChecksumEntry& entry,
                                        std::string& reason, bool& malformed) {
    if (!json_)
        json_ = std::make_unique<Json>();
    json_->padded.assign(line);
    json_->padded.append(simdjson::SIMDJSON_PADDING, ' ');
    simdjson::dom::object object;
    std::string_view type;
    malformed = true;
    if (json_->parser.parse(json_->padded.data(), line.size(), false).get(object) ||
        object["type"].get_string().get(type)) {
        reason = "keine Zeile eines Inventars in JSON Lines";
        return false;
    }
    if (!inventoryAlgorithm_) {
        std::string_view hash;
        if (type != "inventory" || object["hash"].get_string().get(hash) ||
            !DigestAlgorithmNamed(hash)) {
            reason = "das Inventar trägt keine Prüfsummen";
            finished_ = true;
            return false;
        }
        inventoryAlgorithm_ = DigestAlgorithmNamed(hash);
        malformed = false;
        return false;
    }
    malformed = false;
    std::string_view hex;
    if (type != "file" || object[DigestInfo(*inventoryAlgorithm_).name].get_string().get(hex))
        return false;
    malformed = true;
    if (!IsHexDigest(hex) ||
        hex.size() != static_cast<std::size_t>(DigestInfo(*inventoryAlgorithm_).hexLength)) {
        reason = "Prüfsumme hat nicht die Länge von " +
                 std::string(DigestInfo(*inventoryAlgorithm_).shownName);
        return false;
    }
    std::string_view base64;
    std::string_view path;
    if (!object["path_bytes"].get_string().get(base64)) {
        const auto decoded = QByteArray::fromBase64Encoding(
            QByteArray(base64.data(), static_cast<qsizetype>(base64.size())),
            QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded) {
            reason = "ungültiges \"path_bytes\"";
            return false;
        }
        entry.path.assign(decoded.decoded.constData(),
                          static_cast<std::size_t>(decoded.decoded.size()));
    } else if (!object["path"].get_string().get(path) && !path.empty()) {
        entry.path.assign(path);
    } else {
        reason = "kein Pfad";
        return false;
    }
    entry.algorithm = *inventoryAlgorithm_;
    entry.hex = lowercase(hex);
    malformed = false;
    return true;
}
