// What JsonListing writes, the listing reader reads back as an inventory: folders and names of
// any bytes (as a file system may hold them), kinds, sizes and times of the whole 64-bit range
// (or not read at all), links' targets, and a summary of a complete, cancelled or partly
// unreadable run. Every entry comes back under its exact path with its kind, the size and time of
// its first listing (a time to the nanosecond where 64 bits of nanoseconds hold it, else to the
// microsecond), unknown where it was not read; the header says what was searched as a text
// listing's header says it (as the listing shows it), and the gaps are those the run reported.

#include "base/PathText.h"
#include "compare/FolderKey.h"
#include "compare/ListingReader.h"
#include "format/HeaderBlock.h"
#include "format/JsonListing.h"
#include "format/ListingFormat.h"
#include "FuzzCheck.h"
#include "output/ResultLines.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct WrittenEntry {
    std::string name; // raw
    EntryRecord::Kind kind = EntryRecord::Kind::File;
    std::int64_t size = 0;
    FileTime modified;
    bool sizeRead = true;
    bool timeRead = true;
    std::string target;
};

struct WrittenBlock {
    std::string folder; // raw, ending in "/"
    std::vector<WrittenEntry> entries;
};

std::string withoutNul(std::string text) {
    std::replace(text.begin(), text.end(), '\0', 'x');
    return text;
}

FileTime timeFrom(FuzzedDataProvider& input) {
    FileTime time;
    time.seconds = input.ConsumeIntegral<std::int64_t>();
    time.nanoseconds = input.ConsumeIntegralInRange<std::int32_t>(0, 999'999'999);
    return time;
}

std::vector<WrittenBlock> blocksFrom(FuzzedDataProvider& input) {
    std::vector<WrittenBlock> blocks(input.ConsumeIntegralInRange<std::size_t>(0, 12));
    for (WrittenBlock& block : blocks) {
        block.folder = withoutNul(input.ConsumeRandomLengthString(40)) + "/";
        std::set<std::string> names; // a folder holds each name once
        const auto count = input.ConsumeIntegralInRange<std::size_t>(1, 12);
        for (std::size_t i = 0; i < count; ++i) {
            WrittenEntry entry;
            entry.name = withoutNul(input.ConsumeRandomLengthString(40));
            std::replace(entry.name.begin(), entry.name.end(), '/', 'x');
            entry.kind = input.PickValueInArray({EntryRecord::Kind::File, EntryRecord::Kind::Folder,
                                                 EntryRecord::Kind::Dot, EntryRecord::Kind::Link,
                                                 EntryRecord::Kind::Special});
            entry.size = entry.kind != EntryRecord::Kind::Folder
                             ? input.ConsumeIntegralInRange<std::int64_t>(0, INT64_MAX)
                             : 0;
            entry.modified = timeFrom(input);
            entry.sizeRead = input.ConsumeBool();
            entry.timeRead = input.ConsumeBool();
            entry.target = withoutNul(input.ConsumeRandomLengthString(20));
            if (entry.kind == EntryRecord::Kind::Dot)
                entry.name = input.ConsumeBool() ? "." : "..";
            else if (entry.name.empty() || entry.name == "." || entry.name == ".." ||
                     !names.insert(entry.name).second)
                continue;
            block.entries.push_back(entry);
        }
    }
    return blocks;
}

RunOutcome outcomeFrom(FuzzedDataProvider& input) {
    RunOutcome outcome;
    if (input.ConsumeBool())
        outcome.setCancelled();
    const auto unreadable = input.ConsumeIntegralInRange<int>(0, 3);
    for (int i = 0; i < unreadable; ++i) {
        const QByteArray path =
            QByteArray::fromStdString(withoutNul(input.ConsumeRandomLengthString(30)) + "/");
        if (input.ConsumeBool())
            outcome.addUnreadableFolder(path, EACCES);
        else
            outcome.addFolderWithUnreadableSizes(path, EACCES);
    }
    return outcome;
}

// What the list says of one path: its first listing, and whether it was listed as file and as
// folder.
struct Expected {
    EntryKind kind;
    std::int64_t size;
    std::optional<FileTime> modified;
    bool kindsDiffer = false;
    bool listedDifferently = false; // listed again as the same kind with another size or time
};

// The time as an inventory carries it: exact where its nanoseconds fit 64 bits, else to the
// microsecond of its text.
std::optional<FileTime> carriedTime(const WrittenEntry& entry) {
    if (!entry.timeRead)
        return std::nullopt;
    if (NanosecondsSinceEpoch(entry.modified))
        return entry.modified;
    return FileTime{entry.modified.seconds, entry.modified.nanoseconds / 1000 * 1000};
}

// The kind an inventory's line gives back: links and special files are told from files.
EntryKind kindOf(EntryRecord::Kind kind) {
    switch (kind) {
    case EntryRecord::Kind::Folder:
        return EntryKind::Folder;
    case EntryRecord::Kind::Link:
        return EntryKind::Link;
    case EntryRecord::Kind::Special:
        return EntryKind::Special;
    case EntryRecord::Kind::File:
    case EntryRecord::Kind::Dot:
        break;
    }
    return EntryKind::File;
}

