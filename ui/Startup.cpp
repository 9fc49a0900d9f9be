#include "Startup.h"

#include "ProgramStyle.h"
#include "uList.h"
#include "uLoad.h"
#include "uMain.h"

#include <memory>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace {

// How long a tool-tip stays is a property of each widget; a widget that has none of its own
// gets the application's duration the first time it is asked for its tool-tip, before it
// shows it. So windows and controls created later are covered as well.
class ToolTipDurationFilter final : public QObject {
public:
    ToolTipDurationFilter(int durationMs, QObject* parent)
        : QObject(parent), durationMs_(durationMs) {}

    void setDuration(int durationMs) { durationMs_ = durationMs; }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ToolTip && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->toolTipDuration() <= 0)
                widget->setToolTipDuration(durationMs_);
        }
        return false;
    }

private:
    int durationMs_;
};

void setToolTipWakeUp(int wakeUpMs) {
    UseProgramStyle().setToolTipWakeUp(wakeUpMs);
}

void setToolTipDuration(int durationMs) {
    static QPointer<ToolTipDurationFilter> filter;
    if (filter) {
        filter->setDuration(durationMs);
        return;
    }
    filter = new ToolTipDurationFilter(durationMs, qApp);
    qApp->installEventFilter(filter);
}

} // namespace

QIcon ApplicationIcon() {
    QIcon icon;
    const QDir renderings(QStringLiteral(":/icons"));
    for (const QString& name : renderings.entryList(QDir::Files))
        icon.addFile(renderings.filePath(name));
    return icon;
}

QTranslator* InstallQtTranslation(QCoreApplication& app, const QLocale& locale) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return nullptr;
    QCoreApplication::installTranslator(translator.get());
    translator->setParent(&app); // the application owns it from here on
    return translator.release();
}

void SetApplicationToolTipTiming(int wakeUpMs, int durationMs) {
    setToolTipWakeUp(wakeUpMs);
    setToolTipDuration(durationMs);
}

void CreateFolderInventoryWindows() {
    frmMain = new TfrmMain;
    frmList = new TfrmList;
    frmLoad = new TfrmLoad;
}

void DestroyFolderInventoryWindows() {
    delete frmLoad;
    frmLoad = nullptr;
    delete frmList;
    frmList = nullptr;
    delete frmMain;
    frmMain = nullptr;
}

void PrepareApplication(QApplication& app) {
    // The application name, not the display name: Qt appends a display name to the title of
    // every other window, and the progress and result windows have titles of their own.
    QApplication::setApplicationName(QStringLiteral("FolderInventory"));
    QApplication::setWindowIcon(ApplicationIcon());
    // Wayland compositors and task bars find the desktop entry, and with it the icon, by this id.
    QGuiApplication::setDesktopFileName(QStringLiteral(FI_APP_ID));
    InstallQtTranslation(app, QLocale::system());
    UseProgramStyle();
    // The program ends when the main window closes, whatever other window is still open.
    QApplication::setQuitOnLastWindowClosed(false);
}

int RunFolderInventory(int argc, char** argv) {
    QApplication app(argc, argv);
    PrepareApplication(app);
    CreateFolderInventoryWindows();
    QObject::connect(frmMain, &QDialog::finished, &app, &QCoreApplication::quit);
    frmMain->show();
    const int status = QApplication::exec();
    DestroyFolderInventoryWindows();
    return status;
}
