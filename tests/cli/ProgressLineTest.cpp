#include "ProgressLine.h"

#include <gtest/gtest.h>

namespace {

const QString found = QStringLiteral("Elemente gefunden: 42");

TEST(ProgressLineTest, ShortTextIsShownWhole) {
    EXPECT_EQ(FitProgressText(found, "Suchen in /home/a/", 79),
              "Elemente gefunden: 42  Suchen in /home/a/");
}

TEST(ProgressLineTest, LongFolderLosesItsStartAndFillsTheWidth) {
    const QString folder = "/srv/" + QString(100, 'x') + "/Ende/";
    const QString text = FitProgressText(found, "Suchen in " + folder, 60);
    EXPECT_EQ(text.size(), 60);
    EXPECT_TRUE(text.startsWith("Elemente gefunden: 42  Suchen in ...")) << text.toStdString();
    EXPECT_TRUE(folder.endsWith(text.mid(36)));
}

TEST(ProgressLineTest, NarrowTerminalCutsAtTheRight) {
    EXPECT_EQ(FitProgressText(found, "Suchen in /home/a/", 12), "Elemente gef");
}

TEST(ProgressLineTest, CharactersThatSteerTheTerminalAreShownAsQuestionMarks) {
    // An escape sequence, a carriage return and the one-character CSI (U+009B) in a folder name.
    const QString folder = QString::fromUtf8("/a\x1b[2J\rb\xc2\x9b"
                                             "c\x7f/");
    EXPECT_EQ(FitProgressText(found, "Suchen in " + folder, 79),
              "Elemente gefunden: 42  Suchen in /a?[2J?b?c?/");
}

TEST(ProgressLineTest, WidthCountsCharactersNotBytes) {
    const QString folder = "/" + QString(20, QChar(0x00FC)) + "/"; // twenty "ü", 42 bytes
    EXPECT_EQ(FitProgressText(found, "Suchen in " + folder, 55), found + "  Suchen in " + folder);
}

} // namespace
