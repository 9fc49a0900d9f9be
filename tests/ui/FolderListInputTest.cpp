#include "MainWindowFixture.h"
#include "QtPrinters.h"
#include "run/SearchSettings.h"
#include "TempTree.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <QWindow>

namespace {

// The folder list besides "Hinzufügen" and "Entfernen": folders dropped from a file manager,
// and the Delete key.
class FolderListInputTest : public MainWindowFixture {
protected:
    struct DropAnswer {
        bool enterAccepted = false;
        bool dropAccepted = false;
        Qt::DropAction action = Qt::IgnoreAction;
    };

    // A drag from a file manager that offers to copy or move, entering the folder list and
    // dropped there, sent to the window as the window system sends it.
    DropAnswer dropOnFolderList(const QList<QUrl>& urls) const {
        QMimeData data;
        data.setUrls(urls);
        const QPoint at = list->mapTo(window, list->rect().center());
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
        QWindow* target = window->windowHandle();
        QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &enter);
        QDragMoveEvent move(at, offered, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &move);
        QDropEvent drop(at, offered, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &drop);
        return {enter.isAccepted(), drop.isAccepted(), drop.dropAction()};
    }

    void pressDeleteIn(QWidget* control) const {
        control->setFocus();
        QTest::keyClick(window->windowHandle(), Qt::Key_Delete);
    }

    TempTree tree;
};

// Local folders are added in the drop's order with the current "Unterverzeichnisse
// durchsuchen", as "Hinzufügen" adds them; files and remote addresses are passed over. The file
// manager is told "copy", so it keeps what it dragged.
TEST_F(FolderListInputTest, DroppedLocalFoldersAreAddedAsHinzufuegenAddsThem) {
    tree.folder("Fotos");
    tree.folder("Briefe");
    tree.file("notiz.txt", 3);
    click(recurse);
    const DropAnswer answer = dropOnFolderList(
        {QUrl::fromLocalFile(tree.path("Fotos")), QUrl::fromLocalFile(tree.path("notiz.txt")),
         QUrl("https://example.org/freigabe/"), QUrl("sftp://server/srv/daten"),
         QUrl::fromLocalFile(tree.path("Briefe") + "/")});
    EXPECT_TRUE(answer.enterAccepted);
    EXPECT_TRUE(answer.dropAccepted);
    EXPECT_EQ(answer.action, Qt::CopyAction);
    EXPECT_EQ(listEntries(), QStringList({tree.path("Fotos"), tree.path("Briefe")}));
    EXPECT_EQ(SearchFiles.Folders, listEntries());
    EXPECT_EQ(SearchFiles.Recurse, QStringList({"false", "false"}));

    // A drag that holds no local folder is refused and adds nothing.
    const DropAnswer refused = dropOnFolderList({QUrl::fromLocalFile(tree.path("notiz.txt")),
                                                 QUrl("https://example.org/freigabe/"),
                                                 QUrl::fromLocalFile(tree.path("fehlt"))});
    EXPECT_FALSE(refused.enterAccepted);
    EXPECT_FALSE(refused.dropAccepted);
    EXPECT_EQ(listEntries().size(), 2);
}

// Delete in the folder list removes the selected folder as "Entfernen" does; elsewhere it
// removes no folder.
TEST_F(FolderListInputTest, DeleteKeyInTheFolderListActsAsEntfernen) {
    addFolder("/srv/a");
    addFolder("/srv/b");
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    clickRow(0);
    pressDeleteIn(masks);
    EXPECT_EQ(listEntries(), QStringList({"/srv/a", "/srv/b"}));

    pressDeleteIn(list);
    EXPECT_EQ(listEntries(), QStringList({"/srv/b"}));
    EXPECT_EQ(SearchFiles.Folders, QStringList({"/srv/b"}));
    EXPECT_EQ(SearchFiles.Recurse, QStringList({"true"}));
    EXPECT_EQ(window->selectedFolderIndex(), -1);
}

} // namespace
