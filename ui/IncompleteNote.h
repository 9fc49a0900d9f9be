#pragma once

#include <QLabel>

class RunOutcome;

// The line under the result list that says the list is incomplete and why, with the folders
// concerned in its tool-tip. Hidden while the list is complete. It stands outside the list, so
// the list's text, the clipboard and a saved file stay the same.
class IncompleteNote final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(IncompleteNote)

public:
    explicit IncompleteNote(QWidget* parent);
    ~IncompleteNote() override;

    void showOutcome(const RunOutcome& outcome);
    // The height it takes under the list: 0 while hidden.
    int takenHeight() const;
};
