#include "FolderChooser.h"
#include "MainWindowFixture.h"
#include "MessageBox.h"
#include "QtPrinters.h"
#include "run/SearchSettings.h"
#include "uList.h"
#include "uLoad.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>

namespace {

const QString InitialListToolTip =
    QStringLiteral("Liste mit Verzeichnissen, in denen gesucht wird.");

// The text a tool-tip shows: a rich-text tool-tip is shown rendered.
QString shownText(const QString& toolTip) {
    if (!Qt::mightBeRichText(toolTip))
        return toolTip;
    QTextDocument document;
    document.setHtml(toolTip);
    return document.toPlainText();
}

using MainWindowTest = MainWindowFixture;

TEST_F(MainWindowTest, StartsWithEmptySettingsAndOnlyTheMainWindowShown) {
    EXPECT_TRUE(SearchFiles.Folders.isEmpty());
    EXPECT_TRUE(SearchFiles.Recurse.isEmpty());
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(list->toolTip(), InitialListToolTip);
    EXPECT_FALSE(Writing);
    ASSERT_NE(frmList, nullptr);
    ASSERT_NE(frmLoad, nullptr);
    EXPECT_FALSE(frmList->isVisible());
    EXPECT_FALSE(frmLoad->isVisible());
}

// Every caption must be drawn whole in the window's font: nothing may be cut off.
TEST_F(MainWindowTest, EveryCaptionFitsItsControl) {
    for (QWidget* control : window->findChildren<QWidget*>()) {
        const QFontMetrics metrics = control->fontMetrics();
        const QString name = control->objectName();
        if (auto* group = qobject_cast<QGroupBox*>(control)) {
            EXPECT_LT(metrics.horizontalAdvance(group->title()), group->width())
                << name.toStdString();
        } else if (auto* push = qobject_cast<QPushButton*>(control)) {
            EXPECT_LE(metrics.horizontalAdvance(push->text()) + 8, push->width())
                << name.toStdString();
        } else if (qobject_cast<QLabel*>(control) || qobject_cast<QAbstractButton*>(control)) {
            EXPECT_LE(control->sizeHint().width(), control->width()) << name.toStdString();
            EXPECT_LE(metrics.height(), control->height()) << name.toStdString();
        }
    }
}

// The folder list holds the focus when the window opens and shows it, empty as it is.
TEST_F(MainWindowTest, EmptyFolderListShowsTheFocusFromTheStart) {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    ASSERT_EQ(QApplication::focusWidget(), list);
    const QImage focused = list->grab().toImage();
    button("btnGo")->setFocus();
    EXPECT_NE(list->grab().toImage(), focused);
}

// "Start!" is the default button; reached with the keyboard it looks different, so the user
// sees that Space presses it now.
TEST_F(MainWindowTest, FocusedStartLooksDifferentFromStartAsTheDefaultButton) {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QPushButton* go = button("btnGo");
    ASSERT_EQ(QApplication::focusWidget(), list);
    const QImage asDefault = go->grab().toImage();
    for (int i = 0; i < 4; ++i) // back past "Über...", "Beenden" and "Felder zurücksetzen"
        QTest::keyClick(window->windowHandle(), Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_EQ(QApplication::focusWidget(), go);
    EXPECT_TRUE(go->isDefault());
    EXPECT_NE(go->grab().toImage(), asDefault);
}

// The controls that Tab reaches from the folder list, in order, until it comes back there.
QStringList tabCycle(TfrmMain* window, QWidget* start) {
    start->setFocus();
    QStringList reached{start->objectName()};
    for (int i = 0; i < 30; ++i) {
        QTest::keyClick(window->windowHandle(), Qt::Key_Tab);
        if (QApplication::focusWidget() == start)
            return reached;
        reached.append(QApplication::focusWidget()->objectName());
    }
    return reached;
}

// Tab runs group by group: the settings group through its two inner groups, then the button row,
// where "Beenden" comes before "Über...". The two output check boxes count only for the simple
// output, where they take effect.
TEST_F(MainWindowTest, TabRunsGroupByGroupWithQuitBeforeAbout) {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    EXPECT_EQ(tabCycle(window, list),
              QStringList({"lbFolders", "btnAddDir", "btnRemoveDir", "cbUseSettingsForAll",
                           "cbRecurse", "edFileMasks", "edExclude", "btnOptions", "rbAdvOutPut",
                           "cbHash", "btnGo", "btnReset", "btnQuit", "btnAbout"}));
    click(simple);
    EXPECT_EQ(
        tabCycle(window, list),
        QStringList({"lbFolders", "btnAddDir", "btnRemoveDir", "cbUseSettingsForAll", "cbRecurse",
                     "edFileMasks", "edExclude", "btnOptions", "cbFileExts", "rbSimpleOutPut",
                     "cbFullPath", "cbHash", "btnGo", "btnReset", "btnQuit", "btnAbout"}));
}

TEST_F(MainWindowTest, AddedFolderComesFromTheChooserWithoutTrailingSeparator) {
    ChooserSeam().reset();
    ChooserSeam().setNextAnswer(QStringLiteral("/srv/data/"));
    click(button("btnAddDir"));
    addFolder(QStringLiteral("/"));
    ASSERT_EQ(ChooserSeam().requests().size(), 2u);
    EXPECT_EQ(ChooserSeam().requests().front().specialFolder, 17);
    EXPECT_EQ(ChooserSeam().requests().front().title, "Verzeichnis auswählen");
    EXPECT_EQ(listEntries(), QStringList({"/srv/data", "/"}));
    EXPECT_EQ(SearchFiles.Folders, listEntries());
    EXPECT_EQ(FolderWithoutTrailingSeparator(QStringLiteral("//")), "/");
    EXPECT_EQ(FolderWithoutTrailingSeparator(QString()), "");
}

TEST_F(MainWindowTest, SameFolderAddedTwiceGivesTwoEntriesEachWithItsOwnFlag) {
    addFolder(QStringLiteral("/srv/data"));
    click(recurse);
    ASSERT_FALSE(recurse->isChecked());
    addFolder(QStringLiteral("/srv/data"));
    EXPECT_EQ(listEntries(), QStringList({"/srv/data", "/srv/data"}));
    EXPECT_EQ(SearchFiles.Folders, listEntries());
    EXPECT_EQ(SearchFiles.Recurse, QStringList({"true", "false"}));
    EXPECT_TRUE(list->selectedItems().isEmpty());
}

// A new folder is searched with its subfolders exactly when cbRecurse is checked;
// cbUseSettingsForAll has no say.
TEST_F(MainWindowTest, NewFolderTakesTheRecursionCheckBoxWhateverUseForAllSays) {
    struct Case {
        bool recurseChecked;
        bool useForAllChecked;
        const char* expected;
    };
    for (const Case c : {Case{true, true, "true"}, Case{true, false, "true"},
                         Case{false, true, "false"}, Case{false, false, "false"}}) {
        if (recurse->isChecked() != c.recurseChecked)
            click(recurse);
        if (useForAll->isChecked() != c.useForAllChecked)
            click(useForAll);
        addFolder(QStringLiteral("/case"));
        EXPECT_EQ(SearchFiles.Recurse.last(), c.expected)
            << "cbRecurse " << c.recurseChecked << ", cbUseSettingsForAll " << c.useForAllChecked;
    }
    EXPECT_EQ(SearchFiles.Recurse.size(), 4);
    EXPECT_EQ(list->count(), 4);
}

TEST_F(MainWindowTest, SelectingAnEntrySetsTheCheckBoxAndTheListToolTip) {
    addFolder(QStringLiteral("/with/subfolders"));
    click(recurse);
    addFolder(QStringLiteral("/flat"));
    ASSERT_EQ(SearchFiles.Recurse, QStringList({"true", "false"}));

    clickRow(0);
    EXPECT_TRUE(recurse->isChecked());
    EXPECT_EQ(list->toolTip(), "/with/subfolders");
    clickRow(1);
    EXPECT_FALSE(recurse->isChecked());
    EXPECT_EQ(list->toolTip(), "/flat");

    // By keyboard as well.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(window->selectedFolderIndex(), 0);
    EXPECT_TRUE(recurse->isChecked());
    EXPECT_EQ(list->toolTip(), "/with/subfolders");
    EXPECT_EQ(SearchFiles.Recurse, QStringList({"true", "false"}));
}

TEST_F(MainWindowTest, AddingWhileAnEntryIsSelectedKeepsTheSelection) {
    addFolder(QStringLiteral("/a"));
    click(recurse);
    addFolder(QStringLiteral("/b"));
    clickRow(0);
    ASSERT_TRUE(recurse->isChecked());
    addFolder(QStringLiteral("/c"));
    EXPECT_EQ(window->selectedFolderIndex(), 0);
    EXPECT_EQ(SearchFiles.Recurse, QStringList({"true", "false", "true"}));
    EXPECT_EQ(list->toolTip(), "/a");
}

// A folder name may hold "<" and ">"; its tool-tip must still show the path itself.
TEST_F(MainWindowTest, ListToolTipShowsAPathThatLooksLikeMarkupAsWritten) {
    const QString path = QStringLiteral("/tmp/<b>bold</b> & <i>more");
    addFolder(path);
    clickRow(0);
    EXPECT_EQ(shownText(list->toolTip()), path);
}

TEST_F(MainWindowTest, TogglingRecurseChangesOnlyTheSelectedEntry) {
    addFolder(QStringLiteral("/a"));
    addFolder(QStringLiteral("/b"));
    click(recurse);
    EXPECT_EQ(SearchFiles.Recurse, QStringList({"true", "true"})) << "nothing selected";
    EXPECT_FALSE(recurse->isChecked());

    clickRow(1);
    EXPECT_TRUE(recurse->isChecked()) << "selection shows the entry's own flag";
    click(recurse);
    EXPECT_EQ(SearchFiles.Recurse, QStringList({"true", "false"}));
    recurse->setChecked(true); // a state set from code counts as well
    EXPECT_EQ(SearchFiles.Recurse, QStringList({"true", "true"}));
}

TEST_F(MainWindowTest, RemoveWithoutSelectionChangesNothing) {
    addFolder(QStringLiteral("/a"));
    addFolder(QStringLiteral("/b"));
    click(button("btnRemoveDir"));
    EXPECT_EQ(listEntries(), QStringList({"/a", "/b"}));
    EXPECT_EQ(SearchFiles.Folders, listEntries());
    EXPECT_EQ(SearchFiles.Recurse.size(), 2);
}

TEST_F(MainWindowTest, RemoveDeletesTheSelectedEntryAndLeavesNothingSelected) {
    addFolder(QStringLiteral("/a"));
    click(recurse);
    addFolder(QStringLiteral("/b"));
    click(recurse);
    addFolder(QStringLiteral("/c"));
    clickRow(1);
    ASSERT_FALSE(recurse->isChecked());

    // Removing must not select a neighbour, which would show its flag and path.
    click(button("btnRemoveDir"));
    EXPECT_EQ(listEntries(), QStringList({"/a", "/c"}));
    EXPECT_EQ(SearchFiles.Folders, listEntries());
    EXPECT_EQ(SearchFiles.Recurse, QStringList({"true", "true"}));
    EXPECT_EQ(window->selectedFolderIndex(), -1);
    EXPECT_FALSE(recurse->isChecked());
    EXPECT_EQ(list->toolTip(), "/b");

    // With nothing selected, the check box is again only the flag for folders to come.
    click(recurse);
    EXPECT_EQ(SearchFiles.Recurse, QStringList({"true", "true"}));
}

TEST_F(MainWindowTest, SwitchingOutputStyleKeepsTheCheckMarks) {
    click(simple);
    EXPECT_TRUE(fullPath->isEnabled());
    EXPECT_TRUE(fileExts->isEnabled());
    EXPECT_FALSE(fullPath->isChecked());
    EXPECT_TRUE(fileExts->isChecked());
    click(fullPath);
    click(fileExts);

    click(advanced);
    EXPECT_FALSE(fullPath->isEnabled());
    EXPECT_FALSE(fileExts->isEnabled());
    EXPECT_TRUE(fullPath->isChecked());
    EXPECT_FALSE(fileExts->isChecked());

    simple->setChecked(true);
    EXPECT_TRUE(fullPath->isEnabled()) << "a style chosen from code runs the handler too";
}

TEST_F(MainWindowTest, ResetRestoresTheStartStateButKeepsMarksAndListToolTip) {
    addFolder(QStringLiteral("/a"));
    addFolder(QStringLiteral("/b"));
    clickRow(0);
    click(recurse);
    click(useForAll);
    masks->setText(QStringLiteral("*.txt;*.doc"));
    click(simple);
    click(fullPath);
    EXPECT_TRUE(SearchFiles.Masks.isEmpty()) << "editing the masks alone stores nothing";

    click(button("btnReset"));
    EXPECT_TRUE(SearchFiles.Folders.isEmpty());
    EXPECT_TRUE(SearchFiles.Recurse.isEmpty());
    EXPECT_EQ(SearchFiles.Masks, "*.*");
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(window->selectedFolderIndex(), -1);
    EXPECT_TRUE(useForAll->isChecked());
    EXPECT_TRUE(recurse->isChecked());
    EXPECT_EQ(masks->text(), "*.*");
    EXPECT_TRUE(advanced->isChecked());
    EXPECT_FALSE(simple->isChecked());
    EXPECT_FALSE(fullPath->isEnabled());
    EXPECT_FALSE(fileExts->isEnabled());
    EXPECT_TRUE(fullPath->isChecked());
    EXPECT_TRUE(fileExts->isChecked());
    EXPECT_EQ(list->toolTip(), "/a");
}

TEST_F(MainWindowTest, CancellingTheChooserChangesNothing) {
    addFolder(QStringLiteral("/a"));
    click(recurse);
    addFolder(QStringLiteral("/b"));
    clickRow(1);
    const QStringList folders = SearchFiles.Folders;
    const QStringList flags = SearchFiles.Recurse;

    addFolder(QString());
    EXPECT_EQ(SearchFiles.Folders, folders);
    EXPECT_EQ(SearchFiles.Recurse, flags);
    EXPECT_EQ(listEntries(), folders);
    EXPECT_EQ(window->selectedFolderIndex(), 1);
    EXPECT_FALSE(recurse->isChecked());
    EXPECT_EQ(list->toolTip(), "/b");
}

TEST_F(MainWindowTest, MaskEditHasNoLengthLimit) {
    const QString longMasks = QString(40000, QLatin1Char('x')) + QStringLiteral(";*.txt");
    masks->setText(longMasks);
    EXPECT_EQ(masks->text(), longMasks);
}

// Enter presses "Start!" from any control but another push button, which takes Enter itself;
// Escape leaves the main window open.
TEST_F(MainWindowTest, EnterPressesStartUnlessAnotherButtonHasTheFocus) {
    QPushButton* go = button("btnGo");
    QPushButton* add = button("btnAddDir");
    EXPECT_TRUE(go->isDefault());
    // Should a search open a modal window, it is closed again so the test goes on.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    closer.start(20);
    QSignalSpy goPressed(go, &QPushButton::clicked);
    QSignalSpy addPressed(add, &QPushButton::clicked);

    masks->setFocus();
    QTest::keyClick(masks, Qt::Key_Return);
    EXPECT_EQ(goPressed.count(), 1);
    recurse->setFocus();
    QTest::keyClick(recurse, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(goPressed.count(), 2);

    ChooserSeam().setNextAnswer(QString()); // a cancel
    add->setFocus();
    QTest::keyClick(add, Qt::Key_Return);
    EXPECT_EQ(addPressed.count(), 1);
    EXPECT_EQ(goPressed.count(), 2);

    masks->setFocus();
    QTest::keyClick(masks, Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, AboutBoxIsAModalInformationBoxWithOkOnly) {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }));
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        modal = box->isModal();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    click(button("btnAbout"));
    EXPECT_EQ(title, "Über FolderInventory");
    EXPECT_EQ(icon, QMessageBox::Information);
    EXPECT_EQ(buttons, QMessageBox::Ok);
    EXPECT_TRUE(modal);
    const QStringList lines = text.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("FolderInventory")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith("https://")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].contains('@')) << lines[2].toStdString();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// At twice the scale the about box's first line takes more than half the screen's width, where
