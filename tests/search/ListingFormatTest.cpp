#include "format/ListingFormat.h"

#include "base/PathText.h"
#include "base/Utf8Text.h"
#include "compare/ListingLineParser.h"
#include "format/HeaderBlock.h"
#include "format/ListingLayout.h"
#include "ScanHelpers.h"

#include <climits>
#include <gtest/gtest.h>
#include <QLocale>

namespace {

QStringList footer(std::int64_t files, std::int64_t bytes, std::int64_t folders,
                   const QString& separator) {
    ResultLines lines;
    AppendTotalsFooter(lines, files, bytes, folders, separator);
    return LinesOf(lines);
}

TEST(TotalsFooter, GermanAndEnglishSeparators) {
    EXPECT_EQ(footer(3, 1572864, 1, ","),
              QStringList({"", "", "3          Datei(en) insgesamt, 1572864 Bytes (~ 1,50 MB)",
                           "1          Verzeichnis(se)"}));
    EXPECT_EQ(footer(0, 0, 0, ".")[2], "0          Datei(en) insgesamt, 0 Bytes (~ 0.00 MB)");
}

TEST(TotalsFooter, WideNumbersAreNeverCut) {
    EXPECT_EQ(footer(12345678901, 5000000000, 10000000000, ".")[2],
              "12345678901 Datei(en) insgesamt, 5000000000 Bytes (~ 4768.37 MB)");
    EXPECT_EQ(footer(0, 0, 10000000000, ".")[3], "10000000000 Verzeichnis(se)");
}

TEST(Megabytes, RoundsHalfAwayFromZeroOnTheExactValue) {
    EXPECT_EQ(FormatMegabytes(5242, ","), "0,00");
    EXPECT_EQ(FormatMegabytes(5243, ","), "0,01");
    EXPECT_EQ(FormatMegabytes(131072, ","), "0,13"); // exactly 0.125
    EXPECT_EQ(FormatMegabytes(393216, ","), "0,38"); // exactly 0.375
    EXPECT_EQ(FormatMegabytes(1048576, ","), "1,00");
    EXPECT_EQ(FormatMegabytes(1572864, "."), "1.50");
    EXPECT_EQ(FormatMegabytes(5000000000, "."), "4768.37");
    EXPECT_EQ(FormatMegabytes(INT64_MAX, "."), "8796093022208.00");
}

TEST(Megabytes, SeparatorFollowsTheLocaleAtFormattingTime) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(CurrentDecimalSeparator(), ",");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(CurrentDecimalSeparator(), ".");
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(CurrentDecimalSeparator(), ".");
    QLocale::setDefault(before);
}

TEST(ListingLines, ColumnsAndFill) {
    ResultLines lines;
    AppendDirectoryLine(lines, ".");
    AppendFileLine(lines, 1234, "a.txt");
    AppendFileLine(lines, 5000000000, "big");
    AppendFolderSum(lines, 1, 1234);
    const QStringList text = LinesOf(lines);
    EXPECT_EQ(text[0], QString("0") + QString(10, ' ') + "<DIR> ." + QString(43, ' '));
    EXPECT_EQ(text[1], QString("1234") + QString(13, ' ') + "a.txt" + QString(45, ' '));
    EXPECT_EQ(text[2].left(20), "5000000000       big");
    EXPECT_EQ(text[3], "");
    EXPECT_EQ(text[4], "1 Datei(en), 1234 Bytes");
    EXPECT_EQ(text[0].size(), 61);
    EXPECT_EQ(text[1].size(), 67);
}

TEST(ListingLines, LongNamesAreWrittenWhole) {
    const std::string name51(51, 'n');
    const std::string name45(45, 'd');
    ResultLines lines;
    AppendFileLine(lines, 1, name51);
    AppendDirectoryLine(lines, name45);
    EXPECT_EQ(lines.at(0), "1" + QString(16, ' ') + QString::fromStdString(name51));
    EXPECT_EQ(lines.at(1), "0" + QString(10, ' ') + "<DIR> " + QString::fromStdString(name45));
}

