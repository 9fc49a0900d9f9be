#include "ManualPage.h"

#include <gtest/gtest.h>

// Help texts are free text: troff must print them as written, not read them as requests.
TEST(ManualPageTest, TroffTextEscapesWhatTroffWouldInterpret) {
    EXPECT_EQ(TroffText(QStringLiteral("C:\\daten")), QStringLiteral("C:\\edaten"));
    EXPECT_EQ(TroffText(QStringLiteral("wie -r oder --recurse, Exit-Status")),
              QStringLiteral("wie \\-r oder \\-\\-recurse, Exit-Status"));
    EXPECT_EQ(TroffText(QStringLiteral(".txt-Dateien")), QStringLiteral("\\&.txt-Dateien"));
    EXPECT_EQ(TroffText(QStringLiteral("'a'")), QStringLiteral("\\&'a'"));
}
