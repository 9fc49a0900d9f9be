// The result window's lines: kept without their trailing blanks, given back whole.
#include "ShownLines.h"

#include "output/ResultLines.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::string Text(const ShownLines& lines) {
    ResultLines copy;
    lines.copyTo(copy);
    return std::string(copy.text());
}

// Lines that end in every number of blanks around the eight-byte steps and beyond what one
// count byte holds, blank and empty lines, blanks inside and before other characters, and more
// lines than one group of offsets has.
std::vector<std::string> Sample() {
    std::vector<std::string> lines;
    for (const std::size_t blanks : {0, 1, 7, 8, 9, 16, 254, 255, 256, 300, 600})
        lines.push_back("Größe  " + std::to_string(blanks) + std::string(blanks, ' '));
    lines.insert(lines.end(), {"", " ", std::string(40, ' '), " vorn", "a \t ", "日本 語   "});
    for (int i = 0; i < 2500; ++i)
        lines.push_back("0          <DIR> Ordner_" + std::to_string(i) +
                        std::string(static_cast<std::size_t>(i % 60), ' '));
    return lines;
}

TEST(ShownLines, EveryLineComesBackWholeWithItsTrailingBlanks) {
    ShownLines lines;
    std::string expected;
    const std::vector<std::string> sample = Sample();
    for (const std::string& line : sample) {
        lines.append(line);
        expected += line + '\n';
    }
    ASSERT_EQ(lines.size(), static_cast<qsizetype>(sample.size()));
    EXPECT_EQ(Text(lines), expected);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const std::string& line = sample[static_cast<std::size_t>(i)];
        EXPECT_EQ(lines.at(i), QString::fromStdString(line)) << "line " << i;
        EXPECT_EQ(lines.line(i).size(), line.size()) << "line " << i;
    }
    QByteArray middle;
    lines.appendLines(10, 14, middle);
    EXPECT_EQ(middle.toStdString(),
              sample[10] + '\n' + sample[11] + '\n' + sample[12] + '\n' + sample[13] + '\n');
}

// A line handed over with the count of blanks after it comes back as the same line handed over
// whole, also where the text ends in blanks of its own or the blanks are more than a count byte
// holds.
TEST(ShownLines, LineWithBlanksAfterItComesBackAsTheWholeLine) {
    ShownLines padded;
    ShownLines whole;
    const std::vector<std::string> texts = {"", "name", "name  ", std::string(250, ' '),
                                            "x" + std::string(300, ' ')};
    for (const std::string& text : texts) {
        for (const std::size_t blanks : {0, 1, 10, 255, 400}) {
            padded.beginLine().append(text);
            padded.finishLine(blanks);
            whole.append(text + std::string(blanks, ' '));
        }
    }
    ASSERT_EQ(padded.size(), whole.size());
    EXPECT_EQ(Text(padded), Text(whole));
    for (qsizetype i = 0; i < whole.size(); ++i) {
        EXPECT_EQ(padded.line(i).text, whole.line(i).text) << "line " << i;
        EXPECT_EQ(padded.line(i).trailingBlanks, whole.line(i).trailingBlanks) << "line " << i;
    }
}

TEST(ShownLines, HiddenLinesAreShownOneByOneOrDropped) {
    ShownLines lines;
    for (const char* line : {"eins   ", "zwei", "drei "})
        lines.append(line);
    lines.hideAll();
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_EQ(lines.hiddenCount(), 3);
    lines.showNext();
    lines.append("vier"); // behind hidden lines, so hidden too
    EXPECT_EQ(lines.size(), 1);
    EXPECT_EQ(lines.hiddenCount(), 3);
    EXPECT_EQ(Text(lines), "eins   \n");

    lines.showNext();
    lines.dropHidden();
    EXPECT_EQ(lines.hiddenCount(), 0);
    lines.append("fünf  ");
    EXPECT_EQ(Text(lines), "eins   \nzwei\nfünf  \n");
}

} // namespace
