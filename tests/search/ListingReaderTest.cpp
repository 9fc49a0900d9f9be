#include "ListingReader.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// The entries of a listing as "<path> <size>" (size -1 where unknown), or its error.
std::vector<std::string> entriesOf(const std::string& text) {
    const SavedListing listing = ReadListingText(text);
    if (!listing.error.isEmpty())
        return {"error: " + listing.error.toStdString()};
    std::vector<std::string> entries;
    for (std::size_t i = 0; i < listing.entries.size(); ++i)
        entries.push_back(listing.entries.path(i) + " " +
                          std::to_string(listing.entries.entrySize(i)));
    return entries;
}

std::string withLineEnds(const std::vector<std::string>& lines, const std::string& end) {
    std::string text;
    for (const std::string& line : lines)
        text += line + end;
    return text;
}

const std::string longName = std::string(50, 'n') + "  "; // 52 characters, two its own blanks

const std::vector<std::string> extendedListing = {
    "**    FolderInventory     **",
    "**  FolderInventory-Team  **",
    "**      Dateiliste        **",
    "----------------------------",
    "Suchverzeichnisse",
    " /d [mit Unterverzeichnissen]",
    "",
    "Suchmasken: *.*;*.txt",
    "----------------------------",
    "",
    "",
    "Verzeichnis von /d/",
    "",
    "0          <DIR> .                                          ",
    "0          <DIR> ..                                         ",
    "0          <DIR> Sub                                        ",
    "1234             a.txt                                             ",
    "7                Müller b.txt                                      ",
    "12345678901234567  big",
    "5                " + longName,
    "",
    "4 Datei(en), 12345678901236873 Bytes",
    "",
    "",
    "Verzeichnis von /d/",
    "",
    "1234             a.txt                                             ",
    "",
    "1 Datei(en), 1234 Bytes",
    "",
    "",
    "5          Datei(en) insgesamt, 12345678901238107 Bytes (~ 11773756,51 MB)",
    "2          Verzeichnis(se)",
};

TEST(ListingReaderTest, ExtendedListingGivesEachPathOnceWithItsSize) {
    const std::vector<std::string> entries = {"/d/Müller b.txt 7", "/d/Sub/ -1", "/d/a.txt 1234",
                                              "/d/big 12345678901234567", "/d/" + longName + " 5"};
    EXPECT_EQ(entriesOf(withLineEnds(extendedListing, "\r\n")), entries);
    EXPECT_EQ(entriesOf(withLineEnds(extendedListing, "\n")), entries);

    const SavedListing listing = ReadListingText(withLineEnds(extendedListing, "\r\n"));
    EXPECT_TRUE(listing.sizesKnown);
    EXPECT_TRUE(listing.notes.isEmpty());
    EXPECT_EQ(listing.searchedFor,
              QStringList({"Suchverzeichnisse", " /d [mit Unterverzeichnissen]", "",
                           "Suchmasken: *.*;*.txt"}));
}

TEST(ListingReaderTest, SimpleListingWithFullPathsGivesPresenceOnly) {
    const std::string text = "/d/.\r\n/d/..\r\n/d/Sub\r\n/d/a.txt\r\n/d/Sub/.\r\n/d/a.txt\r\n";
    EXPECT_EQ(entriesOf(text), (std::vector<std::string>{"/d/Sub -1", "/d/a.txt -1"}));
    EXPECT_FALSE(ReadListingText(text).sizesKnown);
}

TEST(ListingReaderTest, InputThatCannotBeComparedSaysWhy) {
    EXPECT_EQ(entriesOf(""),
              std::vector<std::string>{
                  "error: Die Datei ist leer; sie ist keine Liste von FolderInventory"});
    const auto bareNames = entriesOf("a.txt\r\nb.txt\r\n");
    EXPECT_NE(bareNames.at(0).find("einfache Liste ohne Pfade"), std::string::npos);
    EXPECT_EQ(entriesOf("/d/a\r\nb.txt\r\n").at(0),
              "error: Zeile 2 ist kein vollständiger Pfad; eine einfache Liste ohne Pfade lässt "
              "sich nicht vergleichen");
    EXPECT_EQ(entriesOf(std::string("PK\x03\x04\0\0", 6)).at(0).substr(0, 30),
              "error: Die Datei ist keine Lis");
    std::vector<std::string> stray = extendedListing;
    stray.insert(stray.begin() + 16, "Hallo Welt");
    EXPECT_EQ(entriesOf(withLineEnds(stray, "\n")).at(0),
              "error: Zeile 17 gehört nicht zu einer Liste von FolderInventory");
    EXPECT_EQ(
        entriesOf(withLineEnds({extendedListing.begin(), extendedListing.begin() + 6}, "\n")).at(0),
        "error: Die Liste endet in ihrem Kopf; sie ist unvollständig");
}

TEST(ListingReaderTest, TruncatedListIsReadWithANoteAndItsCutLineDropped) {
    std::string text = withLineEnds({extendedListing.begin(), extendedListing.begin() + 17}, "\n");
    text += "7                Mül"; // cut off in the middle of a line
    const SavedListing listing = ReadListingText(text);
    EXPECT_TRUE(listing.error.isEmpty());
    EXPECT_EQ(listing.entries.size(), 2u); // Sub/ and a.txt
    EXPECT_EQ(listing.notes.size(), 2);
}

TEST(ListingReaderTest, InvalidUtf8IsShownAsTheListingShowsIt) {
    // Three characters filled to fifty, as the listing writes them.
    const std::string text =
        "Verzeichnis von /d/\xFF/\n3                x\xFEy" + std::string(47, ' ') + "\n";
    EXPECT_EQ(entriesOf(text), std::vector<std::string>{"/d/\xEF\xBF\xBD/x\xEF\xBF\xBDy 3"});
}

} // namespace
