#include "LineViewCommands.h"

#include "LineView.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>

namespace {

using Motion = TextMotion;

struct MotionKey {
    QKeySequence::StandardKey move;
    QKeySequence::StandardKey select;
    Motion motion;
};

constexpr MotionKey motionKeys[] = {
    {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, Motion::NextChar},
    {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, Motion::PreviousChar},
    {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, Motion::NextWord},
    {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord, Motion::PreviousWord},
    {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, Motion::NextLine},
    {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, Motion::PreviousLine},
    {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, Motion::NextPage},
    {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, Motion::PreviousPage},
    {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, Motion::StartOfLine},
    {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, Motion::EndOfLine},
    {QKeySequence::MoveToStartOfBlock, QKeySequence::SelectStartOfBlock, Motion::StartOfLine},
    {QKeySequence::MoveToEndOfBlock, QKeySequence::SelectEndOfBlock, Motion::EndOfLine},
    {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument,
     Motion::StartOfDocument},
    {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, Motion::EndOfDocument},
};

QString MenuText(const char* qtText, QKeySequence::StandardKey key) {
    // Qt's own text-control wording, so a loaded Qt translation gives the user's language.
    return QCoreApplication::translate("QWidgetTextControl", qtText) + QLatin1Char('\t') +
           QKeySequence(key).toString(QKeySequence::NativeText);
}

} // namespace

std::optional<MotionRequest> MotionForKey(const QKeyEvent& event) {
    for (const MotionKey& key : motionKeys) {
        if (event.matches(key.move) || event.matches(key.select))
            return MotionRequest{key.motion, event.matches(key.select)};
    }
    return std::nullopt;
}

bool IsLineViewKey(const QKeyEvent& event) {
    return event.matches(QKeySequence::Copy) || event.matches(QKeySequence::SelectAll) ||
           MotionForKey(event).has_value();
}

QMenu* CreateLineViewMenu(LineView& view) {
    auto* menu = new QMenu(&view);
    QAction* copy =
        menu->addAction(MenuText("&Copy", QKeySequence::Copy), &view, [&view] { view.copy(); });
    copy->setEnabled(view.hasSelection());
    menu->addSeparator();
    QAction* selectAll = menu->addAction(MenuText("Select All", QKeySequence::SelectAll), &view,
                                         [&view] { view.selectAll(); });
    selectAll->setEnabled(view.lineCount() > 0);
    return menu;
}
