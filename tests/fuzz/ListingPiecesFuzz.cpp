// The listing reader takes a text as it arrives, a listing or an inventory in JSON Lines: read
// whole or in pieces of any sizes, a text gives the same listing or the same error, and no text,
// however broken, crashes it.

#include "compare/ListingReader.h"
#include "FuzzCheck.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <string_view>

namespace {

bool sameEntries(const PathSet& a, const PathSet& b) {
    if (a.size() != b.size() || a.blockCount() != b.blockCount())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a.path(i) != b.path(i) || a.kind(i) != b.kind(i) || a.entrySize(i) != b.entrySize(i) ||
            a.ambiguous(i) != b.ambiguous(i) || a.shownAlike(i) != b.shownAlike(i) ||
            a.block(i) != b.block(i))
            return false;
    }
    return true;
}

bool sameListing(const SavedListing& a, const SavedListing& b) {
    return a.error == b.error && a.form == b.form && a.searchedFor == b.searchedFor &&
           a.gaps.endedEarly == b.gaps.endedEarly && a.gaps.folders.empty() &&
           b.gaps.folders.empty() && sameEntries(a.entries, b.entries);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The piece sizes come from the end of the input, the text is the rest.
    FuzzedDataProvider input(data, size);
    std::array<std::size_t, 4> pieceSizes{};
    for (std::size_t& pieceSize : pieceSizes)
        pieceSize = input.ConsumeIntegralInRange<std::size_t>(1, 64);
    const std::string text = input.ConsumeRemainingBytesAsString();

    const SavedListing whole = ReadListingText(text);
    ListingReader reader;
    std::string_view rest = text;
    for (std::size_t piece = 0; !rest.empty(); ++piece) {
        const std::size_t length = std::min(rest.size(), pieceSizes[piece % pieceSizes.size()]);
        reader.addText(rest.substr(0, length));
        rest.remove_prefix(length);
    }
    const SavedListing pieces = reader.finish();
    FUZZ_CHECK(sameListing(whole, pieces));
    return 0;
}
