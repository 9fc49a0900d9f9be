#include "compare/JsonInventoryReader.h"

#include "base/FileTime.h"
#include "base/PathText.h"
#include "compare/FolderKey.h"

#include <QByteArray>
#include <simdjson.h>

namespace {

using simdjson::dom::element;
using simdjson::dom::object;

QString text(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

// The bytes that `base64` stands for into `out`; false when it is broken.
bool decodeBase64(std::string_view base64, std::string& out) {
    const QByteArray::FromBase64Result decoded =
        QByteArray::fromBase64Encoding(QByteArray(base64.data(), qsizetype(base64.size())),
                                       QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return false;
    out.assign(decoded.decoded.constData(), std::size_t(decoded.decoded.size()));
    return true;
}

// The exact bytes of `key`: from `bytesKey` ("<key>_bytes", base64) where the writer gave them,
// else the text of `key`. False when neither is there or the base64 is broken.
bool readBytes(const object& line, std::string_view key, std::string_view bytesKey,
               std::string& out) {
    std::string_view base64;
    if (!line[bytesKey].get_string().get(base64))
        return decodeBase64(base64, out);
    std::string_view plain;
    if (line[key].get_string().get(plain))
        return false;
    out.assign(plain);
    return true;
}

// The summary's byte count sums sizes of 63 bits and may need more than 64, which simdjson does
// not read as a number. The reader never uses it, so a count of more than 19 digits is read as 0.
void withoutLargeByteCount(std::string& summaryLine) {
    constexpr std::string_view key = R"("bytes":)";
    const std::size_t start = summaryLine.find(key);
    if (start == std::string::npos)
        return;
    const std::size_t digits = start + key.size();
    std::size_t end = digits;
    while (end < summaryLine.size() && summaryLine[end] >= '0' && summaryLine[end] <= '9')
        ++end;
    if (end - digits > 19)
        summaryLine.replace(digits, end - digits, "0");
}

} // namespace

// The readers of each kind of line, with the reader's state at hand.
class JsonLineReader final {
public:
    JsonLineReader(JsonInventoryReader& reader, const object& line, long long number)
        : reader_(reader), line_(line), number_(number) {}

    bool header();
    bool entry(std::string_view type);
    bool summary();

private:
    bool fail(const QString& reason) {
        reader_.fail(number_, reason);
        return false;
    }
    bool unreadable(const simdjson::dom::array& folders, bool& filesOnly);
    bool loops(const simdjson::dom::array& folders);
    void addGap(const std::string& path, ListingGaps::FolderGap gap);
    bool scope(const object& scope);
    bool notEntered(const simdjson::dom::array& folders);

    JsonInventoryReader& reader_;
    const object& line_;
    long long number_;
    bool namedFolders_ = false; // the summary names the folders that make it incomplete
};

// {"type":"inventory","format":2,...,"searched":[{"path":...,"recursive":...}],"masks":...}, or
// format 1 with "folders" for "searched": what was searched, as a text listing's header says it.
bool JsonLineReader::header() {
    std::int64_t format = 0;
    if (line_["format"].get_int64().get(format))
        return fail(QStringLiteral("die Inventarliste nennt kein Format"));
    if (format != 1 && format != 2)
        return fail(QStringLiteral("die Inventarliste hat das Format %1; gelesen werden die "
                                   "Formate 1 und 2")
                        .arg(format));
    reader_.format_ = static_cast<int>(format);
    simdjson::dom::array folders;
    std::string masks;
    if (line_[format == 1 ? "folders" : "searched"].get_array().get(folders) ||
        !readBytes(line_, "masks", "masks_bytes", masks))
        return fail(QStringLiteral("der Inventarliste fehlen Suchverzeichnisse oder Suchmasken"));
    std::vector<SearchedFolder> searched;
    for (const element folder : folders) {
        object entry;
        SearchedFolder given;
        if (folder.get_object().get(entry) ||
            !readBytes(entry, "path", "path_bytes", given.rawPath) ||
            entry["recursive"].get_bool().get(given.recursive))
            return fail(QStringLiteral("ein Suchverzeichnis ohne Pfad"));
        reader_.listing_.searchedFolders.push_back(FolderKey(given.rawPath + "/"));
        searched.push_back(std::move(given));
    }
    reader_.listing_.exactKinds = format == 2;
    reader_.listing_.searchedFor = SearchedForLines(searched, masks);
    std::string_view hash;
    if (!line_["hash"].get_string().get(hash)) {
        reader_.listing_.digest = DigestAlgorithmNamed(hash);
        if (!reader_.listing_.digest)
            return fail(QStringLiteral("unbekanntes Prüfsummenverfahren \"%1\"").arg(text(hash)));
    }
    object given;
    if (!line_["scope"].get_object().get(given))
        return scope(given);
    return true;
}

// "scope":{...}: the parts of the scope that were set.
bool JsonLineReader::scope(const object& given) {
    SearchScope& scope = reader_.listing_.scope;
    std::string exclusions;
    if (readBytes(given, "exclude", "exclude_bytes", exclusions))
        scope.Exclusions =
            PathTextFromBytes(QByteArrayView(exclusions.data(), qsizetype(exclusions.size())));
    bool oneFileSystem = false;
    scope.OneFileSystem = !given["one_file_system"].get_bool().get(oneFileSystem) && oneFileSystem;
    for (const auto& [key, value] :
         {std::pair{"max_depth", &scope.MaxDepth}, std::pair{"min_size", &scope.MinSize},
          std::pair{"max_size", &scope.MaxSize}}) {
        std::int64_t number = 0;
        const simdjson::error_code error = given[key].get_int64().get(number);
        if (error == simdjson::SUCCESS && number >= 0)
            *value = number;
        else if (error != simdjson::NO_SUCH_FIELD)
            return fail(QStringLiteral("der Umfang nennt \"%1\" falsch").arg(QLatin1String(key)));
    }
    for (const auto& [key, value] :
         {std::pair{"newer", &scope.NewerThan}, std::pair{"older", &scope.OlderThan}}) {
        std::string_view time;
        const simdjson::error_code error = given[key].get_string().get(time);
        if (error == simdjson::SUCCESS && (*value = ParseUtcTimestamp(time)))
            continue;
        if (error != simdjson::NO_SUCH_FIELD)
            return fail(QStringLiteral("der Umfang nennt \"%1\" falsch").arg(QLatin1String(key)));
    }
    return true;
}

namespace {

// What a kind of entry line may carry: format 1 knows files and folders, format 2 links and
// special files too.
std::optional<EntryKind> kindOfType(std::string_view type, int format) {
    if (type == "file")
        return EntryKind::File;
    if (type == "folder")
        return EntryKind::Folder;
    if (format == 2 && type == "link")
        return EntryKind::Link;
    if (format == 2 && type == "special")
        return EntryKind::Special;
    return std::nullopt;
}

} // namespace

// {"type":"file","path":...,"size":...,"mtime":...,"mtime_ns":...} and the lines of the other
// kinds, their fields taken in one pass. A size or time that could not be read is null and stays
// unknown; "mtime_ns" gives the exact time where it is there, else "mtime" does.
bool JsonLineReader::entry(std::string_view type) {
    const std::optional<EntryKind> kind = kindOfType(type, reader_.format_);
    if (!kind)
        return fail(QStringLiteral("unbekannte Art \"%1\"").arg(text(type)));
    const bool file = type == "file";
    std::string_view plainPath;
    std::string_view base64Path;
    std::string_view mtime;
    std::string_view digest;
    const std::optional<DigestAlgorithm> algorithm = reader_.listing_.digest;
    std::int64_t size = PathSet::unknownSize;
    std::int64_t nanoseconds = 0;
    bool sizeValid = !file;
    bool exactTime = false;
    bool timeNull = false;
    bool wrongType = false;
    for (const auto field : line_) {
        const bool null = field.value.is_null();
        if (field.key == "path") {
            wrongType |= field.value.get_string().get(plainPath) != simdjson::SUCCESS;
        } else if (field.key == "path_bytes") {
            wrongType |= field.value.get_string().get(base64Path) != simdjson::SUCCESS;
        } else if (field.key == "mtime") {
            timeNull = null;
            wrongType |= !null && field.value.get_string().get(mtime) != simdjson::SUCCESS;
        } else if (field.key == "mtime_ns" && !null) {
            exactTime = field.value.get_int64().get(nanoseconds) == simdjson::SUCCESS;
            wrongType |= !exactTime;
        } else if (field.key == "size" && file) {
            sizeValid = (null && reader_.format_ == 2) ||
                        (field.value.get_int64().get(size) == simdjson::SUCCESS && size >= 0);
        } else if (file && algorithm && field.key == DigestInfo(*algorithm).name && !null) {
            wrongType |= field.value.get_string().get(digest) != simdjson::SUCCESS;
        }
    }
    if (!digest.empty() &&
        (!IsHexDigest(digest) || digest.size() != std::size_t(DigestInfo(*algorithm).hexLength)))
        return fail(QStringLiteral("eine Prüfsumme, die keine %1-Prüfsumme ist")
                        .arg(text(DigestInfo(*algorithm).shownName)));
    if (wrongType)
        return fail(QStringLiteral("ein Feld hat die falsche Art"));
    std::string& path = reader_.path_;
    if (base64Path.data() == nullptr)
        path.assign(plainPath);
    else if (!decodeBase64(base64Path, path))
        return fail(QStringLiteral("kein Pfad eines Eintrags"));
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash + 1 == path.size() ||
        path.find('\0') != std::string::npos)
        return fail(QStringLiteral("kein Pfad eines Eintrags"));
    const std::string_view name = std::string_view(path).substr(slash + 1);
    if (name == "." || name == "..")
        return fail(QStringLiteral("kein Pfad eines Eintrags"));
    if (!sizeValid)
        return fail(QStringLiteral("keine Größe einer Datei"));
    std::optional<FileTime> modified;
    if (exactTime)
        modified = FromNanosecondsSinceEpoch(nanoseconds);
    else if (!timeNull || reader_.format_ == 1)
        modified = ParseUtcTimestamp(mtime);
    if (!modified && !(timeNull && reader_.format_ == 2))
        return fail(QStringLiteral("keine Änderungszeit"));
    // The entries of a folder follow each other, so its key is made once for all of them.
    const std::string_view folder = std::string_view(path).substr(0, slash + 1);
    if (folder != reader_.rawFolder_) {
        reader_.rawFolder_.assign(folder);
        const std::string key = FolderKey(folder);
        if (key != reader_.folder_) {
            reader_.folder_ = key;
            reader_.listing_.entries.startBlock(key);
        }
    }
    reader_.listing_.entries.add(name, {.kind = *kind,
                                        .size = size,
                                        .exactName = true,
                                        .timeKnown = modified.has_value(),
                                        .modified = modified.value_or(FileTime()),
                                        .line = number_,
                                        .digest = digest});
    return true;
}

// {"type":"summary",...,"complete":...}; an incomplete list names its gaps.
bool JsonLineReader::summary() {
    bool complete = false;
    if (line_["complete"].get_bool().get(complete))
        return fail(QStringLiteral("die Zusammenfassung sagt nicht, ob die Liste vollständig ist"));
    reader_.listing_.notEnteredKnown = true;
    simdjson::dom::array notEnteredFolders;
    if (!line_["not_entered"].get_array().get(notEnteredFolders) && !notEntered(notEnteredFolders))
        return false;
    if (complete)
        return true;
    ListingGaps& gaps = reader_.listing_.gaps;
    bool cancelled = false;
    if (!line_["cancelled"].get_bool().get(cancelled) && cancelled)
        gaps.endEarly(QStringLiteral("Die Suche wurde abgebrochen"));
    simdjson::dom::array folders;
    bool filesOnly = false;
    if (!line_["unreadable"].get_array().get(folders) && !unreadable(folders, filesOnly))
        return false;
    if (!line_["loops"].get_array().get(folders) && !loops(folders))
        return false;
    if (!gaps.any() && !namedFolders_ && !filesOnly)
        gaps.endEarly(QStringLiteral("Die Liste ist laut ihrer Zusammenfassung unvollständig"));
    return true;
}

// Files that the run could not read for their digests are listed without one and leave nothing
// else open (`filesOnly` when only such files are named).
bool JsonLineReader::unreadable(const simdjson::dom::array& folders, bool& filesOnly) {
    filesOnly = folders.size() > 0;
    for (const element folder : folders) {
        object entry;
        std::string_view what;
        std::string path;
        if (folder.get_object().get(entry) || !readBytes(entry, "path", "path_bytes", path) ||
            entry["what"].get_string().get(what) ||
            (what != "folder" && what != "sizes" && what != "file"))
            return fail(QStringLiteral("ein nicht lesbares Verzeichnis ohne Pfad oder Art"));
        if (what == "file")
            continue;
        filesOnly = false;
        addGap(path, what == "folder" ? ListingGaps::FolderGap::Unreadable
                                      : ListingGaps::FolderGap::SizesUnreadable);
    }
    return true;
}

bool JsonLineReader::loops(const simdjson::dom::array& folders) {
    for (const element folder : folders) {
        object entry;
        std::string path;
        if (folder.get_object().get(entry) || !readBytes(entry, "path", "path_bytes", path))
            return fail(QStringLiteral("eine Dateisystemschleife ohne Pfad"));
        addGap(path, ListingGaps::FolderGap::Loop);
    }
    return true;
}

bool JsonLineReader::notEntered(const simdjson::dom::array& folders) {
    for (const element folder : folders) {
        object entry;
        std::string path;
        if (folder.get_object().get(entry) || !readBytes(entry, "path", "path_bytes", path))
            return fail(QStringLiteral("ein nicht betretenes Verzeichnis ohne Pfad"));
        reader_.listing_.notEntered.push_back(FolderKey(path + '/'));
    }
    return true;
}

// An empty folder argument names no folder, and lists nothing in any list.
void JsonLineReader::addGap(const std::string& path, ListingGaps::FolderGap gap) {
    namedFolders_ = true;
    if (!path.empty())
        reader_.listing_.gaps.addFolder(path, gap);
}

bool StartsLikeInventory(std::string_view line) {
    return line.starts_with(R"({"type":"inventory")");
}

bool IsJsonObjectLine(std::string_view line) {
    if (!line.starts_with('{'))
        return false;
    std::string padded;
    padded.reserve(line.size() + simdjson::SIMDJSON_PADDING);
    padded.assign(line);
    simdjson::dom::parser parser;
    object parsed;
    return !parser.parse(padded.data(), padded.size(), false).get(parsed);
}

JsonInventoryReader::JsonInventoryReader() : parser_(std::make_unique<simdjson::dom::parser>()) {
    listing_.form = ListingForm::Extended;
    listing_.exactNames = true;
    listing_.withTimes = true;
    listing_.entries.setExactBytes();
    listing_.gaps.exactKeys = true;
}

JsonInventoryReader::~JsonInventoryReader() = default;

void JsonInventoryReader::addLine(std::string_view line, long long number) {
    if (failed())
        return;
    if (state_ == State::End)
        return fail(number, QStringLiteral("nach der Zusammenfassung folgt noch etwas"));
    padded_.reserve(line.size() + simdjson::SIMDJSON_PADDING);
    padded_.assign(line);
    if (line.starts_with(R"({"type":"summary",)"))
        withoutLargeByteCount(padded_);
    element document;
    object parsed;
    if (parser_->parse(padded_.data(), padded_.size(), false).get(document) ||
        document.get_object().get(parsed))
        return fail(number, QStringLiteral("kein gültiges JSON-Objekt"));
    std::string_view type;
    if (parsed["type"].get_string().get(type))
        return fail(number, QStringLiteral("ohne \"type\""));
    JsonLineReader reader(*this, parsed, number);
    if (state_ == State::Header) {
        if (type != "inventory")
            return fail(number, QStringLiteral("keine Inventarliste von FolderInventory"));
        if (reader.header())
            state_ = State::Entries;
    } else if (type == "summary") {
        if (reader.summary())
            state_ = State::End;
    } else {
        reader.entry(type);
    }
}

SavedListing JsonInventoryReader::finish(const QString& cutReason) {
    if (!failed()) {
        if (!cutReason.isEmpty())
            listing_.gaps.endEarly(cutReason);
        if (state_ != State::End)
            listing_.gaps.endEarly(QStringLiteral("Die Inventarliste endet ohne ihre "
                                                  "Zusammenfassung; sie ist wohl abgeschnitten"));
        listing_.entries.finish();
    }
    listing_.error = error_;
    return std::move(listing_);
}

void JsonInventoryReader::fail(long long number, const QString& reason) {
    error_ = QStringLiteral("Zeile %1 der Inventarliste: %2").arg(number).arg(reason);
}
