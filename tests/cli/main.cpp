#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QLocale>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The engine runs in this process for the expected listings; the tool runs with LANG=C, so
    // both write the footer with a point.
    QLocale::setDefault(QLocale::c());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
