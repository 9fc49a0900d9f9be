#include "ComparisonRun.h"

#include "FileDialog.h"
#include "LineView.h"
#include "ListingComparison.h"
#include "MessageBox.h"
#include "uList.h"

namespace {

// The open dialog starts in the folder of the list chosen last, else where lists are saved.
QString askForEarlierList(QWidget& owner, const QString& lastFile) {
    FileDialogRequest request;
    request.parent = &owner;
    request.title = QStringLiteral("Frühere Liste öffnen");
    request.folder = DefaultSaveFolder();
    request.fileName = lastFile;
    request.filters = ListFileFilters();
    request.selectedFilter = request.filters.constFirst();
    const FileDialogAnswer answer = ShowOpenDialog(request);
    return answer.accepted ? answer.fileName : QString();
}

void showReport(QWidget& owner, const ResultLines& report) {
    TfrmList window(&owner, TfrmList::Kind::Comparison);
    report.copyTo(*window.mList);
    window.showModal();
}

} // namespace

void CompareWithEarlierList(QWidget& owner, const ResultLines& shown, QString& lastFile) {
    const QString fileName = askForEarlierList(owner, lastFile);
    if (fileName.isEmpty())
        return;
    lastFile = fileName;
    const SavedListing earlier = ReadListingFile(fileName);
    if (!earlier.error.isEmpty()) {
        ShowErrorBox(&owner, earlier.error);
        return;
    }
    const SavedListing later = ReadListingText(shown.text());
    if (!later.error.isEmpty()) {
        ShowErrorBox(&owner, QStringLiteral("Die angezeigte Liste lässt sich nicht vergleichen: ") +
                                 later.error);
        return;
    }
    showReport(owner, ComparisonReport(earlier, later));
}

ResultLines ComparisonReport(const SavedListing& earlier, const SavedListing& later) {
    ResultLines report;
    const QStringList notes = ComparisonNotes(earlier, later);
    for (const QString& note : notes)
        report.append((QStringLiteral("Hinweis: ") + note).toStdString());
    if (!notes.isEmpty())
        report.append("");
    CompareListings(earlier, later, report);
    return report;
}
