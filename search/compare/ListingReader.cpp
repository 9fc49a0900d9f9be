#include "compare/ListingReader.h"

#include "base/Utf8Text.h"
#include "compare/ChecksumListing.h"
#include "compare/FolderKey.h"
#include "compare/JsonInventoryReader.h"
#include "compare/ListingLineParser.h"
#include "format/ListingLayout.h"
#include "format/ScopeLines.h"

namespace {

using namespace ListingLayout;

// The fixed lines that open the header, after the first title line.
constexpr std::string_view headerLines[] = {titleLines[1], titleLines[2], frameRule,
                                            searchedFolders};

// A listing shows every name by its display rule, so each of its lines is valid UTF-8 without
// control characters below U+0020 or DEL.
bool isShownText(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte >= 0x20 && byte < 0x7F) {
            ++pos;
            continue;
        }
        char32_t codePoint = 0;
        const std::size_t length = byte < 0x80 ? 0 : DecodeUtf8(text.substr(pos), codePoint);
        if (length == 0)
            return false;
        pos += length;
    }
    return true;
}

// A searched folder's line as the reader keeps it: its shown text spelt as a folder key, with or
// without subfolders, so that "t" and "t/" read alike.
QString searchedFolderLine(std::string shownFolder, bool recursive) {
    shownFolder.push_back('/');
    return QString::fromStdString(std::string(folderIndent) + FolderKey(shownFolder) +
                                  std::string(recursive ? withSubfolders : withoutSubfolders));
}

// Everything this program writes ends in a line break.
QString cutOffLastLine() {
    return QStringLiteral("Die letzte Zeile endet ohne Zeilenumbruch; die Liste ist wohl "
                          "abgeschnitten");
}

QString notComparable() {
    return QStringLiteral(
        "Keine Liste von FolderInventory, die sich vergleichen lässt: weder eine erweiterte "
        "Liste noch eine einfache Liste mit Pfaden (eine einfache Liste ohne Pfade nennt keine "
        "Verzeichnisse)");
}

} // namespace

ListingReader::ListingReader() = default;

ListingReader::~ListingReader() = default;

void ListingReader::addText(std::string_view text) {
    while (!text.empty() && state_ != State::Failed) {
        const std::size_t end = text.find('\n');
        const std::string_view piece = text.substr(0, end);
        if (piece.find('\0') != std::string_view::npos) {
            ++lineNumber_;
            if (lineNumber_ == 1)
                return fail(notComparable());
            return fail(QStringLiteral("Zeile %1 enthält ein Nullbyte und gehört nicht zu einer "
                                       "Liste von FolderInventory")
                            .arg(lineNumber_));
        }
        if (pending_.size() + piece.size() > maxLineBytes && !mayBeInventoryLine(piece)) {
            return fail(QStringLiteral("Zeile %1 ist länger als jede Zeile einer Liste von "
                                       "FolderInventory")
                            .arg(lineNumber_ + 1));
        }
        if (end == std::string_view::npos) {
            pending_.append(piece);
            return;
        }
        if (pending_.empty()) {
            addLine(piece);
        } else {
            pending_.append(piece);
            addLine(pending_);
            pending_.clear();
        }
        text.remove_prefix(end + 1);
    }
}

// The first line of an inventory names every folder searched, as many as were given: it has no
// limit but memory.
bool ListingReader::mayBeInventoryLine(std::string_view piece) const {
    if (lineNumber_ != 0)
        return false;
    const std::string start = (pending_ + std::string(piece.substr(0, 32))).substr(0, 32);
    return StartsLikeInventory(start);
}

void ListingReader::addLine(std::string_view line) {
    ++lineNumber_;
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (state_ == State::Start && IsJsonObjectLine(line)) {
        json_ = std::make_unique<JsonInventoryReader>();
        state_ = State::Json;
    } else if (state_ == State::Start && IsChecksumLine(line)) {
        checksums_ = std::make_unique<ChecksumListingReader>();
        state_ = State::Checksums;
    }
    if (state_ == State::Checksums) {
        checksums_->addLine(line, lineNumber_);
        if (!checksums_->error().isEmpty())
            fail(checksums_->error());
        return;
    }
    if (state_ == State::Json) {
        json_->addLine(line, lineNumber_);
        if (json_->failed())
            fail(json_->error());
        return;
    }
    // A first line that starts as an inventory's but is no JSON object is read as a listing's.
    // When it is none, or the next line is a JSON object, it is an inventory broken in its first
    // line, and said so.
    if (lineNumber_ == 1 && StartsLikeInventory(line)) {
        readListingLine(line);
        if (state_ == State::Failed)
            return failAsInventory(line);
        brokenInventoryStart_.assign(line);
        return;
    }
    if (lineNumber_ == 2 && !brokenInventoryStart_.empty() && IsJsonObjectLine(line))
        return failAsInventory(brokenInventoryStart_);
    brokenInventoryStart_.clear();
    readListingLine(line);
}

