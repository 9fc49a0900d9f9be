#include "FileDialog.h"
#include "MessageBox.h"
#include "ResultWindowTestSupport.h"
#include "ScanHelpers.h"
#include "TempTree.h"
#include "uList.h"
#include "WindowDriver.h"

#include <gtest/gtest.h>
#include <memory>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// "Vergleichen..." with the open dialog and the error box answered through their seams.
class ResultWindowCompareTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(saved.isValid());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override {
        OpenDialogSeam().reset();
        ErrorBoxSeam().reset();
    }

    QString save(const std::string& text) const {
        const QString path = saved.filePath(QStringLiteral("frueher.txt"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.data(), qint64(text.size()));
        return path;
    }
    void show(const std::string& text) const {
        QStringList lines = QString::fromStdString(text).split(QStringLiteral("\r\n"));
        lines.removeLast(); // behind the last line break
        for (const QString& line : lines)
            window->mList->append(line.toStdString());
    }
    void compare() const {
        QTest::mouseClick(FindControl<QPushButton>(*window, "btnCompare"), Qt::LeftButton);
    }

    TempTree tree;
    QTemporaryDir saved;
    std::unique_ptr<TfrmList> window = std::make_unique<TfrmList>();
};

TEST_F(ResultWindowCompareTest, ShowsTheDifferencesInAComparisonWindowOfTheSameKind) {
    tree.file("a.txt", 5);
    OpenDialogSeam().setNextAnswer({true, save(SavedListingText(tree.root())), {}});
    tree.file("b.txt", 9);
    show(SavedListingText(tree.root()));

    QString title;
    QStringList lines;
    bool hasCompareButton = true;
    QString copied;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }));
        auto* report = qobject_cast<TfrmList*>(QApplication::activeModalWidget());
        ASSERT_NE(report, nullptr);
        title = report->windowTitle();
        lines = report->mList->lines().toStringList();
        hasCompareButton = report->findChild<QPushButton*>(QStringLiteral("btnCompare")) != nullptr;
        QTest::mouseClick(FindControl<QPushButton>(*report, "btnCopyToClipboard"), Qt::LeftButton);
        copied = QApplication::clipboard()->text();
        QTest::mouseClick(FindControl<QPushButton>(*report, "btnBack"), Qt::LeftButton);
    });
    compare();

    EXPECT_EQ(title, "FolderInventory - Vergleich");
    const QStringList expected{"+ " + tree.path("b.txt") + " (9 Bytes)", "",
                               "1 neu, 0 entfernt, 0 geändert"};
    EXPECT_EQ(lines, expected);
    EXPECT_FALSE(hasCompareButton);
    EXPECT_EQ(copied, expected.join('\n') + '\n');
    ASSERT_EQ(OpenDialogSeam().requests().size(), 1u);
    EXPECT_EQ(OpenDialogSeam().requests().front().title, "Frühere Liste öffnen");
    EXPECT_EQ(OpenDialogSeam().requests().front().filters,
              QStringList({"Textdateien (*.txt)", "Alle Dateien (*.*)"}));
}

TEST_F(ResultWindowCompareTest, AListThatCannotBeComparedGivesTheErrorBoxWithTheReason) {
    show(SavedListingText(tree.root()));
    OpenDialogSeam().setNextAnswer({}); // cancelled: nothing happens
    compare();
    const QString bareNames = save("a.txt\r\nb.txt\r\n");
    OpenDialogSeam().setNextAnswer({true, bareNames, {}});
    ErrorBoxSeam().setNextAnswer(MessageBoxAnswer::Ok);
    compare();

    ASSERT_EQ(ErrorBoxSeam().requests().size(), 1u);
    const QString text = ErrorBoxSeam().requests().front().text;
    EXPECT_TRUE(text.startsWith(bareNames + ": ")) << text.toStdString();
    EXPECT_TRUE(text.contains("einfache Liste ohne Pfade")) << text.toStdString();
    EXPECT_EQ(OpenDialogSeam().requests().at(1).fileName, QString()); // nothing chosen before
}

} // namespace
