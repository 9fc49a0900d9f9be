#include <gtest/gtest.h>
#include <QApplication>

// One application object for all window tests of an executable. The tests run without a
// display: the offscreen platform unless the caller chose another (test discovery at build
// time starts the executables without the test environment).
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