void ListingReader::failAsInventory(std::string_view firstLine) {
    JsonInventoryReader inventory;
    inventory.addLine(firstLine, 1);
    if (inventory.failed())
        fail(inventory.error());
}

void ListingReader::readListingLine(std::string_view line) {
    if (state_ != State::Failed && !isShownText(line))
        return state_ == State::Start ? fail(notComparable()) : failAtLine();
    // A stop cut the list short: after the footer, or wherever the window's copy of the lines
    // was stopped. What the search would have found beyond it is unknown.
    if (line == cutShortLine && state_ != State::Failed && state_ != State::CutShort) {
        listing_.gaps.endEarly(QStringLiteral("Die Suche wurde abgebrochen"));
        state_ = State::CutShort;
        return;
    }
    switch (state_) {
    case State::Start:
        startForm(line);
        break;
    case State::Header:
    case State::HeaderFolders:
    case State::HeaderMasks:
    case State::HeaderEnd:
        readHeaderLine(line);
        break;
    case State::Simple:
        readSimpleLine(line);
        break;
    case State::CutShort:
        if (!line.empty())
            failAtLine();
        break;
    case State::Failed:
        break;
    default:
        readBodyLine(line);
        break;
    }
}

// The first line tells the form: the header's title or a blank line (a listing without header
// starts with the blank lines before its first heading or its footer) make an extended listing,
// a path a simple one.
void ListingReader::startForm(std::string_view line) {
    if (line == titleLines[0]) {
        listing_.form = ListingForm::Extended;
        state_ = State::Header;
    } else if (line.empty()) {
        listing_.form = ListingForm::Extended;
        state_ = State::BlockBlank2;
    } else if (line.find('/') != std::string_view::npos) {
        listing_.form = ListingForm::Simple;
        state_ = State::Simple;
        readSimpleLine(line);
    } else {
        fail(notComparable());
    }
}

// The header: its fixed lines, the searched folders, a blank line, the masks, the lines of the
// scope where it has one, the rule. The lines from "Suchverzeichnisse" to the masks say what was
// searched.
void ListingReader::readHeaderLine(std::string_view line) {
    if (state_ == State::Header) {
        if (line != headerLines[headerLine_])
            return failAtLine();
        if (++headerLine_ == std::size(headerLines)) {
            listing_.searchedFor.append(QString::fromUtf8(line.data(), qsizetype(line.size())));
            state_ = State::HeaderFolders;
        }
        return;
    }
    if (state_ == State::HeaderFolders) {
        if (line.empty()) {
            listing_.searchedFor.append(QString());
            state_ = State::HeaderMasks;
            return;
        }
        const std::optional<HeaderFolder> folder = ParseHeaderFolder(line);
        if (!folder)
            return failAtLine();
        listing_.searchedFor.append(
            searchedFolderLine(std::string(folder->folder), folder->recursive));
        listing_.searchedFolders.push_back(FolderKey(std::string(folder->folder) + "/"));
        return;
    }
    if (state_ == State::HeaderMasks) {
        if (!ParseSearchMasks(line))
            return failAtLine();
        listing_.searchedFor.append(QString::fromUtf8(line.data(), qsizetype(line.size())));
        state_ = State::HeaderEnd;
        return;
    }
    if (line == frameRule)
        state_ = State::BlockBlank1;
    else if (!ReadScopeLine(line, listing_.scope))
        failAtLine();
}

// The blocks and the footer, each line only where the writer puts it.
void ListingReader::readBodyLine(std::string_view line) {
    switch (state_) {
    case State::BlockBlank1:
    case State::BlockBlank2:
    case State::HeadingBlank:
        if (!line.empty())
            return failAtLine();
        state_ = state_ == State::BlockBlank1   ? State::BlockBlank2
                 : state_ == State::BlockBlank2 ? State::HeadingOrFooter
                                                : State::Entries;
        return;
    case State::HeadingOrFooter:
        if (const std::optional<std::string_view> folder = ParseFolderHeading(line)) {
            startBlock(*folder);
            blockHasFiles_ = false;
            state_ = State::HeadingBlank;
        } else if (ParseTotalsLine(line)) {
            state_ = State::FooterFolders;
        } else {
            failAtLine();
        }
        return;
    case State::Entries:
        if (!line.empty())
            return readEntry(line);
        // A blank line leads to the folder's sum, or without file lines it is the first of the
        // two before the next heading or the footer.
        state_ = blockHasFiles_ ? State::Sum : State::BlockBlank2;
        return;
    case State::Sum:
        if (!ParseFolderSum(line))
            return failAtLine();
        state_ = State::BlockBlank1;
        return;
    case State::FooterFolders:
        if (!ParseTotalFoldersLine(line))
            return failAtLine();
        state_ = State::End;
        return;
    case State::End:
        if (!line.empty())
            failAtLine();
        return;
    default:
        return failAtLine();
    }
}

