#include "MainWindowFixture.h"

#include "FolderChooser.h"
#include "SearchSettings.h"
#include "Startup.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

void MainWindowFixture::SetUp() {
    // Left over from an earlier window: creating the main window must start from empty lists.
    SearchFiles.Folders = {QStringLiteral("left over")};
    SearchFiles.Recurse = {QStringLiteral("true")};
    CreateFolderInventoryWindows();
    window = frmMain;
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    list = findControl<QListWidget>(window, "lbFolders");
    recurse = findControl<QCheckBox>(window, "cbRecurse");
    useForAll = findControl<QCheckBox>(window, "cbUseSettingsForAll");
    fullPath = findControl<QCheckBox>(window, "cbFullPath");
    fileExts = findControl<QCheckBox>(window, "cbFileExts");
    advanced = findControl<QRadioButton>(window, "rbAdvOutPut");
    simple = findControl<QRadioButton>(window, "rbSimpleOutPut");
    masks = findControl<QLineEdit>(window, "edFileMasks");
}

void MainWindowFixture::TearDown() {
    DestroyFolderInventoryWindows();
}

QPushButton* MainWindowFixture::button(const char* name) const {
    return findControl<QPushButton>(window, name);
}

void MainWindowFixture::click(QAbstractButton* control) const {
    QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(6, control->height() / 2));
}

void MainWindowFixture::addFolder(const QString& chosen) const {
    const ScopedFolderChooserAnswer answer([&](int, const QString&) { return chosen; });
    click(button("btnAddDir"));
}

void MainWindowFixture::clickRow(int row) const {
    QListWidgetItem* item = list->item(row);
    list->scrollToItem(item);
    const QRect rect = list->visualItemRect(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

QStringList MainWindowFixture::listEntries() const {
    QStringList entries;
    for (int row = 0; row < list->count(); ++row)
        entries.append(list->item(row)->text());
    return entries;
}
