#pragma once

#include "uMain.h"
#include "WindowDriver.h"

#include <gtest/gtest.h>
#include <QString>
#include <QStringList>

class QAbstractButton;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

// The three windows built by the program's own start-up code, the main window shown, and
// its controls driven by mouse and keyboard.
class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QPushButton* button(const char* name) const;
    // A click on the check box's or radio button's indicator, or on a push button.
    void click(QAbstractButton* control) const;
    // "Hinzufügen" with the folder chooser answering `chosen` (empty: cancelled).
    void addFolder(const QString& chosen) const;
    // A mouse click on a row of the folder list.
    void clickRow(int row) const;
    QStringList listEntries() const;

    TfrmMain* window = nullptr;
    QListWidget* list = nullptr;
    QCheckBox* recurse = nullptr;
    QCheckBox* useForAll = nullptr;
    QCheckBox* fullPath = nullptr;
    QCheckBox* fileExts = nullptr;
    QRadioButton* advanced = nullptr;
    QRadioButton* simple = nullptr;
    QLineEdit* masks = nullptr;
};