// A directory line or a file line; all directory lines of a folder come before its file lines.
// "." and ".." name the folder itself and its parent; they are no entries of their own.
void ListingReader::readEntry(std::string_view line) {
    const std::optional<EntryLine> entry = ParseEntryLine(line);
    if (!entry || (entry->directory && blockHasFiles_))
        return failAtLine();
    const std::string_view column = entry->nameColumn;
    const std::string_view name = WithoutFill(column);
    if (entry->directory) {
        if (name != "." && name != "..")
            listing_.entries.add(name, {.kind = EntryKind::Folder,
                                        .exactName = ShownNameIsExact(column, name),
                                        .line = lineNumber_});
        return;
    }
    blockHasFiles_ = true;
    listing_.entries.add(name, {.kind = EntryKind::File,
                                .size = entry->size,
                                .exactName = ShownNameIsExact(column, name),
                                .line = lineNumber_});
}

// One path a line: the folder text up to the last "/", then the name. The entries "." and ".."
// name the folder itself and its parent; "." comes first in each listing of a folder, so it
// starts a block, also where the listing of the same folder for the next mask follows directly. A
// line that ends in "/" is the "." of a folder without its extension: the list was made without
// extensions, where a renamed extension would go unseen.
void ListingReader::readSimpleLine(std::string_view line) {
    const std::size_t slash = line.rfind('/');
    if (line.empty() || slash == std::string_view::npos) {
        return fail(QStringLiteral("Zeile %1 ist kein Pfad; eine einfache Liste ohne Pfade "
                                   "lässt sich nicht vergleichen")
                        .arg(lineNumber_));
    }
    if (slash + 1 == line.size()) {
        return fail(QStringLiteral("Zeile %1 ist ein Verzeichnis ohne Namen: die Liste nennt die "
                                   "Namen ohne Dateierweiterung, und eine solche Liste lässt "
                                   "sich nicht vergleichen")
                        .arg(lineNumber_));
    }
    const std::size_t nameStart = slash + 1;
    const std::string_view column = line.substr(nameStart);
    const std::string key = FolderKey(line.substr(0, nameStart));
    if (column == "." || key != folder_) {
        folder_ = key;
        listing_.entries.startBlock(folder_);
    }
    if (column == "." || column == "..")
        return;
    const std::string_view name = WithoutFill(column);
    listing_.entries.add(name, {.exactName = ShownNameIsExact(column, name)});
}

void ListingReader::startBlock(std::string_view folder) {
    folder_ = FolderKey(folder);
    listing_.entries.startBlock(folder_);
}

SavedListing ListingReader::finish() {
    // A first line without a line break that starts as an inventory: one cut off there.
    if (state_ == State::Start && (StartsLikeInventory(pending_) || IsJsonObjectLine(pending_))) {
        json_ = std::make_unique<JsonInventoryReader>();
        state_ = State::Json;
        lineNumber_ = 1;
        json_->addLine(pending_, lineNumber_);
        if (json_->failed()) {
            fail(json_->error());
            return std::move(listing_);
        }
    }
    if (state_ == State::Json) {
        const bool cut = !pending_.empty();
        pending_.clear();
        return json_->finish(cut ? cutOffLastLine() : QString());
    }
    // A checksum list's last line may lack its line break, as a hand-made one often does.
    if (!pending_.empty() &&
        (state_ == State::Checksums || (state_ == State::Start && IsChecksumLine(pending_)))) {
        addLine(pending_);
        pending_.clear();
    }
    if (state_ == State::Checksums)
        return checksums_->finish();
    if (!pending_.empty() && state_ != State::Failed) {
        // A last line without a line break was cut off, unless it is all there is.
        if (state_ == State::Start)
            addLine(pending_);
        else
            listing_.gaps.endEarly(cutOffLastLine());
        pending_.clear();
    }
    switch (state_) {
    case State::Failed:
        return std::move(listing_);
    case State::Header:
    case State::HeaderFolders:
    case State::HeaderMasks:
    case State::HeaderEnd:
        fail(QStringLiteral("Die Liste endet in ihrem Kopf; sie ist unvollständig"));
        return std::move(listing_);
    case State::Start: // nothing at all: a simple listing that found nothing
    case State::Simple:
    case State::End:
    case State::CutShort:
        break;
    default:
        listing_.gaps.endEarly(QStringLiteral(
            "Die Liste endet ohne die Summenzeilen am Schluss; sie ist wohl unvollständig"));
        break;
    }
    if (listing_.form == ListingForm::Simple)
        listing_.entries.knowFoldersByTheirEntries();
    listing_.entries.finish();
    return std::move(listing_);
}

void ListingReader::fail(const QString& reason) {
    listing_.error = reason;
    state_ = State::Failed;
    pending_.clear();
}

void ListingReader::failAtLine() {
    fail(QStringLiteral("Zeile %1 gehört nicht zu einer Liste von FolderInventory")
             .arg(lineNumber_));
}
