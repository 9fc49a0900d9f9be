#include "SearchRun.h"

#include "base/FileTime.h"
#include "format/HeaderBlock.h"
#include "format/InventoryFile.h"
#include "format/ListingFormat.h"
#include "format/TextListing.h"
#include "LineView.h"
#include "MessageBox.h"
#include "records/RecordSink.h"
#include "run/RunOutcome.h"
#include "run/SearchSettings.h"
#include "SearchDriver.h"
#include "ShownLines.h"
#include "uList.h"
#include "uLoad.h"
#include "uMain.h"

#include <algorithm>
#include <climits>
#include <exception>
#include <memory>
#include <new>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <utility>

namespace {

// Lines shown at most before the next test whether the message pump is due.
constexpr qint64 linesPerPumpTest = 256;

// One press of "Start!": search, header, writing, result window. The progress window is
// application-modal, so while it is shown the main window takes no input and keeps its look.
class SearchRun final {
public:
    SearchRun(TfrmMain& main, TfrmLoad& load, TfrmList& list)
        : main_(main), load_(load), list_(list) {}
    SearchRun(const SearchRun&) = delete;
    SearchRun& operator=(const SearchRun&) = delete;

    // Should a failure pass through, the progress window goes and the main window comes back.
    ~SearchRun() {
        Writing = false;
        load_.hide();
    }

    void execute() {
        showSearching();
        search();
        showWriting();
        writeLines();
        finish();
    }

private:
    void showSearching();
    void search();
    void showWriting();
    void writeLines();
    void stepBar(qint64 lines);
    void finish();

    TfrmMain& main_;
    TfrmLoad& load_;
    TfrmList& list_;
    // The header block (extended output) and the result lines, gathered as the result window
    // keeps them; the window takes them over whole and shows them line by line, so a long list
    // is held once and never copied.
    ShownLines lines_;
    // What the list leaves out: a cancel, folders or sizes that could not be read.
    RunOutcome outcome_;
    // The records of the search, kept compact for saving as a table or JSON Lines.
    std::unique_ptr<KeptRun> kept_ = std::make_unique<KeptRun>();
    qint64 written_ = 0;
    qint64 total_ = 0;
    qint64 nextVisibleStep_ = 0;
};

void SearchRun::showSearching() {
    load_.show();
    load_.raise();
    load_.activateWindow();
    load_.lbSearch->show();
    load_.Progress->hide();
    load_.hideReadProgress();
    load_.lbSearching->setText(SearchingText);
    load_.repaint();
    QCoreApplication::processEvents();
}

// The header block depends only on the settings, which stay as they are for the whole run, so
// it goes in front of the result lines before the search. Beside the lines the run keeps its
// records, sizes and times read whatever the output, so the list saves as a table too; the
// records of the run before go first, so the two are never held at once.
void SearchRun::search() {
    SearchFiles.Masks = main_.edFileMasks->text();
    SearchFiles.Scope = main_.searchScope(CurrentTime());
    const bool extended = main_.rbAdvOutPut->isChecked();
    if (extended)
        AppendHeaderBlock(SearchFiles, lines_);
    list_.setKeptRun(nullptr);
    kept_->searched = SearchFiles;
    kept_->created = CurrentTime();
    kept_->extendedListing = extended;
    if (main_.cbHash->isChecked())
        kept_->records.setDigest(DigestAlgorithm::Sha256);
    RunOutcomeRecorder progress(load_.progress(), SearchFiles, outcome_);
    TextListing listing = TextListing::of(lines_, extended, main_.cbFullPath->isChecked(),
                                          main_.cbFileExts->isChecked(), &outcome_);
    RecordTee both(listing, kept_->records);
    RunSearch(SearchFiles, both, progress);
    kept_->outcome = outcome_;
}

void SearchRun::showWriting() {
    load_.showCaptionsNow(); // the last folder and count of the search stay in the window
    load_.lbSearching->setText(WritingText);
    load_.Progress->show();
    load_.lbSearch->hide();
    load_.hideReadProgress();
    total_ = std::min<qint64>(lines_.size(), INT_MAX);
    load_.Progress->setMaximum(static_cast<int>(total_));
    load_.Progress->setValue(0);
    load_.repaint();
}

// The lines reach the result window in order and move the bar by one each. A click on
// "Abbrechen" can only come while the bar is given a new value or while the window takes its
// messages, so the lines go in runs up to the next of those, and the flag is tested after each
// run: a cancel stops the writing at once and the lines not shown yet are dropped.
void SearchRun::writeLines() {
    LineView& list = *list_.mList;
    list.takeHiddenLines(std::move(lines_));
    lines_ = ShownLines();
    Writing = true;
    // A bar given a value that moves its filled part draws itself at once, which costs far more
    // than a line; it is drawn when the window takes its messages, as often as a change could
    // show, and at the end.
    load_.Progress->setUpdatesEnabled(false);
    while (list.hasHiddenLines() && Writing) {
        const qsizetype count = std::min<qint64>({std::max<qint64>(nextVisibleStep_ - written_, 1),
                                                  linesPerPumpTest, list.hiddenLineCount()});
        list.showNextLines(count);
        stepBar(count);
        if (load_.pumpIsDue()) {
            load_.Progress->setUpdatesEnabled(true);
            load_.progress().processMessages();
            load_.Progress->setUpdatesEnabled(false);
        }
    }
    load_.Progress->setUpdatesEnabled(true);
    Writing = false;
    // Cut short while written, the list says so as one cut short while searched does.
    if (list.hasHiddenLines()) {
        list.dropHiddenLines();
        outcome_.setCancelled();
        AppendCutShortLine(list);
    }
}

// The bar moves on by the lines shown. Setting the value when its filled part has not grown by a
// pixel would change nothing, so the value is handed to the bar exactly at those steps and at
// the end.
void SearchRun::stepBar(qint64 lines) {
    written_ += lines;
    if (written_ < nextVisibleStep_ && written_ < total_)
        return;
    load_.Progress->setValue(static_cast<int>(std::min(written_, total_)));
    const qint64 width = std::max(1, load_.Progress->width());
    const qint64 filled = written_ * width / std::max<qint64>(total_, 1);
    nextVisibleStep_ = ((filled + 1) * total_ + width - 1) / width;
}

void SearchRun::finish() {
    load_.hide();
    list_.setOutcome(outcome_);
    list_.setKeptRun(std::move(kept_));
    list_.setNamesWithoutExtensions(!main_.rbAdvOutPut->isChecked() &&
                                    !main_.cbFileExts->isChecked());
    list_.showModal();
}

} // namespace

// A run that fails (memory runs out for the lines or a folder's entries) ends as a whole: the
// progress window goes, the lines written so far are dropped, and the error box says why. The
// main window stays usable for the next run. Nothing may leave the slot: Qt does not carry an
// exception through its event loop.
void RunSearchFromMainWindow(TfrmMain& window) {
    QString failure;
    try {
        SearchRun run(window, *frmLoad, *frmList);
        run.execute();
    } catch (const std::bad_alloc&) {
        failure = QStringLiteral("Nicht genügend Arbeitsspeicher; die Suche wurde abgebrochen.");
    } catch (const std::exception& error) {
        failure = QStringLiteral("Die Suche wurde wegen eines Fehlers abgebrochen: %1")
                      .arg(QString::fromLocal8Bit(error.what()));
    }
    if (failure.isEmpty())
        return;
    frmList->mList->clear();
    ShowErrorBox(&window, failure);
}
