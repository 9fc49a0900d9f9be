#include "compare/ListingReader.h"

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
    "5          Datei(en) insgesamt, 12345678901238107 Bytes (~ 11773756886,71 MB)",
    "2          Verzeichnis(se)",
};

TEST(ListingReaderTest, ExtendedListingGivesEachPathOnceWithItsSize) {
    // The name of 52 characters ends in two blanks of its own, which go like any fill.
    const std::vector<std::string> entries = {"/d/Müller b.txt 7", "/d/Sub/ -1", "/d/a.txt 1234",
                                              "/d/big 12345678901234567",
                                              "/d/" + std::string(50, 'n') + " 5"};
    EXPECT_EQ(entriesOf(withLineEnds(extendedListing, "\r\n")), entries);
    EXPECT_EQ(entriesOf(withLineEnds(extendedListing, "\n")), entries);

    const SavedListing listing = ReadListingText(withLineEnds(extendedListing, "\r\n"));
    EXPECT_EQ(listing.form, ListingForm::Extended);
    EXPECT_FALSE(listing.gaps.any());
    EXPECT_EQ(listing.searchedFor,
              QStringList({"Suchverzeichnisse", " /d/ [mit Unterverzeichnissen]", "",
                           "Suchmasken: *.*;*.txt"}));
}

// Full or relative paths, and a list that found nothing: all are simple listings to compare.
TEST(ListingReaderTest, SimpleListingsGivePresenceOnly) {
    const std::string text = "/d/.\r\n/d/..\r\n/d/Sub\r\n/d/a.txt\r\n/d/Sub/.\r\n/d/a.txt\r\n";
    // A folder is known by what the list shows below it; a.txt may be a file or an unread folder.
    EXPECT_EQ(entriesOf(text), (std::vector<std::string>{"/d/Sub/ -1", "/d/a.txt -1"}));
    EXPECT_EQ(ReadListingText(text).form, ListingForm::Simple);
    EXPECT_EQ(entriesOf("./.\n./..\n./a.txt\n./Sub/b\n"),
              (std::vector<std::string>{"./Sub/b -1", "./a.txt -1"}));
    EXPECT_EQ(entriesOf("t/./a.txt\nt//b\n"), (std::vector<std::string>{"t/a.txt -1", "t/b -1"}));
    // A relative folder may start with "{" as an inventory in JSON Lines does.
    EXPECT_EQ(entriesOf("{a}/.\n{a}/..\n{a}/f.txt\n"), (std::vector<std::string>{"{a}/f.txt -1"}));
    const SavedListing empty = ReadListingText("");
    EXPECT_TRUE(empty.error.isEmpty());
    EXPECT_EQ(empty.form, ListingForm::Simple);
    EXPECT_EQ(empty.entries.size(), 0u);
}

TEST(ListingReaderTest, InputThatCannotBeComparedSaysWhy) {
    const auto errorOf = [](const std::string& text) {
        return ReadListingText(text).error.toStdString();
    };
    EXPECT_NE(errorOf("a.txt\r\nb.txt\r\n").find("einfache Liste ohne Pfade"), std::string::npos);
    EXPECT_EQ(errorOf("/d/a\r\nb.txt\r\n"), "Zeile 2 ist kein Pfad; eine einfache Liste ohne "
                                            "Pfade lässt sich nicht vergleichen");
    // Without extensions the "." of a folder is the folder's text alone.
    EXPECT_NE(errorOf("/d/\n/d/.\n/d/report\n").find("ohne Dateierweiterung"), std::string::npos);
    EXPECT_EQ(errorOf(std::string("PK\x03\x04\0\0", 6)).substr(0, 13), "Keine Liste v");
    EXPECT_EQ(errorOf(std::string("/d/a\n/d/\0b\n", 11) + std::string(1 << 21, 'x')),
              "Zeile 2 enthält ein Nullbyte und gehört nicht zu einer Liste von FolderInventory");
    EXPECT_EQ(errorOf("/d/a\n" + std::string(ListingReader::maxLineBytes + 1, 'x')),
              "Zeile 2 ist länger als jede Zeile einer Liste von FolderInventory");
    EXPECT_EQ(errorOf(withLineEnds({extendedListing.begin(), extendedListing.begin() + 6}, "\n")),
              "Die Liste endet in ihrem Kopf; sie ist unvollständig");

    // Each kind of line only where it can stand and in its exact form: a stray text, a negative
    // or zero-led size, a folder line with another number, a sum without its blank line, a
    // directory line after the file lines.
    const struct {
        std::size_t at;
        std::string line;
    } strays[] = {
        {16, "Hallo Welt"},         {16, "-1               x.txt"}, {16, "007              x.txt"},
        {14, "1          <DIR> x"}, {20, "1 Datei(en), 1 Bytes"},   {19, "0          <DIR> x"},
    };
    for (const auto& stray : strays) {
        std::vector<std::string> lines = extendedListing;
        lines.insert(lines.begin() + std::ptrdiff_t(stray.at), stray.line);
        EXPECT_EQ(errorOf(withLineEnds(lines, "\n")),
                  "Zeile " + std::to_string(stray.at + 1) +
                      " gehört nicht zu einer Liste von FolderInventory")
            << stray.line;
    }
}

