// The line view's cursor, selection and steps, without a widget or a display.
#include "TextSelection.h"

#include "QtPrinters.h"
#include "WidestLine.h"

#include <gtest/gtest.h>
#include <ostream>
#include <vector>

void PrintTo(const TextPosition& position, std::ostream* os) {
    *os << '(' << position.row << ", " << position.column << ')';
}

namespace {

class TextSelectionTest : public ::testing::Test {
protected:
    void fill(const QStringList& rows) {
        for (const QString& row : rows)
            lines.append(row.toStdString());
    }
    // The columns where repeated steps from the start of row 0 stop, up to the row's end.
    std::vector<qsizetype> stops(bool forward, bool byWord) {
        std::vector<qsizetype> columns;
        TextPosition at{0, forward ? 0 : selection.rowText(0).size()};
        for (int i = 0; i < 20; ++i) {
            at = forward ? selection.next(at, byWord) : selection.previous(at, byWord);
            if (at.row != 0)
                break;
            columns.push_back(at.column);
            if (at.column == 0 || at.column == selection.rowText(0).size())
                break;
        }
        return columns;
    }

    ShownLines lines;
    TextSelection selection{lines};
};

TEST_F(TextSelectionTest, SelectedTextRunsBetweenAnchorAndCursorWithItsLineBreaks) {
    fill({"Verzeichnis von /home", "", "Größe.txt  1234", "Ende"});
    selection.moveTo({2, 5});
    selection.moveTo({0, 12}, true); // backwards: the cursor before the anchor
    EXPECT_EQ(selection.anchor(), (TextPosition{2, 5}));
    EXPECT_EQ(selection.selectedText(), "von /home\n\nGröße");
    EXPECT_EQ(selection.selectionIn(0).start, 12);
    EXPECT_TRUE(selection.selectionIn(1).lineBreak);
    EXPECT_EQ(selection.selectionIn(2).end, 5);
    EXPECT_FALSE(selection.selectionIn(2).lineBreak);
    EXPECT_EQ(selection.selectionIn(3).end, 0);

    selection.moveTo({2, 0});
    selection.moveTo({2, 3}, true);
    EXPECT_EQ(selection.selectedText(), "Grö");

    selection.selectAll();
    EXPECT_EQ(selection.cursor(), (TextPosition{4, 0}));
    EXPECT_EQ(selection.selectedText(), "Verzeichnis von /home\n\nGröße.txt  1234\nEnde\n");
}

TEST_F(TextSelectionTest, MovesStayInsideTheText) {
    fill({"abc", "de"});
    selection.moveTo({1, 99});
    EXPECT_EQ(selection.cursor(), (TextPosition{1, 2}));
    EXPECT_FALSE(selection.hasSelection());
    selection.moveTo({7, 4}, true);
    EXPECT_EQ(selection.cursor(), (TextPosition{2, 0}));
    EXPECT_EQ(selection.selectedText(), "\n");
    selection.moveTo({-3, -1});
    EXPECT_EQ(selection.cursor(), (TextPosition{0, 0}));
    EXPECT_EQ(selection.previous({0, 0}, false), (TextPosition{0, 0}));
    EXPECT_EQ(selection.next({2, 0}, true), (TextPosition{2, 0}));
}

TEST_F(TextSelectionTest, CharacterStepsKeepCombinedCharactersWholeAndCrossLineBreaks) {
    // "e" with a combining accent, a character outside the BMP (a surrogate pair), "x".
    fill({QStringLiteral("e\u0301\U0001F600x"), "y"});
    EXPECT_EQ(stops(true, false), (std::vector<qsizetype>{2, 4, 5}));
    EXPECT_EQ(stops(false, false), (std::vector<qsizetype>{4, 2, 0}));
    EXPECT_EQ(selection.next({0, 5}, false), (TextPosition{1, 0}));
    EXPECT_EQ(selection.previous({1, 0}, false), (TextPosition{0, 5}));
}

TEST_F(TextSelectionTest, WordStepsStopAtEachPartOfAPath) {
    fill({"Verzeichnis von /home/müller.txt  12"});
    EXPECT_EQ(stops(true, true), (std::vector<qsizetype>{12, 16, 17, 21, 22, 28, 29, 34, 36}));
    EXPECT_EQ(stops(false, true), (std::vector<qsizetype>{34, 29, 28, 22, 21, 17, 16, 12, 0}));
}

TEST_F(TextSelectionTest, WordSelectionTakesLettersDigitsAndUnderscores) {
    fill({"<DIR>  neue_Datei2.txt"});
    selection.selectWordAt({0, 10});
    EXPECT_EQ(selection.selectedText(), "neue_Datei2");
    selection.selectWordAt({0, 18}); // on a dot: that one character
    EXPECT_EQ(selection.selectedText(), ".");
    selection.selectWordAt({0, 22}); // behind the last character: nothing
    EXPECT_FALSE(selection.hasSelection());
}

TEST(WidestLine, CountsCharactersNotBytesAndWidensForWiderPaintedRows) {
    WidestLine widest;
    widest.noteLine("Größe");  // 7 bytes, 5 characters
    widest.noteLine("abcdef"); // 6 bytes, 6 characters
    EXPECT_EQ(widest.pixels(7.5), 45);
    EXPECT_FALSE(widest.notePainted(40, 7.5));
    EXPECT_TRUE(widest.notePainted(60.2, 7.5)); // a row of wide glyphs
    EXPECT_EQ(widest.pixels(7.5), 61);
    widest.forgetPainted();
    EXPECT_EQ(widest.pixels(7.5), 45);
}

} // namespace
