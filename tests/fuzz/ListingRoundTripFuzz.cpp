// What the writer writes, the reader reads back: listings made by the line formats from folders
// and names of any bytes (as a file system may hold them), extended with or without header or
// simple with paths, with LF or CR LF, read without error as complete. Every entry comes back
// under the path the listing shows for it, with its kind and the size of its first listing,
// unless the list shows it alike with another one or below such a folder; then it is ambiguous,
// and only then.

#include "base/ByteTotal.h"
#include "base/PathText.h"
#include "base/Utf8Text.h"
#include "compare/FolderKey.h"
#include "compare/ListingLineParser.h"
#include "compare/ListingReader.h"
#include "format/HeaderBlock.h"
#include "format/ListingFormat.h"
#include "format/ListingLayout.h"
#include "FuzzCheck.h"
#include "output/ResultLines.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct WrittenEntry {
    std::string name; // raw
    bool directory = false;
    std::int64_t size = 0;
};

struct WrittenBlock {
    std::string folder; // raw, ending in "/"
    bool dots = false;  // "." and ".." listed first
    std::vector<WrittenEntry> entries;
};

// Bytes as a file system gives them in a name or a path: anything but NUL.
std::string withoutNul(std::string text) {
    std::replace(text.begin(), text.end(), '\0', 'x');
    return text;
}

std::vector<WrittenBlock> blocksFrom(FuzzedDataProvider& input) {
    std::vector<WrittenBlock> blocks(input.ConsumeIntegralInRange<std::size_t>(0, 12));
    for (WrittenBlock& block : blocks) {
        block.folder = withoutNul(input.ConsumeRandomLengthString(40)) + "/";
        block.dots = input.ConsumeBool();
        std::set<std::string> names; // a folder holds each name once
        const auto count = input.ConsumeIntegralInRange<std::size_t>(1, 12);
        for (std::size_t i = 0; i < count; ++i) {
            std::string name = withoutNul(input.ConsumeRandomLengthString(60));
            std::replace(name.begin(), name.end(), '/', 'x');
            const bool directory = input.ConsumeBool();
            // Sizes of the whole range, so that sums go beyond 64 bits.
            const auto size = input.ConsumeIntegralInRange<std::int64_t>(0, INT64_MAX);
            if (name.empty() || name == "." || name == ".." || !names.insert(name).second)
                continue;
            block.entries.push_back({name, directory, directory ? 0 : size});
        }
        if (block.entries.empty() && !block.dots)
            block.dots = true; // the writer lists no folder without a matching entry
    }
    return blocks;
}

void writeExtended(const std::vector<WrittenBlock>& blocks, const QString& separator,
                   ResultLines& lines) {
    std::int64_t totalFiles = 0;
    ByteTotal totalBytes = 0;
    for (const WrittenBlock& block : blocks) {
        AppendFolderHeading(lines, block.folder);
        if (block.dots) {
            AppendDirectoryLine(lines, ".");
            AppendDirectoryLine(lines, "..");
        }
        std::int64_t files = 0;
        ByteTotal bytes = 0;
        for (const WrittenEntry& entry : block.entries) {
            if (entry.directory)
                AppendDirectoryLine(lines, entry.name);
        }
        for (const WrittenEntry& entry : block.entries) {
            if (entry.directory)
                continue;
            AppendFileLine(lines, entry.size, entry.name);
            ++files;
            AddSize(bytes, entry.size);
        }
        if (files > 0)
            AppendFolderSum(lines, files, bytes);
        totalFiles += files;
        totalBytes += bytes;
    }
    AppendTotalsFooter(lines, totalFiles, totalBytes, std::int64_t(blocks.size()), separator);
}

void writeSimple(const std::vector<WrittenBlock>& blocks, ResultLines& lines) {
    for (const WrittenBlock& block : blocks) {
        const std::string folder = SimpleLineFolder(block.folder);
        if (block.dots) {
            AppendSimpleLine(lines, folder, ".", true, true);
            AppendSimpleLine(lines, folder, "..", true, true);
        }
        for (const WrittenEntry& entry : block.entries)
            AppendSimpleLine(lines, folder, entry.name, true, true);
    }
}

// What the list says of one path, from the lines written.
struct Expected {
    bool directory = false;
    std::int64_t size = 0; // of the first listing
    bool kindsDiffer = false;
    bool shownAlike = false;        // two names of one folder shown alike
    bool listedDifferently = false; // listed again, in another listing, with another size
};

