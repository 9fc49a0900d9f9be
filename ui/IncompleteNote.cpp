#include "IncompleteNote.h"

#include "run/RunOutcome.h"

IncompleteNote::IncompleteNote(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("lbIncomplete"));
    setTextFormat(Qt::PlainText);
    setIndent(0);
    hide();
}

IncompleteNote::~IncompleteNote() = default;

void IncompleteNote::showOutcome(const RunOutcome& outcome) {
    setText(outcome.summary());
    setToolTip(outcome.details());
    setVisible(!outcome.complete());
}

int IncompleteNote::takenHeight() const {
    return isHidden() ? 0 : fontMetrics().height() + 4;
}
