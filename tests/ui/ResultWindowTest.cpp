#include "FileDialog.h"
#include "ResultWindowTestSupport.h"
#include "uList.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {

class ResultWindowTest : public ::testing::Test {
protected:
    LineView* list() const { return FindControl<LineView>(*window, "mList"); }
    QPushButton* button(const char* name) const { return FindControl<QPushButton>(*window, name); }

    void showWindow() {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void resizeClient(QSize size) {
        window->resize(size);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->size() == size; }));
    }

    // The layout rule: the list above, the buttons 4 pixels above the bottom edge.
    void expectLayoutFor(QSize client) {
        SCOPED_TRACE(testing::Message() << client.width() << " x " << client.height());
        resizeClient(client);
        const int listHeight = std::max(0, client.height() - 33);
        const int top = listHeight + 4;
        EXPECT_EQ(list()->geometry(), QRect(0, 0, client.width(), listHeight));
        EXPECT_EQ(button("btnCopyToClipboard")->geometry(), QRect(8, top, 177, 25));
        EXPECT_EQ(button("btnSaveAs")->geometry(), QRect(193, top, 177, 25));
        EXPECT_EQ(button("btnBack")->geometry(), QRect(client.width() - 87, top, 83, 25));
        EXPECT_EQ(button("btnCompare")->geometry(), QRect(378, top, 113, 25));
    }

    std::unique_ptr<TfrmList> window = std::make_unique<TfrmList>();
};

TEST_F(ResultWindowTest, HasItsCaptionControlsAndTabOrder) {
    EXPECT_EQ(window->windowTitle(), "FolderInventory - Dateiliste");
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(button("btnCopyToClipboard")->text(), "In die Zwischenablage kopieren");
    EXPECT_EQ(button("btnSaveAs")->text(), "Speichern unter...");
    EXPECT_EQ(button("btnBack")->text(), "Zurück");
    EXPECT_EQ(button("btnCompare")->text(), "Vergleichen...");
    for (const char* name : {"btnCopyToClipboard", "btnSaveAs", "btnBack", "btnCompare"}) {
        EXPECT_FALSE(button(name)->isDefault()) << name;
        EXPECT_FALSE(button(name)->autoDefault()) << name;
        EXPECT_TRUE(button(name)->toolTip().isEmpty()) << name;
    }
    EXPECT_TRUE(list()->toolTip().isEmpty());
    const QFontMetrics listFont(list()->font());
    EXPECT_EQ(listFont.horizontalAdvance("iiii"), listFont.horizontalAdvance("WWWW"));
    EXPECT_EQ(list()->font().pointSize(), 9);

    QStringList tabOrder;
    for (QWidget* w = list(); tabOrder.size() < 5; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus)
            tabOrder.append(w->objectName());
    }
    EXPECT_EQ(tabOrder,
              (QStringList{"mList", "btnCopyToClipboard", "btnBack", "btnSaveAs", "btnCompare"}));
}

TEST_F(ResultWindowTest, EveryCaptionFitsInsideItsButton) {
    for (const char* name : {"btnCopyToClipboard", "btnSaveAs", "btnBack", "btnCompare"}) {
        QPushButton* b = button(name);
        EXPECT_LT(b->fontMetrics().horizontalAdvance(b->text()), b->width() - 4) << name;
    }
}

TEST_F(ResultWindowTest, FirstShowGivesTheClientAreaAndThePlacesOfTheRule) {
    showWindow();
    EXPECT_EQ(window->size(), QSize(648, 394));
    EXPECT_EQ(list()->geometry(), QRect(0, 0, 648, 361));
    EXPECT_EQ(button("btnCopyToClipboard")->pos(), QPoint(8, 365));
    EXPECT_EQ(button("btnSaveAs")->pos(), QPoint(193, 365));
    EXPECT_EQ(button("btnBack")->pos(), QPoint(561, 365));
}

TEST_F(ResultWindowTest, LayoutFollowsEveryResizeIncludingOneLowerThanTheButtonRow) {
    showWindow();
    expectLayoutFor({900, 394}); // wider
    expectLayoutFor({648, 600}); // taller
    expectLayoutFor({500, 200}); // narrower and lower
    expectLayoutFor({400, 20});  // lower than the button row: the list keeps 0 pixels
    expectLayoutFor({700, 480}); // and the rule holds again afterwards
}

TEST_F(ResultWindowTest, CopyButtonPutsTheWholeListOnTheClipboardAndLeavesItSelected) {
    QString expected;
    for (int i = 0; i < 2000; ++i) {
        const QString line = i % 7 == 0 ? QString() : QStringLiteral("Zeile %1 Größe  ").arg(i);
        window->mList->append(line.toStdString());
        expected += line + QLatin1Char('\n');
    }
    showWindow();
    QGuiApplication::clipboard()->clear();
    QTest::mouseClick(button("btnCopyToClipboard"), Qt::LeftButton);

    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
    EXPECT_EQ(list()->selectedText(), expected);
    EXPECT_EQ(list()->anchorPosition(), TextPosition{});
    EXPECT_EQ(list()->cursorPosition(), (TextPosition{2000, 0}));
}

