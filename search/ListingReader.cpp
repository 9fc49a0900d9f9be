#include "ListingReader.h"

#include "Utf8Text.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <QFile>

namespace {

constexpr std::string_view titleLine = "**    FolderInventory     **";
constexpr std::string_view frameRule = "----------------------------";
constexpr std::string_view folderHeading = "Verzeichnis von ";
constexpr std::string_view directoryMark = "<DIR> ";
constexpr std::size_t directoryNumberWidth = 9;
constexpr std::size_t fileNumberWidth = 15;
constexpr std::size_t nameWidth = 50;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool allBlanks(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
}

// The number at the start of `line`: its length in characters, 0 when there is none.
std::size_t numberLength(std::string_view line) {
    std::size_t length = !line.empty() && line[0] == '-' ? 1 : 0;
    const std::size_t digitsStart = length;
    while (length < line.size() && isDigit(line[length]))
        ++length;
    return length > digitsStart ? length : 0;
}

std::string_view afterBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

// Printable ASCII is shown as it is; anything else goes through the listing's display rule.
bool isPlainAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x20 && byte < 0x7F;
    });
}

QString notComparable() {
    return QStringLiteral(
        "Die Datei ist keine Liste von FolderInventory, die sich vergleichen lässt: weder eine "
        "erweiterte Liste noch eine einfache Liste mit vollständigen Pfaden (eine einfache Liste "
        "ohne Pfade nennt keine Verzeichnisse)");
}

} // namespace

void ListingReader::addText(std::string_view text) {
    while (!text.empty() && form_ != Form::Failed) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            pending_.append(text);
            return;
        }
        if (pending_.empty()) {
            addLine(text.substr(0, end));
        } else {
            pending_.append(text.substr(0, end));
            addLine(pending_);
            pending_.clear();
        }
        text.remove_prefix(end + 1);
    }
}

SavedListing ListingReader::finish() {
    if (!pending_.empty() && form_ != Form::Failed) {
        // Everything this program writes ends in a line break; a last line without one was cut
        // off, unless it is all there is.
        if (form_ == Form::Undecided) {
            addLine(pending_);
        } else {
            listing_.notes.append(QStringLiteral(
                "Die letzte Zeile endet ohne Zeilenumbruch und bleibt unberücksichtigt"));
        }
    }
    if (form_ == Form::Undecided)
        fail(QStringLiteral("Die Datei ist leer; sie ist keine Liste von FolderInventory"));
    if (form_ == Form::Header)
        fail(QStringLiteral("Die Liste endet in ihrem Kopf; sie ist unvollständig"));
    if (form_ == Form::Extended && !sawFooter_) {
        listing_.notes.append(QStringLiteral(
            "Die Liste endet ohne die Summenzeilen am Schluss; sie ist wohl unvollständig"));
    }
    listing_.sizesKnown = form_ == Form::Extended;
    if (form_ != Form::Failed)
        listing_.entries.finish();
    return std::move(listing_);
}

void ListingReader::addLine(std::string_view line) {
    ++lineNumber_;
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.find('\0') != std::string_view::npos) {
        fail(notComparable());
        return;
    }
    switch (form_) {
    case Form::Undecided:
        decideForm(line);
        break;
    case Form::Header:
        readHeaderLine(line);
        break;
    case Form::Extended:
        readExtendedLine(line);
        break;
    case Form::Simple:
        readSimpleLine(line);
        break;
    case Form::Failed:
        break;
    }
}

// The first line that is not blank tells the form: the header's title, a folder heading or the
// footer of an empty search (an extended listing), or a full path (a simple one).
void ListingReader::decideForm(std::string_view line) {
    if (line.empty())
        return;
    if (line == titleLine) {
        form_ = Form::Header;
    } else if (line.starts_with(folderHeading) || readTotalsLine(line)) {
        form_ = Form::Extended;
        readExtendedLine(line);
    } else if (line.front() == '/') {
        form_ = Form::Simple;
        readSimpleLine(line);
    } else {
        fail(notComparable());
    }
}

// The header block ends with the rule after "Suchmasken: "; its lines from "Suchverzeichnisse"
// on name what was searched.
void ListingReader::readHeaderLine(std::string_view line) {
    if (sawSearchMasks_ && line == frameRule) {
        form_ = Form::Extended;
        return;
    }
    if (line == "Suchverzeichnisse" || !listing_.searchedFor.isEmpty())
        listing_.searchedFor.append(QString::fromUtf8(line.data(), qsizetype(line.size())));
    if (line.starts_with("Suchmasken: "))
        sawSearchMasks_ = true;
}

void ListingReader::readExtendedLine(std::string_view line) {
    if (line.empty() || readTotalsLine(line))
        return;
    if (line.starts_with(folderHeading)) {
        line.remove_prefix(folderHeading.size());
        if (isPlainAscii(line)) {
            listing_.entries.enterFolder(line);
        } else {
            shown_ = DisplayText(line);
            listing_.entries.enterFolder(shown_);
        }
        inFolder_ = true;
        return;
    }
    if (!inFolder_ || !readEntryLine(line))
        failAtLine();
}

