#include "ResultWindowTestSupport.h"

#include <gtest/gtest.h>
#include <memory>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

namespace {

class LineViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        view->resize(320, 200);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }

    void fill(const QStringList& lines) {
        for (const QString& line : lines)
            view->append(line.toStdString());
    }
    void fillNumbered(int count) {
        for (int i = 0; i < count; ++i)
            view->append("Zeile " + std::to_string(i));
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(view.get(), key, modifiers);
    }
    // A point on the boundary before `position`, half-way down its row.
    QPoint pointAt(TextPosition position) const {
        const QRect cursor = view->cursorRect(position);
        return {cursor.x(), cursor.center().y()};
    }

    std::unique_ptr<LineView> view = std::make_unique<LineView>();
    const QStringList sample{QStringLiteral("Verzeichnis von /home/müller"), QString(),
                             QStringLiteral("Größe.txt        1234"),
                             QStringLiteral("<DIR>  Unterordner"), QStringLiteral("Ende")};
};

TEST_F(LineViewTest, KeepsTheLinesInOrderInOneBuffer) {
    fill(sample);
    view->append("roh \xc3\xa4");
    ASSERT_EQ(view->lineCount(), 6);
    for (int i = 0; i < sample.size(); ++i)
        EXPECT_EQ(view->line(i), sample[i]);
    EXPECT_EQ(view->line(5), QStringLiteral("roh ä"));
    EXPECT_EQ(TextOf(*view), sample.join('\n') + "\nroh ä\n");

    view->selectAll();
    view->clear();
    EXPECT_EQ(view->lineCount(), 0);
    EXPECT_FALSE(view->hasSelection());
    EXPECT_EQ(TextOf(*view), QString());
}

TEST_F(LineViewTest, ScrollRangesFollowTheRowsAndTheLongestLine) {
    fillNumbered(100);
    view->append(std::string(300, 'w'));
    // Appends bring the scroll range up to date after returning to the event loop.
    QScrollBar* vertical = view->verticalScrollBar();
    QScrollBar* horizontal = view->horizontalScrollBar();
    ASSERT_TRUE(QTest::qWaitFor([&] { return vertical->maximum() > 0; }));
    // 101 lines and the empty row behind the last line break.
    EXPECT_EQ(vertical->maximum(), 102 - vertical->pageStep());
    ASSERT_GT(horizontal->maximum(), 0);

    vertical->setValue(vertical->maximum());
    horizontal->setValue(horizontal->maximum());
    const QRect end = view->cursorRect({100, 300});
    EXPECT_TRUE(view->viewport()->rect().contains(end.topLeft())) << end.x() << "," << end.y();

    view->clear();
    ASSERT_TRUE(QTest::qWaitFor([&] { return vertical->maximum() == 0; }));
    EXPECT_EQ(horizontal->maximum(), 0);
}

