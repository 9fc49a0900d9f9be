#include "MainWindowFixture.h"
#include "Startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QLocale>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyle>
#include <QTest>
#include <QToolTip>
#include <QTranslator>

namespace {

// Qt's own texts follow the user's language: a German locale gets German buttons.
TEST(QtTranslation, GermanLocaleGivesGermanStandardTexts) {
    QTranslator* translator =
        InstallQtTranslation(*qApp, QLocale(QLocale::German, QLocale::Germany));
    ASSERT_NE(translator, nullptr);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Abbrechen");
    QCoreApplication::removeTranslator(translator);
    delete translator;
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
}

TEST(QtTranslation, LocaleWithoutTranslationInstallsNothing) {
    EXPECT_EQ(InstallQtTranslation(*qApp, QLocale::c()), nullptr);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
}

// The icon is compiled into the program, from the smallest size a title bar takes to the largest
// a task switcher shows.
TEST(ApplicationIcon, IsCompiledInAtSmallAndLargeSizes) {
    const QList<QSize> sizes = ApplicationIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(256, 256)));
}

using ToolTipTimingTest = MainWindowFixture;

// The pointer resting on a control shows its tool-tip after the short wait, and the tool-tip
// is set to go away by itself after five seconds instead of Qt's usual ten.
TEST_F(ToolTipTimingTest, ToolTipShowsAfterAShortRestAndStaysFiveSeconds) {
    QPushButton* add = button("btnAddDir");
    EXPECT_EQ(add->style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay, nullptr, add), 250);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));

    QTest::mouseMove(add, add->rect().center());
    ASSERT_TRUE(QTest::qWaitFor([] {
        return QToolTip::isVisible() && QToolTip::text() == "Fügt ein Verzeichnis der Liste hinzu.";
    }));
    EXPECT_EQ(add->toolTipDuration(), 5000);
    QToolTip::hideText();
    ASSERT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
}

// The application's duration reaches a control before its first tool-tip shows, so that
// tool-tip goes away after it. Checked with a short duration instead of waiting five seconds.
TEST_F(ToolTipTimingTest, FirstToolTipOfAControlGoesAwayAfterTheApplicationDuration) {
    SetApplicationToolTipTiming(250, 400);
    const auto restore = qScopeGuard([] { SetApplicationToolTipTiming(250, 5000); });
    QPushButton* add = button("btnAddDir");
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));

    QTest::mouseMove(add, add->rect().center());
    ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }));
    QElapsedTimer shown;
    shown.start();
    EXPECT_EQ(add->toolTipDuration(), 400);
    // Without it Qt would show the tool-tip for ten seconds.
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 4000));
    EXPECT_GE(shown.elapsed(), 200);
}

TEST_F(ToolTipTimingTest, WindowsCreatedAgainKeepOneTimingStyle) {
    QStyle* style = QApplication::style();
    DestroyFolderInventoryWindows();
    CreateFolderInventoryWindows();
    window = frmMain;
    EXPECT_EQ(QApplication::style(), style);
    EXPECT_EQ(style->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 250);
}

// The real program starts, shows and paints its main window from its event loop, and keeps
// running until it is told to end. Qt's painting log tells when the main window was drawn.
TEST(ProgramStart, ExecutableRunsItsEventLoopUntilEnded) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QT_LOGGING_RULES"),
                       QStringLiteral("qt.widgets.painting=true"));
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::SeparateChannels);
    program.start(QStringLiteral(FI_EXECUTABLE), QStringList());
    ASSERT_TRUE(program.waitForStarted(10000)) << program.errorString().toStdString();

    QByteArray log;
    const bool painted = QTest::qWaitFor(
        [&] {
            program.waitForReadyRead(50);
            log += program.readAllStandardError();
            return log.contains("Drawing") && log.contains("name=\"frmMain\"");
        },
        30000);
    EXPECT_TRUE(painted) << log.right(2000).toStdString();
    EXPECT_EQ(program.state(), QProcess::Running);

    program.terminate();
    ASSERT_TRUE(program.waitForFinished(10000));
}

} // namespace
