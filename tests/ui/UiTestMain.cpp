#include <QApplication>

#include <gtest/gtest.h>

// One application object for all window tests of an executable.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