// Qt would wrap it; here a larger font does the same. Every line still shows on one line.
TEST_F(MainWindowTest, AboutBoxKeepsEachLineOnOneLineWithALargeFont) {
    const QFont usual = QApplication::font();
    const auto restore = qScopeGuard([&] { QApplication::setFont(usual); });
    QFont large = usual;
    large.setPointSizeF(usual.pointSizeF() * 1.5);
    QApplication::setFont(large);
    QStringList cutLines{"no box"};
    QTimer::singleShot(0, [&] {
        ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }));
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        const auto* label = FindControl<QLabel>(*box, "qt_msgbox_label");
        cutLines.clear();
        for (const QString& line : box->text().split(QLatin1Char('\n'))) {
            if (label->fontMetrics().horizontalAdvance(line) > label->contentsRect().width())
                cutLines.append(line);
        }
        box->accept();
    });
    click(button("btnAbout"));
    EXPECT_EQ(cutLines, QStringList());
}

TEST_F(MainWindowTest, AboutBoxIsAnsweredThroughItsSeamLikeEveryDialog) {
    AboutBoxSeam().setNextAnswer(MessageBoxAnswer::Ok);
    click(button("btnAbout"));
    ASSERT_EQ(AboutBoxSeam().requests().size(), 1u);
    EXPECT_EQ(AboutBoxSeam().requests().front().title, "Über FolderInventory");
    EXPECT_EQ(AboutBoxSeam().requests().front().parent, window);
    AboutBoxSeam().reset();
}