TEST_F(LineViewTest, ShiftArrowsSelectAcrossLines) {
    fill(sample);
    key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(view->selectedText(), sample[0] + "\n");
    key(Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(view->selectedText(), sample[0] + "\n\nGr");

    key(Qt::Key_Right); // without Shift the cursor moves on and the selection is dropped
    EXPECT_FALSE(view->hasSelection());
    key(Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(view->selectedText(), QStringLiteral("ße.txt        1234"));
    key(Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(view->selectedText(), QStringLiteral("Grö"));
}

TEST_F(LineViewTest, UpAndDownKeepTheColumnAcrossShortLines) {
    fill({QStringLiteral("0123456789"), QStringLiteral("ab"), QStringLiteral("0123456789")});
    view->setCursorPosition({0, 8});
    key(Qt::Key_Down);
    EXPECT_EQ(view->cursorPosition(), (TextPosition{1, 2}));
    key(Qt::Key_Down);
    EXPECT_EQ(view->cursorPosition(), (TextPosition{2, 8}));
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    EXPECT_EQ(view->cursorPosition(), (TextPosition{0, 8}));
}

TEST_F(LineViewTest, DocumentAndPageKeysMoveAndScroll) {
    fillNumbered(500);
    key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(view->cursorPosition(), (TextPosition{500, 0}));
    QScrollBar* vertical = view->verticalScrollBar();
    EXPECT_EQ(vertical->value(), vertical->maximum());

    key(Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(view->selectedText(), TextOf(*view));
    EXPECT_EQ(vertical->value(), 0);

    key(Qt::Key_PageDown);
    const int page = vertical->pageStep();
    ASSERT_GT(page, 1);
    EXPECT_EQ(view->cursorPosition().row, page);
    EXPECT_EQ(vertical->value(), page);
    key(Qt::Key_PageUp);
    EXPECT_EQ(view->cursorPosition().row, 0);
    EXPECT_EQ(vertical->value(), 0);
}

TEST_F(LineViewTest, CtrlAAndCtrlCCopyTheWholeTextEveryLineEndedByALineFeed) {
    fill(sample);
    QGuiApplication::clipboard()->clear();
    key(Qt::Key_C, Qt::ControlModifier); // nothing selected: the clipboard stays as it is
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString());
    key(Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), sample.join('\n') + "\n");
}

TEST_F(LineViewTest, TypingChangesNothing) {
    fill(sample);
    view->setCursorPosition({2, 3});
    for (Qt::Key k : {Qt::Key_X, Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return})
        key(k);
    QTest::keyClick(view.get(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(TextOf(*view), sample.join('\n') + "\n");
    EXPECT_EQ(view->cursorPosition(), (TextPosition{2, 3}));
}

TEST_F(LineViewTest, DraggingSelectsAndShiftClickExtends) {
    fill(sample);
    QWidget* area = view->viewport();
    QTest::mousePress(area, Qt::LeftButton, {}, pointAt({0, 12}));
    QTest::mouseMove(area, pointAt({2, 4}));
    QTest::mouseRelease(area, Qt::LeftButton, {}, pointAt({2, 4}));
    EXPECT_EQ(view->selectedText(), QStringLiteral("von /home/müller\n\nGröß"));

    QTest::mouseClick(area, Qt::LeftButton, Qt::ShiftModifier, pointAt({3, 5}));
    EXPECT_EQ(view->anchorPosition(), (TextPosition{0, 12}));
    EXPECT_EQ(view->selectedText(), QStringLiteral("von /home/müller\n\n") + sample[2] + "\n<DIR>");

    QTest::mouseClick(area, Qt::LeftButton, {}, pointAt({4, 1}));
    EXPECT_FALSE(view->hasSelection());
    EXPECT_EQ(view->cursorPosition(), (TextPosition{4, 1}));
}

TEST_F(LineViewTest, DoubleClickSelectsAWord) {
    fill(sample);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, pointAt({3, 10}));
    EXPECT_EQ(view->selectedText(), QStringLiteral("Unterordner"));
}

TEST_F(LineViewTest, WheelScrollsByLines) {
    fillNumbered(200);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->verticalScrollBar()->maximum() > 0; }));
    const QPoint inside = view->viewport()->rect().center();
    QWheelEvent wheel(inside, view->viewport()->mapToGlobal(inside), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
    EXPECT_EQ(view->verticalScrollBar()->value(), QApplication::wheelScrollLines());
}

TEST_F(LineViewTest, ContextMenuCopiesAndSelectsAll) {
    fill(sample);
    const std::unique_ptr<QMenu> menu(view->createContextMenu());
    QList<QAction*> actions;
    for (QAction* action : menu->actions())
        if (!action->isSeparator())
            actions.append(action);
    ASSERT_EQ(actions.size(), 2);
    EXPECT_FALSE(actions[0]->isEnabled()); // nothing to copy yet
    actions[1]->trigger();
    EXPECT_EQ(view->selectedText(), sample.join('\n') + "\n");

    QGuiApplication::clipboard()->clear();
    const std::unique_ptr<QMenu> second(view->createContextMenu());
    QAction* copy = second->actions().constFirst();
    EXPECT_TRUE(copy->isEnabled());
    copy->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), sample.join('\n') + "\n");
}

} // namespace
