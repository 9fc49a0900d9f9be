#include "format/TextListing.h"

TextListing TextListing::extended(LineSink& lines, const RunOutcome* outcome) {
    return TextListing(lines, true, false, true, NameBytes::Shown, outcome);
}

TextListing TextListing::simple(LineSink& lines, bool fullPath, bool showExtensions,
                                NameBytes bytes, const RunOutcome* outcome) {
    return TextListing(lines, false, fullPath, showExtensions, bytes, outcome);
}

TextListing TextListing::of(LineSink& lines, bool extended, bool fullPath, bool showExtensions,
                            const RunOutcome* outcome) {
    return extended ? TextListing::extended(lines, outcome)
                    : simple(lines, fullPath, showExtensions, NameBytes::Shown, outcome);
}

RecordSink::Needs TextListing::needs() const {
    return Needs{.sizes = extended_, .foldersFirst = extended_};
}

void TextListing::beginFolder(std::string_view folderText) {
    if (!extended_) {
        if (fullPath_)
            folder_ = SimpleLineFolder(folderText, bytes_);
        return;
    }
    AppendFolderHeading(lines_, folderText);
    ++totals_.folders;
    folderFiles_ = 0;
    folderBytes_ = 0;
}

void TextListing::entry(const EntryRecord& record) {
    if (!extended_) {
        // Names that end in NUL bytes are for scripts, which "." and ".." would lead astray (a
        // "chmod" on the folder above); find -print0 leaves them out too.
        if (bytes_ == NameBytes::Exact && record.kind == EntryRecord::Kind::Dot)
            return;
        AppendSimpleLine(lines_, folder_, record.name, fullPath_, showExtensions_, bytes_);
        return;
    }
    if (record.listedAsFile()) {
        AppendFileLine(lines_, record.size, record.name);
        ++totals_.files;
        AddSize(totals_.bytes, record.size);
        ++folderFiles_;
        AddSize(folderBytes_, record.size);
    } else {
        AppendDirectoryLine(lines_, record.name);
    }
}

void TextListing::endFolder() {
    if (extended_ && folderFiles_ > 0)
        AppendFolderSum(lines_, folderFiles_, folderBytes_);
}

// The footer's decimal separator is the locale's at the time the footer is written.
void TextListing::endRun() {
    if (extended_)
        AppendTotalsFooter(lines_, totals_.files, totals_.bytes, totals_.folders,
                           CurrentDecimalSeparator());
    if (outcome_ && outcome_->cancelled() && bytes_ == NameBytes::Shown)
        AppendCutShortLine(lines_);
}