std::map<std::string, Expected> expectedEntries(const std::vector<WrittenBlock>& blocks,
                                                bool extended) {
    std::map<std::string, Expected> expected;
    for (const WrittenBlock& block : blocks) {
        const std::string folder = FolderKey(DisplayText(block.folder));
        std::set<std::string> inBlock;
        for (const WrittenEntry& entry : block.entries) {
            const std::string shown = DisplayText(entry.name);
            const std::string name(WithoutFill(shown));
            // A folder named "." or ".." followed by blanks looks like the folder's own entry.
            if (extended ? entry.directory && (name == "." || name == "..")
                         : shown == "." || shown == "..")
                continue;
            const std::string path = folder + name;
            const auto [it, first] =
                expected.try_emplace(path, Expected{entry.directory, entry.size});
            const bool again = !inBlock.insert(path).second;
            if (!first && it->second.directory != entry.directory)
                it->second.kindsDiffer = true;
            else if (!first && !again && it->second.size != entry.size)
                it->second.listedDifferently = true;
            if (again)
                it->second.shownAlike = true;
        }
    }
    return expected;
}

// Entries below a folder that is shown alike with another one, or listed as file and as folder.
bool belowAmbiguousFolder(const std::map<std::string, Expected>& expected,
                          std::string_view folder) {
    for (const auto& [path, facts] : expected) {
        const bool ambiguousFolder = facts.kindsDiffer || (facts.shownAlike && facts.directory);
        if (ambiguousFolder && folder.starts_with(path + "/"))
            return true;
    }
    return false;
}

QStringList expectedHeader(const TSearchFiles& settings) {
    using namespace ListingLayout;
    QStringList lines{QString::fromUtf8(searchedFolders.data(), qsizetype(searchedFolders.size()))};
    for (qsizetype i = 0; i < settings.Folders.size(); ++i) {
        const QByteArray folder = PathTextBytes(settings.Folders.at(i));
        const std::string key = FolderKey(
            DisplayText(std::string_view(folder.constData(), std::size_t(folder.size()))) + "/");
        const std::string_view ending =
            IsRecursive(settings.Recurse.at(i)) ? withSubfolders : withoutSubfolders;
        lines.append(QString::fromStdString(std::string(folderIndent) + key + std::string(ending)));
    }
    lines.append(QString());
    const QByteArray masks = PathTextBytes(settings.Masks);
    lines.append(QString::fromStdString(
        std::string(searchMasks) +
        DisplayText(std::string_view(masks.constData(), std::size_t(masks.size())))));
    return lines;
}

void checkEntries(const PathSet& entries, const std::map<std::string, Expected>& expected,
                  bool extended) {
    FUZZ_CHECK(entries.size() == expected.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string path = std::string(entries.folderText(i)) + std::string(entries.name(i));
        const auto it = expected.find(path);
        FUZZ_CHECK(it != expected.end());
        if (!extended) {
            FUZZ_CHECK(entries.kind(i) == EntryKind::Unknown);
            FUZZ_CHECK(entries.entrySize(i) == PathSet::unknownSize);
            continue;
        }
        const Expected& facts = it->second;
        const bool ambiguous = facts.kindsDiffer || facts.shownAlike || facts.listedDifferently ||
                               belowAmbiguousFolder(expected, entries.folderText(i));
        FUZZ_CHECK(entries.ambiguous(i) == ambiguous);
        if (ambiguous)
            continue;
        FUZZ_CHECK(entries.kind(i) == (facts.directory ? EntryKind::Folder : EntryKind::File));
        FUZZ_CHECK(entries.entrySize(i) == (facts.directory ? PathSet::unknownSize : facts.size));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const bool extended = input.ConsumeBool();
    const bool header = extended && input.ConsumeBool();
    const bool crLf = input.ConsumeBool();
    const QString separator = QString::fromUtf8(input.PickValueInArray({",", ".", "\xD9\xAB"}));
    TSearchFiles settings;
    const auto folderCount = input.ConsumeIntegralInRange<int>(0, 3);
    for (int i = 0; i < folderCount; ++i) {
        AddSearchFolder(settings, PathTextFromBytes(input.ConsumeRandomLengthString(40)),
                        input.ConsumeBool());
    }
    settings.Masks = PathTextFromBytes(input.ConsumeRandomLengthString(40));
    const std::vector<WrittenBlock> blocks = blocksFrom(input);

    ResultLines lines;
    if (header)
        AppendHeaderBlock(settings, lines);
    if (extended)
        writeExtended(blocks, separator, lines);
    else
        writeSimple(blocks, lines);
    std::string text;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        text += lines.view(i);
        text += crLf ? "\r\n" : "\n";
    }

    const SavedListing listing = ReadListingText(text);
    FUZZ_CHECK(listing.error.isEmpty());
    FUZZ_CHECK(listing.gaps.endedEarly.isEmpty());
    FUZZ_CHECK(listing.gaps.folders.empty());
    if (lines.isEmpty())
        return 0; // an empty simple listing: nothing found
    FUZZ_CHECK(listing.form == (extended ? ListingForm::Extended : ListingForm::Simple));
    FUZZ_CHECK(listing.searchedFor == (header ? expectedHeader(settings) : QStringList()));
    checkEntries(listing.entries, expectedEntries(blocks, extended), extended);
    return 0;
}
