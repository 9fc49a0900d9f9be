#include "MainWindowFixture.h"

#include "FolderChooser.h"
#include "run/SearchSettings.h"
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
    window = &StartFolderInventoryWindows();
    list = FindControl<QListWidget>(*window, "lbFolders");
    recurse = FindControl<QCheckBox>(*window, "cbRecurse");
    useForAll = FindControl<QCheckBox>(*window, "cbUseSettingsForAll");
    fullPath = FindControl<QCheckBox>(*window, "cbFullPath");
    fileExts = FindControl<QCheckBox>(*window, "cbFileExts");
    advanced = FindControl<QRadioButton>(*window, "rbAdvOutPut");
    simple = FindControl<QRadioButton>(*window, "rbSimpleOutPut");
    masks = FindControl<QLineEdit>(*window, "edFileMasks");
}

void MainWindowFixture::TearDown() {
    DestroyFolderInventoryWindows();
}

QPushButton* MainWindowFixture::button(const char* name) const {
    return FindControl<QPushButton>(*window, name);
}

void MainWindowFixture::click(QAbstractButton* control) const {
    QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(6, control->height() / 2));
}

void MainWindowFixture::addFolder(const QString& chosen) const {
    ChooserSeam().setNextAnswer(chosen);
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
