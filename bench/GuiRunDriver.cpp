#include "GuiRunDriver.h"

#include "FolderChooser.h"
#include "LineView.h"
#include "run/SearchSettings.h"
#include "Startup.h"
#include "uList.h"
#include "uLoad.h"
#include "uMain.h"
#include "WindowDriver.h"

#include <fstream>
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <stdexcept>
#include <unistd.h>

namespace {

// Resident memory now, from /proc/self/statm (pages).
double residentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long long pages = 0;
    long long resident = 0;
    if (!(statm >> pages >> resident))
        return 0;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

} // namespace

GuiRunDriver::GuiRunDriver(const QString& folder) {
    clock_.start();
    PrepareApplication(*qApp);
    StartFolderInventoryWindows();

    btnAddDir_ = FindControl<QPushButton>(*frmMain, "btnAddDir");
    btnGo_ = FindControl<QPushButton>(*frmMain, "btnGo");
    btnCancel_ = FindControl<QPushButton>(*frmLoad, "btnCancel");
    progress_ = FindControl<QProgressBar>(*frmLoad, "Progress");
    mList_ = FindControl<LineView>(*frmList, "mList");
    btnBack_ = FindControl<QPushButton>(*frmList, "btnBack");
    progress_->installEventFilter(this);
    frmList->installEventFilter(this);

    cancelTimer_.setSingleShot(true);
    cancelTimer_.setTimerType(Qt::PreciseTimer); // a coarse timer may fire 5 % early
    connect(&cancelTimer_, &QTimer::timeout, this, &GuiRunDriver::clickCancel);

    addFolder(folder);
}

GuiRunDriver::~GuiRunDriver() {
    progress_->removeEventFilter(this);
    frmList->removeEventFilter(this);
    DestroyFolderInventoryWindows();
}

void GuiRunDriver::addFolder(const QString& folder) {
    ChooserSeam().setNextAnswer(folder);
    QTest::mouseClick(btnAddDir_, Qt::LeftButton);
    if (SearchFiles.Folders != QStringList{folder})
        throw std::runtime_error("\"Hinzufügen\" did not add the folder");
}

double GuiRunDriver::now() const {
    return static_cast<double>(clock_.nsecsElapsed()) / 1e6;
}

// The whole run happens inside the click: btnGoClick returns when the result window closes.
void GuiRunDriver::clickStart() {
    progressShownAt_.reset();
    progressAfterCancelAt_.reset();
    resultShownAt_.reset();
    resultLines_ = 0;
    startedAt_ = now();
    QTest::mouseClick(btnGo_, Qt::LeftButton);
}

void GuiRunDriver::clickCancel() {
    cancelInSearch_ = SearchFiles.Searching;
    cancelledAt_ = now();
    QTest::mouseClick(btnCancel_, Qt::LeftButton);
}

std::optional<GuiRunDriver::Run> GuiRunDriver::run() {
    cancelledAt_.reset();
    clickStart();
    if (!resultShownAt_)
        return std::nullopt;
    Run result;
    result.runMs = *resultShownAt_ - startedAt_;
    result.searchMs = progressShownAt_ ? *progressShownAt_ - startedAt_ : result.runMs;
    result.lines = resultLines_;
    result.residentMb = residentWhenShownMb_;
    return result;
}

std::optional<GuiRunDriver::Cancel> GuiRunDriver::runAndCancel(int afterMs) {
    cancelledAt_.reset();
    cancelInSearch_ = false;
    cancelDueAt_ = now() + afterMs;
    cancelTimer_.start(afterMs);
    clickStart();
    cancelTimer_.stop();
    if (!resultShownAt_)
        return std::nullopt;
    Cancel result;
    result.clickedInSearch = cancelledAt_ && cancelInSearch_;
    if (result.clickedInSearch) {
        // Without a progress bar the run left the search at the latest when the result showed.
        const double leftSearchAt = progressAfterCancelAt_.value_or(*resultShownAt_);
        result.cancelMs = leftSearchAt - *cancelledAt_;
        result.cancelDueMs = leftSearchAt - cancelDueAt_;
    }
    result.lines = resultLines_;
    return result;
}

void GuiRunDriver::readChecksums() {
    QTest::mouseClick(FindControl<QCheckBox>(*frmMain, "cbHash"), Qt::LeftButton);
}

bool GuiRunDriver::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Show)
        return false;
    const double at = now();
    if (watched == progress_) {
        progressShownAt_ = at;
        if (cancelledAt_ && !progressAfterCancelAt_)
            progressAfterCancelAt_ = at;
    } else if (watched == frmList && !resultShownAt_) {
        resultShownAt_ = at;
        resultLines_ = mList_->lineCount();
        residentWhenShownMb_ = residentMegabytes();
        // "Zurück", from inside the window's modal loop.
        QTimer::singleShot(0, btnBack_, [this] { QTest::mouseClick(btnBack_, Qt::LeftButton); });
    }
    return false;
}