TEST_F(MainWindowTest, QuitClosesTheWindowAndSignalsTheEnd) {
    QSignalSpy finished(window, &QDialog::finished);
    addFolder(QStringLiteral("/a"));
    click(button("btnQuit"));
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(finished.count(), 1);
}

// The options dialog is reached by keyboard, takes only values it can read (an error box names
// the field and the value, which keeps the focus), and a cancel leaves everything as it was;
// "Felder zurücksetzen" clears the exclusions and the options.
TEST_F(MainWindowTest, OptionsDialogTakesOnlyReadableValues) {
    auto* exclude = FindControl<QLineEdit>(*window, "edExclude");
    auto* summary = FindControl<QLabel>(*window, "lbOptions");
    EXPECT_TRUE(exclude->text().isEmpty());
    EXPECT_EQ(summary->text(), "keine weiteren Einschränkungen");
    EXPECT_FALSE(exclude->toolTip().isEmpty());
    QPushButton* options = button("btnOptions");
    EXPECT_EQ(options->text(), "Optionen...");

    ErrorBoxSeam().reset();
    ErrorBoxSeam().setNextAnswer(MessageBoxAnswer::Ok);
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        const auto guard = qScopeGuard([dialog] {
            if (dialog->isVisible())
                dialog->reject();
        });
        EXPECT_EQ(dialog->windowTitle(), "Optionen");
        ASSERT_TRUE(QTest::qWaitFor(
            [dialog] { return dialog->isAncestorOf(QApplication::focusWidget()); }));
        QTest::keyClick(dialog, Qt::Key_T, Qt::AltModifier);
        auto* depth = FindControl<QLineEdit>(*dialog, "edMaxDepth");
        ASSERT_EQ(QApplication::focusWidget(), depth);
        QTest::keyClicks(depth, "zwei");
        QTest::keyClick(depth, Qt::Key_Return);
        ASSERT_TRUE(dialog->isVisible());
        EXPECT_EQ(QApplication::focusWidget(), depth);
        QTest::keyClicks(depth, "2");
        QTest::keyClick(dialog, Qt::Key_D, Qt::AltModifier);
        // A button's mnemonic clicks it after its short animation.
        auto* oneFileSystem = FindControl<QCheckBox>(*dialog, "cbOneFileSystem");
        EXPECT_TRUE(QTest::qWaitFor([oneFileSystem] { return oneFileSystem->isChecked(); }));
        QTest::keyClick(dialog, Qt::Key_N, Qt::AltModifier);
        auto* newer = FindControl<QLineEdit>(*dialog, "edNewer");
        ASSERT_EQ(QApplication::focusWidget(), newer);
        QTest::keyClicks(newer, "30d");
        QTest::keyClick(newer, Qt::Key_Return);
    });
    options->setFocus();
    QTest::keyClick(options, Qt::Key_Space);
    ASSERT_EQ(ErrorBoxSeam().requests().size(), 1u);
    EXPECT_EQ(ErrorBoxSeam().requests().front().text,
              "Ungültiger Wert \"zwei\" bei \"Tiefe\": erwartet wird eine ganze Zahl ab 0.");
    EXPECT_EQ(summary->toolTip(), "ein Dateisystem, höchstens 2 Ebenen, geändert nach 30d");
    EXPECT_TRUE(window->searchScope(FileTime{1'000'000'000, 0}).OneFileSystem);
    EXPECT_EQ(window->searchScope(FileTime{1'000'000'000, 0}).NewerThan,
              (FileTime{1'000'000'000 - 30 * 86400, 0}));

    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(FindControl<QLineEdit>(*dialog, "edMaxDepth")->text(), "2");
        QTest::keyClicks(FindControl<QLineEdit>(*dialog, "edMinSize"), "1k");
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    click(options);
    EXPECT_EQ(summary->toolTip(), "ein Dateisystem, höchstens 2 Ebenen, geändert nach 30d");

    QTest::keyClicks(exclude, ".git");
    click(button("btnReset"));
    EXPECT_TRUE(exclude->text().isEmpty());
    EXPECT_EQ(summary->text(), "keine weiteren Einschränkungen");
    EXPECT_FALSE(window->searchScope(CurrentTime()).any());
}

} // namespace