// Two listings of one entry differ where both give a size or both a time, and those differ.
bool listingsDiffer(const Expected& a, const Expected& b) {
    const bool sizes =
        a.size != PathSet::unknownSize && b.size != PathSet::unknownSize && a.size != b.size;
    const bool times = a.modified && b.modified && *a.modified != *b.modified;
    return sizes || times;
}

std::map<std::string, Expected> expectedEntries(const std::vector<WrittenBlock>& blocks) {
    std::map<std::string, Expected> expected;
    for (const WrittenBlock& block : blocks) {
        for (const WrittenEntry& entry : block.entries) {
            if (entry.kind == EntryRecord::Kind::Dot)
                continue;
            const std::string path = FolderKey(block.folder) + entry.name;
            const bool withSize = entry.kind == EntryRecord::Kind::File && entry.sizeRead;
            const Expected facts{kindOf(entry.kind), withSize ? entry.size : PathSet::unknownSize,
                                 carriedTime(entry)};
            const auto [it, first] = expected.try_emplace(path, facts);
            if (!first && it->second.kind != facts.kind)
                it->second.kindsDiffer = true;
            else if (!first && listingsDiffer(it->second, facts))
                it->second.listedDifferently = true;
        }
    }
    return expected;
}

bool belowFolderOfTwoKinds(const std::map<std::string, Expected>& expected,
                           std::string_view folder) {
    for (const auto& [path, facts] : expected) {
        if (facts.kindsDiffer && folder.starts_with(path + "/"))
            return true;
    }
    return false;
}

// What a text listing's header says of the same search.
QStringList searchedForAsText(const TSearchFiles& settings) {
    ResultLines lines;
    AppendHeaderBlock(settings, lines);
    AppendTotalsFooter(lines, 0, 0, 0, QStringLiteral(","));
    return ReadListingText(lines.text()).searchedFor;
}

void checkEntries(const PathSet& entries, const std::map<std::string, Expected>& expected) {
    FUZZ_CHECK(entries.size() == expected.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string path = std::string(entries.folderText(i)) + std::string(entries.name(i));
        const auto it = expected.find(path);
        FUZZ_CHECK(it != expected.end());
        const Expected& facts = it->second;
        const bool ambiguous = facts.kindsDiffer || facts.listedDifferently ||
                               belowFolderOfTwoKinds(expected, entries.folderText(i));
        FUZZ_CHECK(entries.ambiguous(i) == ambiguous);
        if (ambiguous)
            continue;
        FUZZ_CHECK(entries.kind(i) == facts.kind);
        FUZZ_CHECK(entries.entrySize(i) == facts.size);
        FUZZ_CHECK(entries.timeKnown(i) == facts.modified.has_value());
        FUZZ_CHECK(!facts.modified || entries.modified(i) == *facts.modified);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    TSearchFiles settings;
    const auto folderCount = input.ConsumeIntegralInRange<int>(0, 3);
    for (int i = 0; i < folderCount; ++i)
        AddSearchFolder(settings, PathTextFromBytes(input.ConsumeRandomLengthString(30)),
                        input.ConsumeBool());
    settings.Masks = PathTextFromBytes(input.ConsumeRandomLengthString(30));
    const FileTime created = timeFrom(input);
    const RunOutcome outcome = outcomeFrom(input);
    const std::vector<WrittenBlock> blocks = blocksFrom(input);

    ResultLines lines;
    JsonListing inventory(lines, outcome);
    inventory.begin(settings, created, {"fuzz", "1"});
    for (const WrittenBlock& block : blocks) {
        inventory.beginFolder(block.folder);
        for (const WrittenEntry& entry : block.entries)
            inventory.entry({.kind = entry.kind,
                             .folder = block.folder,
                             .name = entry.name,
                             .size = entry.size,
                             .modified = entry.modified,
                             .sizeRead = entry.sizeRead,
                             .timeRead = entry.timeRead,
                             .target = entry.target,
                             .targetRead = entry.kind == EntryRecord::Kind::Link});
        inventory.endFolder();
    }
    inventory.endRun();

    const SavedListing listing = ReadListingText(lines.text());
    FUZZ_CHECK(listing.error.isEmpty());
    FUZZ_CHECK(listing.form == ListingForm::Extended);
    FUZZ_CHECK(listing.exactNames && listing.withTimes);
    FUZZ_CHECK(ShownForm(listing).searchedFor == searchedForAsText(settings));
    FUZZ_CHECK(listing.gaps.endedEarly.isEmpty() == !outcome.cancelled());
    FUZZ_CHECK(listing.gaps.folders.size() ==
               outcome.unreadableFolders().size() + outcome.foldersWithUnreadableSizes().size());
    checkEntries(listing.entries, expectedEntries(blocks));
    return 0;
}
