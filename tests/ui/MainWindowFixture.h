#pragma once

#include "uMain.h"

#include <gtest/gtest.h>
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <string>

class QAbstractButton;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

// Looks a control up by its name and fails the test, naming it, when it is missing.
template <typename Control> Control* findControl(QWidget* window, const char* name) {
    auto* control = window->findChild<Control*>(QLatin1String(name));
    if (control == nullptr)
        throw std::logic_error(std::string("no control of the expected kind named ") + name);
    return control;
}

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
