#include "MainWindowFixture.h"
#include "run/SearchSettings.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <random>

namespace {

// What the main window's folder list should hold after each operation, kept independently of
// the window: entries with their flags, the selected row, the check box and the list's tool-tip.
struct ExpectedState {
    QStringList folders;
    QStringList flags;
    int selected = -1;
    bool recurseChecked = true;
    QString toolTip = QStringLiteral("Liste mit Verzeichnissen, in denen gesucht wird.");

    void add(const QString& folder) {
        folders.append(folder);
        flags.append(recurseChecked ? QStringLiteral("true") : QStringLiteral("false"));
    }
    void select(int row) {
        selected = row;
        recurseChecked = flags[row] == QStringLiteral("true");
        toolTip = folders[row];
    }
    void toggle() {
        recurseChecked = !recurseChecked;
        if (selected >= 0)
            flags[selected] = recurseChecked ? QStringLiteral("true") : QStringLiteral("false");
    }
    void remove() {
        if (selected < 0)
            return;
        folders.removeAt(selected);
        flags.removeAt(selected);
        selected = -1;
    }
    void reset() {
        folders.clear();
        flags.clear();
        selected = -1;
        recurseChecked = true;
    }
};

class MainSequenceTest : public MainWindowFixture {
protected:
    void expectState(const ExpectedState& expected, int step) const {
        ASSERT_EQ(listEntries(), expected.folders) << "step " << step;
        ASSERT_EQ(SearchFiles.Folders, expected.folders) << "step " << step;
        ASSERT_EQ(SearchFiles.Recurse, expected.flags) << "step " << step;
        ASSERT_EQ(window->selectedFolderIndex(), expected.selected) << "step " << step;
        ASSERT_EQ(recurse->isChecked(), expected.recurseChecked) << "step " << step;
        ASSERT_EQ(list->toolTip(), expected.toolTip) << "step " << step;
    }
};

// Random operations on the folder list, as a user could do them in any order: the list box,
// the settings and the check box must stay in step throughout.
TEST_F(MainSequenceTest, ListAndSettingsStayInStepThroughRandomOperations) {
    std::mt19937 random(20260311);
    const QStringList pool = {"/a", "/b", "/srv/data", "/", "/a"};
    ExpectedState expected;
    for (int step = 0; step < 400; ++step) {
        switch (std::uniform_int_distribution<int>(0, 9)(random)) {
        case 0:
        case 1:
        case 2: {
            const QString folder = pool[std::uniform_int_distribution<int>(0, 4)(random)];
            addFolder(folder);
            expected.add(folder);
            break;
        }
        case 3:
            addFolder(QString());
            break;
        case 4:
        case 5:
            if (list->count() > 0) {
                const int row = std::uniform_int_distribution<int>(0, list->count() - 1)(random);
                clickRow(row);
                expected.select(row);
            }
            break;
        case 6:
            click(recurse);
            expected.toggle();
            break;
        case 7:
            click(button("btnRemoveDir"));
            expected.remove();
            break;
        case 8:
            click(std::uniform_int_distribution<int>(0, 1)(random) == 0 ? advanced : simple);
            break;
        default:
            if (std::uniform_int_distribution<int>(0, 3)(random) == 0) {
                click(button("btnReset"));
                expected.reset();
            }
            break;
        }
        expectState(expected, step);
        if (HasFatalFailure())
            return;
    }
}

} // namespace
