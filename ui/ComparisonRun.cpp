#include "ComparisonRun.h"

#include "base/PathText.h"
#include "compare/DifferenceOutput.h"
#include "compare/ListingComparison.h"
#include "compare/RecordListing.h"
#include "FileDialog.h"
#include "format/InventoryFile.h"
#include "LineView.h"
#include "MessageBox.h"
#include "uList.h"

#include <algorithm>
#include <QFileInfo>
#include <QFontMetrics>
#include <QScrollBar>
#include <string>
#include <string_view>

namespace {

// The open dialog starts in the folder of the list opened or saved last, else where lists are
// saved, and offers the earlier list chosen last when it lies there.
QString askForEarlierList(QWidget& owner, const ListFileMemory& memory) {
    FileDialogRequest request;
    request.parent = &owner;
    request.title = QStringLiteral("Frühere Liste öffnen");
    request.folder = memory.lastListFile.isEmpty() ? DefaultSaveFolder()
                                                   : QFileInfo(memory.lastListFile).absolutePath();
    if (!memory.comparedFile.isEmpty() &&
        QFileInfo(memory.comparedFile).absolutePath() == request.folder)
        request.fileName = memory.comparedFile;
    request.filters = EarlierListFilters();
    request.selectedFilter = request.filters.constFirst();
    const FileDialogAnswer answer = ShowOpenDialog(request);
    return answer.accepted ? answer.fileName : QString();
}

// How many characters of the list's font fit the width of its view. The window is not shown yet,
// so the view's own width counts, less its frame and a vertical scroll bar.
int visibleColumns(const LineView& view) {
    const int width =
        view.width() - 2 * view.frameWidth() - view.verticalScrollBar()->sizeHint().width();
    return std::max(40, width / std::max(1, QFontMetrics(view.font()).horizontalAdvance('0')));
}

// `text` in lines of at most `columns` characters, broken at blanks; the lines after the first
// are indented by `indent` blanks. A word longer than a line stands whole.
void appendWrapped(ResultLines& lines, const QString& text, int indent, int columns) {
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > columns) {
            lines.append(line.toStdString());
            line = QString(indent, QLatin1Char(' '));
        }
        if (!line.trimmed().isEmpty())
            line += QLatin1Char(' ');
        line += word;
    }
    lines.append(line.toStdString());
}

// The shown lines as the reader takes a text: each with its line feed, so each line is checked as
// a line of a saved list is.
class ReaderFeed final : public LineSink {
public:
    explicit ReaderFeed(ListingReader& reader) : reader_(reader) {}
    void append(std::string_view line) override {
        text_.assign(line);
        text_.push_back('\n');
        reader_.addText(text_);
    }

private:
    ListingReader& reader_;
    std::string text_;
};

SavedListing listingOfLines(const ShownLines& lines) {
    ListingReader reader;
    ReaderFeed feed(reader);
    lines.copyTo(feed);
    return reader.finish();
}

// The run's records as the listing compared, with their digests where the run read them and the
// gaps its outcome names. Against a checksum list, which names files only, the records tell files
// from folders whatever listing the window shows.
SavedListing listingOfRun(const KeptRun& run, const SavedListing& earlier) {
    const bool extended = run.extendedListing || earlier.form == ListingForm::Checksums;
    RecordListing records(extended ? ListingForm::Extended : ListingForm::Simple,
                          run.records.digest());
    run.records.replay(records);
    return records.finish(run.searched, run.outcome);
}

void showReport(QWidget& owner, const SavedListing& earlier, const SavedListing& later,
                const QString& earlierFile) {
    TfrmList window(&owner, TfrmList::Kind::Comparison);
    ComparisonReport(earlier, later, earlierFile, visibleColumns(*window.mList))
        .copyTo(*window.mList);
    window.showModal();
}

} // namespace

void CompareWithEarlierList(QWidget& owner, const ShownList& shown, ListFileMemory& memory) {
    const QString fileName = askForEarlierList(owner, memory);
    if (fileName.isEmpty())
        return;
    memory.comparedFile = fileName;
    memory.lastListFile = fileName;
    SavedListing earlier = ReadListingFile(fileName);
    if (!earlier.error.isEmpty()) {
        ShowErrorBox(&owner, earlier.error);
        return;
    }
    // A checksum list names its files from the folder it was made in, where sha256sum -c reads it.
    if (earlier.form == ListingForm::Checksums)
        earlier.pathsFrom = PathTextBytes(QFileInfo(fileName).absolutePath()).toStdString();
    if (shown.run != nullptr) {
        showReport(owner, earlier, listingOfRun(*shown.run, earlier), fileName);
        return;
    }
    SavedListing later = listingOfLines(shown.lines);
    if (!later.error.isEmpty()) {
        ShowErrorBox(&owner, QStringLiteral("Die angezeigte Liste lässt sich nicht vergleichen: ") +
                                 later.error);
        return;
    }
    later.gaps.endEarly(shown.gaps.endedEarly);
    later.gaps.folders.insert(later.gaps.folders.end(), shown.gaps.folders.begin(),
                              shown.gaps.folders.end());
    showReport(owner, earlier, later, fileName);
}

ResultLines ComparisonReport(const SavedListing& earlier, const SavedListing& later,
                             const QString& earlierFile, int columns) {
    const ListingComparison comparison(earlier, later);
    ResultLines report;
    report.append((QStringLiteral("Frühere Liste: ") + earlierFile).toStdString());
    if (const std::string folders = ComparedFoldersLine(comparison); !folders.empty())
        report.append(folders);
    const QString hint = QStringLiteral("Hinweis: ");
    for (const QString& note : comparison.notes())
        appendWrapped(report, hint + note + QLatin1Char('.'), int(hint.size()), columns);
    report.append(comparison.summary());
    if (comparison.same())
        return report;
    report.append("");
    comparison.appendDifferences(report);
    report.append("");
    report.append(comparison.summary());
    return report;
}