// An inventory is told by its first line being a JSON object; one that starts as an inventory's
// but is broken is refused with the inventory's reason, also where it reads as a path and an
// inventory's entry follows, and one cut off in its first line ends early.
TEST(ListingReaderTest, InventoryIsToldByItsFirstLine) {
    const std::string header = R"({"type":"inventory","format":1,"created":"2026-01-01T00:00:00Z",)"
                               R"("folders":[{"path":"/d","recursive":true}],"masks":"*.*"})";
    const std::string entry =
        R"({"type":"file","path":"/d/a","size":1,"mtime":"2026-01-01T00:00:00Z"})";
    for (const std::string& broken :
         {std::string(R"({"type":"inventory","folders":[)"), header.substr(0, 70)}) {
        EXPECT_EQ(ReadListingText(broken + "\n" + entry + "\n").error,
                  "Zeile 1 der Inventarliste: kein gültiges JSON-Objekt")
            << broken;
    }
    EXPECT_EQ(entriesOf(R"({"type"/a.txt)"
                        "\n"
                        R"({"type"/b.txt)"
                        "\n"),
              (std::vector<std::string>{R"({"type"/a.txt -1)", R"({"type"/b.txt -1)"}));
    const SavedListing cut = ReadListingText(header);
    EXPECT_TRUE(cut.error.isEmpty()) << cut.error.toStdString();
    EXPECT_TRUE(cut.exactNames);
    EXPECT_FALSE(cut.gaps.endedEarly.isEmpty());
}

// The line that says a stop cut a listing short ends it wherever it stands: after the footer, after
// a simple listing's last path, or where the window's copy of the lines was stopped. Nothing but
// blank lines may follow it.
TEST(ListingReaderTest, CutShortLineEndsTheListing) {
    const std::string cutShort = "Abgebrochen: Die Liste ist unvollständig.";
    for (const std::vector<std::string>& lines :
         {extendedListing,
          std::vector<std::string>(extendedListing.begin(), extendedListing.begin() + 17),
          std::vector<std::string>{"/d/a.txt", "/d/b.txt"}, std::vector<std::string>{}}) {
        std::vector<std::string> cut = lines;
        cut.push_back(cutShort);
        const SavedListing listing = ReadListingText(withLineEnds(cut, "\r\n") + "\r\n");
        EXPECT_TRUE(listing.error.isEmpty()) << listing.error.toStdString();
        EXPECT_EQ(listing.gaps.endedEarly, "Die Suche wurde abgebrochen");
    }
    EXPECT_EQ(ReadListingText("/d/a.txt\n" + cutShort + "\n/d/b.txt\n").error,
              "Zeile 3 gehört nicht zu einer Liste von FolderInventory");
}

// A stream that cannot be a listing is refused at its first line; nothing after it is kept.
TEST(ListingReaderTest, StopsAtTheFirstFault) {
    ListingReader reader;
    reader.addText("Hallo\n");
    EXPECT_TRUE(reader.failed());
    reader.addText("/d/a.txt\n" + std::string(ListingReader::maxLineBytes * 2, 'x'));
    const SavedListing listing = reader.finish();
    EXPECT_EQ(listing.error.left(13), "Keine Liste v");
}

TEST(ListingReaderTest, TruncatedListIsReadAsEndingEarlyAndItsCutLineDropped) {
    std::string text = withLineEnds({extendedListing.begin(), extendedListing.begin() + 17}, "\n");
    text += "7                Mül"; // cut off in the middle of a line
    const SavedListing listing = ReadListingText(text);
    EXPECT_TRUE(listing.error.isEmpty());
    EXPECT_EQ(listing.entries.size(), 2u); // Sub/ and a.txt
    EXPECT_EQ(listing.gaps.endedEarly,
              "Die letzte Zeile endet ohne Zeilenumbruch; die Liste ist wohl abgeschnitten");
}

// A file whose name reads like the footer or a folder line is a file like any other.
TEST(ListingReaderTest, FileNamedLikeTheFooterOrAFolderLineIsAFile) {
    std::vector<std::string> lines = extendedListing;
    lines[17] = "7                Datei(en) insgesamt, geheim.txt                   ";
    lines[18] = "123456789012345  <DIR> x";
    EXPECT_EQ(entriesOf(withLineEnds(lines, "\n")),
              (std::vector<std::string>{"/d/<DIR> x 123456789012345",
                                        "/d/Datei(en) insgesamt, geheim.txt 7", "/d/Sub/ -1",
                                        "/d/a.txt 1234", "/d/" + std::string(50, 'n') + " 5"}));
}

// Every line of a listing is UTF-8 without control characters, as the listing shows every name.
TEST(ListingReaderTest, BytesThatNoListingShowsAreRefused) {
    EXPECT_EQ(ReadListingText("/d/a\n/d/x\xFEy\n").error,
              "Zeile 2 gehört nicht zu einer Liste von FolderInventory");
    EXPECT_EQ(ReadListingText("/d/a\n/d/x\ty\n").error,
              "Zeile 2 gehört nicht zu einer Liste von FolderInventory");
    EXPECT_EQ(ReadListingText("/d/\xEF\xBF\xBD?\n").entries.path(0), "/d/\uFFFD?");
}

} // namespace
