#include "ComparisonRun.h"

#include "FileDialog.h"
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
    for (qsizetype i = 0; i < report.size(); ++i)
        window.appendLine(report.view(i));
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
    ListingComparison comparison;
    const QStringList notes = ComparisonNotes(earlier, later);
    for (const QString& note : notes)
        comparison.lines.append(QStringLiteral("Hinweis: ") + note);
    if (!notes.isEmpty())
        comparison.lines.append(std::string_view());
    CompareListings(earlier, later, comparison);
    return std::move(comparison.lines);
}