TEST_F(ResultWindowTest, ZurueckEndsTheModalDisplayAccepted) {
    bool shownModal = false;
    QTimer::singleShot(0, window.get(), [&] {
        shownModal = window->isVisible() && window->isModal();
        QTest::mouseClick(button("btnBack"), Qt::LeftButton);
    });
    EXPECT_EQ(window->showModal(), QDialog::Accepted);
    EXPECT_TRUE(shownModal);
    EXPECT_FALSE(window->isVisible());
}

// Enter and keypad Enter press the focused button, as Space does; with the focus in the list
// they press nothing, and Escape nothing anywhere. The close box rejects.
TEST_F(ResultWindowTest, EnterPressesTheFocusedButtonOnly) {
    window->mList->append("eine Zeile");
    SaveDialogSeam().reset();
    SaveDialogSeam().setNextAnswer({}); // a cancelled dialog, counted through its requests
    const auto saveDialogs = [] { return SaveDialogSeam().requests().size(); };
    auto pressEnter = [&](QWidget* target, Qt::KeyboardModifiers modifiers = {}) {
        target->setFocus();
        QTest::keyClick(target, modifiers ? Qt::Key_Enter : Qt::Key_Return, modifiers);
    };
    bool openAfterKeys = false;
    QTimer::singleShot(0, window.get(), [&] {
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(list(), Qt::Key_Escape);
        QTest::keyClick(window.get(), Qt::Key_Escape);
        pressEnter(list());
        pressEnter(list(), Qt::KeypadModifier);
        openAfterKeys = window->isVisible() && QGuiApplication::clipboard()->text().isEmpty() &&
                        saveDialogs() == 0;
        pressEnter(button("btnCopyToClipboard"));
        pressEnter(button("btnSaveAs"), Qt::KeypadModifier);
        pressEnter(button("btnBack"));
    });
    const int result = window->showModal();
    EXPECT_TRUE(openAfterKeys);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "eine Zeile\n");
    EXPECT_EQ(saveDialogs(), 1u);
    SaveDialogSeam().reset();
    EXPECT_EQ(result, QDialog::Accepted);

    QTimer::singleShot(0, window.get(), [&] { window->close(); });
    EXPECT_EQ(window->showModal(), QDialog::Rejected);
    EXPECT_EQ(list()->lineCount(), 1); // hidden, not destroyed: the text stays
}

// Left by a mouse click on "Zurück", the window opens again with the focus on the list, and its
// keys act at once: Ctrl+End, Ctrl+A and Ctrl+C as typed into the window.
TEST_F(ResultWindowTest, EveryDisplayOpensWithTheFocusOnTheList) {
    window->mList->append("erste Zeile");
    window->mList->append("letzte Zeile");
    QTimer::singleShot(0, window.get(), [&] {
        QPushButton* back = button("btnBack");
        const QPoint inWindow = back->mapTo(window.get(), back->rect().center());
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, inWindow);
    });
    EXPECT_EQ(window->showModal(), QDialog::Accepted);
    ASSERT_NE(window->focusWidget(), list()); // the click took it to the buttons

    QWidget* focused = nullptr;
    TextPosition afterCtrlEnd;
    QGuiApplication::clipboard()->clear();
    QTimer::singleShot(0, window.get(), [&] {
        focused = QApplication::focusWidget();
        QWindow* typedInto = window->windowHandle();
        QTest::keyClick(typedInto, Qt::Key_End, Qt::ControlModifier);
        afterCtrlEnd = list()->cursorPosition();
        QTest::keyClick(typedInto, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(typedInto, Qt::Key_C, Qt::ControlModifier);
        window->accept();
    });
    window->showModal();
    EXPECT_EQ(focused, list());
    EXPECT_EQ(afterCtrlEnd, (TextPosition{2, 0}));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "erste Zeile\nletzte Zeile\n");
}

TEST_F(ResultWindowTest, CentredOnTheFirstShowOnlyThenReopenedWhereItWasLeft) {
    QRect first;
    QRect firstFrame;
    QRect left;
    QTimer::singleShot(0, window.get(), [&] {
        first = window->geometry();
        firstFrame = window->frameGeometry();
        window->move(first.topLeft() + QPoint(-40, 25));
        window->resize(700, 420);
        left = window->geometry();
        window->accept();
    });
    window->showModal();
    QRect second;
    QTimer::singleShot(0, window.get(), [&] {
        second = window->geometry();
        window->accept();
    });
    window->showModal();

    EXPECT_EQ(first.size(), QSize(648, 394));
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((firstFrame.center() - screenCentre).manhattanLength(), 1);
    EXPECT_EQ(left.size(), QSize(700, 420));
    EXPECT_EQ(second, left);
}

// Larger than the screen's available area, as at twice the scale on a small screen: the first
// show fits the window into the area, where it is then centred.
TEST_F(ResultWindowTest, AWindowLargerThanTheScreenOpensFittedIntoIt) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    window->resize(area.size() + QSize(300, 200));
    QRect shown;
    QTimer::singleShot(0, window.get(), [&] {
        shown = window->frameGeometry();
        window->accept();
    });
    window->showModal();
    EXPECT_TRUE(area.contains(shown))
        << shown.x() << "," << shown.y() << " " << shown.width() << " x " << shown.height();
    EXPECT_LE((shown.center() - area.center()).manhattanLength(), 1);
    EXPECT_EQ(list()->height(), window->height() - 33);
}

} // namespace
