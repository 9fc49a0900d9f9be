#include "scope/MaskMatcher.h"

#include "base/PathText.h"
#include "base/Utf8Text.h"

#include <gtest/gtest.h>
#include <QChar>

namespace {

bool match(const char* mask, const char* name) {
    return MaskMatcher(QString::fromUtf8(mask)).matches(name);
}

TEST(MaskMatcher, StarAndQuestionMark) {
    EXPECT_TRUE(match("*.txt", "a.txt"));
    EXPECT_TRUE(match("*.txt", ".txt"));
    EXPECT_TRUE(match("*.txt", "a.b.txt"));
    EXPECT_FALSE(match("*.txt", "a.txt.bak"));
    EXPECT_TRUE(match("a*b*c", "aXXbYYc"));
    EXPECT_TRUE(match("a*b*c", "abbc"));
    EXPECT_FALSE(match("a*b*c", "acb"));
    EXPECT_TRUE(match("?.txt", "a.txt"));
    EXPECT_FALSE(match("?.txt", "ab.txt"));
    EXPECT_FALSE(match("?.txt", ".txt"));
    EXPECT_TRUE(match("**", ""));
    // Runs of stars act as one, without changing what "*.*" alone means.
    EXPECT_TRUE(match("a***b", "ab"));
    EXPECT_FALSE(match("a***b", "abc"));
    EXPECT_FALSE(match("**.**", "README"));
    const MaskMatcher manyStars(QString(100000, QLatin1Char('*')) + "x");
    for (int i = 0; i < 20000; ++i)
        ASSERT_FALSE(manyStars.matches("name-without-the-letter"));
    EXPECT_TRUE(manyStars.matches("ax"));
    EXPECT_TRUE(match("report", "REPORT"));
}

TEST(MaskMatcher, StarDotStarMatchesEveryName) {
    for (const char* name : {"a", "a.b", ".", "..", ".profile", "README"})
        EXPECT_TRUE(match("*.*", name)) << name;
    EXPECT_TRUE(match("*", "."));
    EXPECT_FALSE(match("*.", "a"));
}

TEST(MaskMatcher, LetterCaseDoesNotMatterBeyondAscii) {
    EXPECT_TRUE(match("*.TXT", "brief.txt"));
    EXPECT_TRUE(match("ü*", "Über.txt"));
    EXPECT_TRUE(match("ÜBER.TXT", "über.txt"));
    EXPECT_TRUE(match("?ber.txt", "Über.txt")); // one character, two bytes
    EXPECT_FALSE(match("??ber.txt", "Über.txt"));
    EXPECT_TRUE(match("stra?e", "Straße"));
}

// The key takes shortcuts for common characters; each character's key must still be Qt's
// upper-case form, in every length of its encoding and beside ASCII.
TEST(MaskMatcher, KeyOfEveryCharacterIsItsUpperCaseForm) {
    for (char32_t cp = 0x80; cp <= 0x10FFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF)
            continue;
        std::string name = "a";
        AppendUtf8(name, cp);
        std::string expected = "A";
        AppendUtf8(expected, QChar::toUpper(cp));
        ASSERT_EQ(UpperKey(name + "b"), expected + "B") << std::hex << std::uint32_t(cp);
    }
    // Overlong forms and encoded surrogates are no characters: their bytes stay as they are.
    EXPECT_EQ(UpperKey("\xE0\x80\xA1x"), "\xE0\x80\xA1X");
    EXPECT_EQ(UpperKey("\xED\xA0\x80x"), "\xED\xA0\x80X");
    EXPECT_EQ(UpperKey("\xC3"), "\xC3");
    // Long ASCII runs go eight bytes at a time: only "a" to "z" change, not their neighbours.
    EXPECT_EQ(UpperKey("@`az{~AZ[ 09azAZ-_.xyz"), "@`AZ{~AZ[ 09AZAZ-_.XYZ");
    EXPECT_EQ(UpperKey("abcdefghijklmnopqrstuvwxyz\xC3\xA4"
                       "bcdefghijklm"),
              "ABCDEFGHIJKLMNOPQRSTUVWXYZ\xC3\x84"
              "BCDEFGHIJKLM");
}

TEST(MaskMatcher, BracketsAndBackslashAreLiteral) {
    EXPECT_TRUE(match("a[1].txt", "a[1].txt"));
    EXPECT_FALSE(match("a[1].txt", "a1.txt"));
    EXPECT_TRUE(match("*]", "x]"));
    EXPECT_TRUE(match("c\\*", "c\\d"));
    EXPECT_FALSE(match("c\\*", "cd"));
    EXPECT_TRUE(match(" *.doc", " x.doc"));
    EXPECT_FALSE(match(" *.doc", "x.doc"));
}

TEST(MaskMatcher, SlashMatchesNothing) {
    EXPECT_FALSE(match("*/*", "a"));
    EXPECT_FALSE(match("/", "a"));
    EXPECT_FALSE(match("a/b", "a"));
}

TEST(MaskMatcher, InvalidBytesCountAsOneCharacter) {
    EXPECT_TRUE(match("a?b", "a\xff"
                             "b"));
    EXPECT_TRUE(match("*b", "\xfe\xff"
                            "b"));
    EXPECT_FALSE(match("a??b", "a\xff"
                               "b"));
    // A mask given as bytes: its invalid byte matches that byte alone, never the first byte of
    // a valid character ("\xCA\xAE" is U+02AE).
    const MaskMatcher invalidThenAny(PathTextFromBytes("\xCA?"));
    EXPECT_FALSE(invalidThenAny.matches("\xCA\xAE"));
    EXPECT_TRUE(invalidThenAny.matches("\xCA"
                                       "x"));
    EXPECT_TRUE(invalidThenAny.matches("\xCA\xCA"));
}

} // namespace
