#pragma once

#include "PathSet.h"

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

// A listing read back: the set of its entries and what its header says.
struct SavedListing {
    PathSet entries;
    // Why the list cannot be compared; empty when it can.
    QString error;
    // The header's lines from "Suchverzeichnisse" to "Suchmasken: ..."; empty without header.
    QStringList searchedFor;
    // Things worth knowing that do not stop a comparison (a list that ends early).
    QStringList notes;
    // Sizes known (extended listing) or presence only (simple listing with full paths).
    bool sizesKnown = false;
};

// Reads a listing of this program back, line by line as its text arrives in pieces: an extended
// listing (header, "Verzeichnis von" headings, "<DIR>" and file lines, sums and footer) or a
// simple listing with full paths. Lines end in CR LF or LF. A simple listing of bare names names
// no folder and cannot be compared; anything else that is not such a listing is refused with the
// number of the first line that does not fit.
class ListingReader final {
public:
    ListingReader() = default;

    // The next piece of the text; a line may be split across pieces.
    void addText(std::string_view text);
    // Ends the text and hands over what was read.
    SavedListing finish();

private:
    enum class Form { Undecided, Header, Extended, Simple, Failed };

    void addLine(std::string_view line);
    void decideForm(std::string_view line);
    void readHeaderLine(std::string_view line);
    void readExtendedLine(std::string_view line);
    bool readEntryLine(std::string_view line);
    std::string_view nameInColumn(std::string_view text, std::size_t column);
    bool readTotalsLine(std::string_view line);
    void readSimpleLine(std::string_view line);
    void fail(const QString& reason);
    void failAtLine();

    SavedListing listing_;
    Form form_ = Form::Undecided;
    std::string pending_; // the start of a line whose end has not arrived yet
    std::string shown_;   // scratch text for one name
    long long lineNumber_ = 0;
    bool inFolder_ = false;
    bool sawFooter_ = false;
    bool sawSearchMasks_ = false;
    bool sawAnyLine_ = false;
};

// Reads the listing in the file `fileName`; an error names the file.
SavedListing ReadListingFile(const QString& fileName);

// Reads a listing held in memory, such as the lines of a result window.
SavedListing ReadListingText(std::string_view text);
