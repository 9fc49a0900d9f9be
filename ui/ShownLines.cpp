#include "ShownLines.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr std::size_t maxCountedBlanks = 255;
constexpr std::uint64_t eightBlanks = 0x2020202020202020ULL;

// The blanks at the end of `line`, up to maxCountedBlanks; looked at eight bytes at a time,
// since a padded name ends in dozens of them.
std::size_t TrailingBlanks(std::string_view line) {
    std::size_t end = line.size();
    while (end >= 8 && line.size() - end + 8 <= maxCountedBlanks) {
        std::uint64_t word = 0;
        std::memcpy(&word, line.data() + end - 8, 8);
        if (word != eightBlanks) {
            // The blanks at the word's end: its highest bytes on a little-endian machine.
            const std::uint64_t other = word ^ eightBlanks;
            const int sameBits = std::endian::native == std::endian::little
                                     ? std::countl_zero(other)
                                     : std::countr_zero(other);
            return line.size() - end + static_cast<std::size_t>(sameBits / 8);
        }
        end -= 8;
    }
    while (end > 0 && line[end - 1] == ' ' && line.size() - end < maxCountedBlanks)
        --end;
    return line.size() - end;
}

} // namespace

// Blanks the text ends in join those after it; of more than a count byte holds, the first stay
// in the text.
void ShownLines::store(std::string_view text, std::size_t blanks) {
    if (!text.empty() && text.back() == ' ') {
        const std::size_t own = TrailingBlanks(text);
        text.remove_suffix(own);
        blanks += own;
    }
    const std::size_t counted = std::min(blanks, maxCountedBlanks);
    const std::size_t kept = blanks - counted;
    const std::size_t at = text_.size();
    const auto index = static_cast<std::size_t>(count_);
    if ((index >> groupShift) >= groupStarts_.size())
        groupStarts_.push_back(at);
    const std::size_t fromGroup = at - groupStarts_[index >> groupShift];
    if (fromGroup > std::numeric_limits<std::uint32_t>::max())
        throw std::bad_alloc(); // some thousand lines of gigabytes each
    const auto offset = static_cast<std::uint32_t>(fromGroup);
    // Room in both first, so that running out of memory leaves neither changed.
    const std::size_t bytes = text.size() + kept + 1;
    char* const line = text_.room(bytes);
    std::memcpy(offsets_.room(sizeof offset), &offset, sizeof offset);
    offsets_.commit(sizeof offset);
    if (!text.empty()) // an empty view may have no data to copy from
        std::memcpy(line, text.data(), text.size());
    std::memset(line + text.size(), ' ', kept);
    line[bytes - 1] = static_cast<char>(static_cast<unsigned char>(counted));
    text_.commit(bytes);
    if (shown_ == count_)
        ++shown_;
    ++count_;
}

void ShownLines::dropHidden() {
    if (shown_ == count_)
        return;
    text_.shrinkTo(start(shown_));
    offsets_.shrinkTo(static_cast<std::size_t>(shown_) * sizeof(std::uint32_t));
    groupStarts_.resize((static_cast<std::size_t>(shown_) + (std::size_t{1} << groupShift) - 1) >>
                        groupShift);
    count_ = shown_;
}

ShownLines::Line ShownLines::line(qsizetype i) const {
    const std::size_t begin = start(i);
    const std::size_t end = i + 1 < count_ ? start(i + 1) : text_.size();
    const std::string_view kept = text_.view().substr(begin, end - begin);
    return {kept.substr(0, kept.size() - 1), static_cast<unsigned char>(kept.back())};
}

QString ShownLines::at(qsizetype i) const {
    const Line whole = line(i);
    QString text = QString::fromUtf8(whole.text.data(), static_cast<qsizetype>(whole.text.size()));
    text.append(QString(static_cast<qsizetype>(whole.trailingBlanks), QLatin1Char(' ')));
    return text;
}

void ShownLines::appendLine(qsizetype i, std::string& out) const {
    const Line whole = line(i);
    out.append(whole.text);
    out.append(whole.trailingBlanks, ' ');
}

void ShownLines::appendLines(qsizetype first, qsizetype end, QByteArray& out) const {
    for (qsizetype i = first; i < end; ++i) {
        const Line whole = line(i);
        out.append(whole.text.data(), static_cast<qsizetype>(whole.text.size()));
        out.append(static_cast<qsizetype>(whole.trailingBlanks), ' ');
        out.append('\n');
    }
}

void ShownLines::copyTo(LineSink& sink) const {
    std::string whole;
    for (qsizetype i = 0; i < shown_; ++i) {
        whole.clear();
        appendLine(i, whole);
        sink.append(whole);
    }
}