// A directory line ("%-9d  <DIR> %-44s") or a file line ("%-15d  %-50s"). The fill never cuts,
// so the name starts two blanks after the number's column, or after the number when it is wider.
// A name shorter than its column was filled with blanks, which are dropped; a longer one stands
// whole, its own trailing blanks included. (A name that ends in blanks and fits its column loses
// them in both lists alike.)
bool ListingReader::readEntryLine(std::string_view line) {
    const std::size_t digits = numberLength(line);
    if (digits == 0)
        return false;
    std::int64_t size = 0;
    if (std::from_chars(line.data(), line.data() + digits, size).ec != std::errc())
        return false;
    const std::size_t directoryStart = std::max(directoryNumberWidth, digits) + 2;
    const bool isDirectory = line.size() > directoryStart + directoryMark.size() &&
                             allBlanks(line.substr(digits, directoryStart - digits)) &&
                             line.substr(directoryStart, directoryMark.size()) == directoryMark;
    const std::size_t nameStart =
        isDirectory ? directoryStart + directoryMark.size() : std::max(fileNumberWidth, digits) + 2;
    if (!isDirectory &&
        (line.size() <= nameStart || !allBlanks(line.substr(digits, nameStart - digits))))
        return false;
    const std::string_view name = nameInColumn(
        line.substr(nameStart), isDirectory ? nameWidth - directoryMark.size() : nameWidth);
    if (!isDirectory) {
        listing_.entries.add(name, size);
    } else if (name != "." && name != "..") {
        std::string folder(name);
        folder.push_back('/');
        listing_.entries.add(folder, PathSet::unknownSize);
    }
    return true;
}

// The name as the listing shows it, without the fill of a column `column` characters wide.
std::string_view ListingReader::nameInColumn(std::string_view text, std::size_t column) {
    if (!isPlainAscii(text)) {
        shown_ = DisplayText(text);
        text = shown_;
    }
    if (text.size() <= column || CountCharacters(text) <= column)
        text = text.substr(0, std::max<std::size_t>(1, text.find_last_not_of(' ') + 1));
    return text;
}

// A folder sum ("3 Datei(en), 1234 Bytes") or one of the footer's two lines; all are skipped.
bool ListingReader::readTotalsLine(std::string_view line) {
    const std::size_t digits = numberLength(line);
    if (digits == 0)
        return false;
    const std::string_view rest = line.substr(digits);
    if (rest.starts_with(" Datei(en), ") && rest.ends_with(" Bytes"))
        return true;
    const std::string_view words = afterBlanks(rest);
    if (words.size() == rest.size())
        return false;
    if (words.starts_with("Datei(en) insgesamt, ")) {
        sawFooter_ = true;
        return true;
    }
    return words == "Verzeichnis(se)";
}

// One full path a line. The entries "." and ".." of every folder name the folder itself or its
// parent (without extensions: "/a/" and "/a/."); they are no entries of their own.
void ListingReader::readSimpleLine(std::string_view line) {
    if (line.empty())
        return;
    if (line.front() != '/') {
        fail(QStringLiteral("Zeile %1 ist kein vollständiger Pfad; eine einfache Liste ohne "
                            "Pfade lässt sich nicht vergleichen")
                 .arg(lineNumber_));
        return;
    }
    if (line.ends_with("/") || line.ends_with("/.") || line.ends_with("/.."))
        return;
    if (isPlainAscii(line)) {
        listing_.entries.addPath(line, PathSet::unknownSize);
    } else {
        shown_ = DisplayText(line);
        listing_.entries.addPath(shown_, PathSet::unknownSize);
    }
}

void ListingReader::fail(const QString& reason) {
    listing_.error = reason;
    form_ = Form::Failed;
    pending_.clear();
}

void ListingReader::failAtLine() {
    fail(QStringLiteral("Zeile %1 gehört nicht zu einer Liste von FolderInventory")
             .arg(lineNumber_));
}

SavedListing ReadListingFile(const QString& fileName) {
    QFile file(fileName);
    ListingReader reader;
    QString error;
    if (file.open(QIODevice::ReadOnly)) {
        std::string piece(1 << 20, '\0');
        for (;;) {
            const qint64 got = file.read(piece.data(), qint64(piece.size()));
            if (got <= 0) {
                if (got < 0)
                    error = file.errorString();
                break;
            }
            reader.addText(std::string_view(piece.data(), std::size_t(got)));
        }
    } else {
        error = file.errorString();
    }
    SavedListing listing = reader.finish();
    if (!error.isEmpty()) {
        listing.error = QStringLiteral("%1 kann nicht gelesen werden: %2").arg(fileName, error);
    } else if (!listing.error.isEmpty()) {
        listing.error = QStringLiteral("%1: %2").arg(fileName, listing.error);
    }
    return listing;
}

SavedListing ReadListingText(std::string_view text) {
    ListingReader reader;
    reader.addText(text);
    return reader.finish();
}