TEST(ListingLines, WidthsCountCharactersNotBytes) {
    ResultLines lines;
    AppendFileLine(lines, 7, "Müller.txt");
    EXPECT_EQ(lines.at(0), FileLine(7, "Müller.txt"));
    EXPECT_EQ(lines.at(0).size(), 67);
}

TEST(DisplayText, ControlCharactersAndInvalidBytes) {
    EXPECT_EQ(DisplayText("a\nb\tc\x7f"), "a?b?c?");
    EXPECT_EQ(DisplayText("bad\xff.txt"), "bad\xEF\xBF\xBD.txt");
    EXPECT_EQ(DisplayText("\xC3"), "\xEF\xBF\xBD"); // truncated sequence
    EXPECT_EQ(DisplayText("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"); // surrogate
    EXPECT_EQ(DisplayText("Über"), "Über");
    // U+009B (one-character CSI) stays in a listing; a terminal gets "?" for it.
    EXPECT_EQ(DisplayText("a\xC2\x9B\xC2\xA0"), "a\xC2\x9B\xC2\xA0");
    EXPECT_EQ(DisplayText("a\xC2\x9B\xC2\xA0\x1B", ControlCharacters::Terminal), "a?\xC2\xA0?");
    std::string shown;
    EXPECT_EQ(AppendDisplayText(shown, "x\xff\xfey"), 4u);
}

// Long names go eight bytes at a time: a control character, DEL, a blank or "~" and a character
// beyond ASCII are each found at every place of a name longer than such a step.
TEST(DisplayText, ControlCharactersAnywhereInLongNames) {
    for (std::size_t at = 0; at < 19; ++at) {
        const std::string plain(19, 'n');
        const auto with = [&](std::string_view piece) {
            return plain.substr(0, at) + std::string(piece) + plain.substr(at);
        };
        EXPECT_EQ(DisplayText(with("\x1F")), with("?")) << at;
        EXPECT_EQ(DisplayText(with("\x7F")), with("?")) << at;
        EXPECT_EQ(DisplayText(with(" ~")), with(" ~")) << at;
        EXPECT_EQ(DisplayText(with("\xFF")), with("\xEF\xBF\xBD")) << at;
        std::string shown;
        EXPECT_EQ(AppendDisplayText(shown, with("ü")), 20u) << at;
    }
}

TEST(SimpleLines, ExtensionCutting) {
    const auto simple = [](std::string_view name, bool fullPath) {
        ResultLines lines;
        AppendSimpleLine(lines, "/daten/", name, fullPath, false);
        return lines.at(0);
    };
    EXPECT_EQ(simple("report.txt", false), "report");
    EXPECT_EQ(simple("archive.tar.gz", false), "archive.tar");
    EXPECT_EQ(simple("README", false), "README");
    EXPECT_EQ(simple(".profile", false), "");
    EXPECT_EQ(simple(".", false), "");
    EXPECT_EQ(simple("..", false), ".");
    EXPECT_EQ(simple("report.txt", true), "/daten/report");
    EXPECT_EQ(simple(".", true), "/daten/");
    EXPECT_EQ(simple("..", true), "/daten/.");

    ResultLines lines;
    AppendSimpleLine(lines, "/daten.alt/", "README", true, false);
    EXPECT_EQ(lines.at(0), "/daten.alt/README");
}

// Each folder and the mask text stay one line, shown by the listing's rule; a recursion text
// other than exactly "true" reads as without subfolders.
TEST(HeaderBlock, FramedTitleFoldersAndMasks) {
    TSearchFiles settings;
    settings.Folders = {PathTextFromBytes("/a\nb\xff"), "/c"};
    settings.Recurse = {"true", "True"};
    settings.Masks = "*.txt; *.doc";
    ResultLines lines;
    AppendHeaderBlock(settings, lines);
    EXPECT_EQ(lines.text(), "**    FolderInventory     **\n"
                            "**  FolderInventory-Team  **\n"
                            "**      Dateiliste        **\n"
                            "----------------------------\n"
                            "Suchverzeichnisse\n"
                            " /a?b\uFFFD [mit Unterverzeichnissen]\n"
                            " /c [ohne Unterverzeichnisse]\n"
                            "\n"
                            "Suchmasken: *.txt; *.doc\n"
                            "----------------------------\n");
}

// Every kind of line reads back as it was written, whatever its numbers, and whatever its name
// looks like, so that a change to the listing cannot pass the comparison by unseen.
TEST(ListingLayout, EachKindOfLineReadsBackAsWritten) {
    const std::int64_t numbers[] = {0, 7, 123456789012345, INT64_MAX};
    const std::string names[] = {"a.txt",
                                 "Müller b.txt",
                                 std::string(51, 'n'),
                                 "<DIR> x",
                                 "Datei(en) insgesamt, geheim.txt",
                                 " lead",
                                 "0          <DIR> y"};
    for (const std::int64_t number : numbers) {
        for (const std::string& name : names) {
            ResultLines lines;
            AppendFileLine(lines, number, name);
            AppendDirectoryLine(lines, name);
            AppendFolderSum(lines, number, number);
            const std::optional<EntryLine> file = ParseEntryLine(lines.view(0));
            const std::optional<EntryLine> folder = ParseEntryLine(lines.view(1));
            ASSERT_TRUE(file && folder) << number << " " << name;
            EXPECT_FALSE(file->directory);
            EXPECT_EQ(file->size, number);
            EXPECT_EQ(WithoutFill(file->nameColumn), name);
            EXPECT_TRUE(folder->directory);
            EXPECT_EQ(WithoutFill(folder->nameColumn), name);
            const std::optional<FolderSum> sum = ParseFolderSum(lines.view(3));
            ASSERT_TRUE(sum && lines.view(2).empty());
            EXPECT_EQ(sum->files, number);
            EXPECT_EQ(sum->bytes, number);
            EXPECT_FALSE(ParseTotalsLine(lines.view(0)) || ParseFolderSum(lines.view(0)));
        }
        for (const QString& separator : {QStringLiteral(","), QStringLiteral(".")}) {
            ResultLines footer;
            AppendTotalsFooter(footer, number, number, number, separator);
            ASSERT_EQ(footer.size(), 4);
            EXPECT_TRUE(footer.view(0).empty() && footer.view(1).empty());
            const std::optional<TotalsLine> totals = ParseTotalsLine(footer.view(2));
            ASSERT_TRUE(totals) << footer.at(2).toStdString();
            EXPECT_EQ(totals->files, number);
            EXPECT_EQ(totals->bytes, number);
            EXPECT_EQ(ParseTotalFoldersLine(footer.view(3)), number);
            EXPECT_FALSE(ParseEntryLine(footer.view(2)) || ParseEntryLine(footer.view(3)));
        }
    }

    ResultLines heading;
    AppendFolderHeading(heading, "/d/x y/");
    ASSERT_EQ(heading.size(), 4);
    EXPECT_EQ(ParseFolderHeading(heading.view(2)), "/d/x y/");
    EXPECT_TRUE(heading.view(0).empty() && heading.view(1).empty() && heading.view(3).empty());

    TSearchFiles settings;
    settings.Folders = {"/a [mit Unterverzeichnissen]", "/c"};
    settings.Recurse = {"true", "false"};
    settings.Masks = "*.txt; *.doc";
    ResultLines header;
    AppendHeaderBlock(settings, header);
    for (std::size_t i = 0; i < std::size(ListingLayout::titleLines); ++i)
        EXPECT_EQ(header.view(qsizetype(i)), ListingLayout::titleLines[i]);
    EXPECT_EQ(header.view(3), ListingLayout::frameRule);
    EXPECT_EQ(header.view(4), ListingLayout::searchedFolders);
    const std::optional<HeaderFolder> first = ParseHeaderFolder(header.view(5));
    const std::optional<HeaderFolder> second = ParseHeaderFolder(header.view(6));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->folder, "/a [mit Unterverzeichnissen]");
    EXPECT_TRUE(first->recursive);
    EXPECT_EQ(second->folder, "/c");
    EXPECT_FALSE(second->recursive);
    EXPECT_EQ(ParseSearchMasks(header.view(8)), "*.txt; *.doc");
    EXPECT_EQ(header.view(9), ListingLayout::frameRule);
}

} // namespace
