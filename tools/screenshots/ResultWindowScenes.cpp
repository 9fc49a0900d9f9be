#include "FileDialog.h"
#include "format/HeaderBlock.h"
#include "format/ListingFormat.h"
#include "LineView.h"
#include "MessageBox.h"
#include "output/ListFileWriter.h"
#include "run/RunOutcome.h"
#include "run/SearchSettings.h"
#include "Scenes.h"
#include "Startup.h"
#include "uList.h"

#include <cstdint>
#include <QPushButton>
#include <QTemporaryDir>
#include <string_view>
#include <utility>
#include <vector>

namespace {

struct SampleFolder {
    std::string_view path;
    std::vector<std::string_view> folders;
    std::vector<std::pair<std::int64_t, std::string_view>> files;
};

// An extended listing of two folders as a search writes it: header, headings, directory and
// file lines, folder sums and the totals footer. The earlier one, for the comparison, lacks a
// file, holds one that is gone now, and a file was smaller then.
ResultLines SampleListing(bool earlier = false) {
    std::vector<SampleFolder> sample{
        {"/home/anna/Dokumente/",
         {".", "..", "Briefe", "Steuer 2023"},
         {{48213, "Bewerbung.odt"},
          {1523, "Einkaufsliste.txt"},
          {2381904, "Jahresbericht 2023.pdf"},
          {90112, "Kündigung Mietvertrag.docx"},
          {734, "notizen.md"}}},
        {"/home/anna/Dokumente/Briefe/",
         {".", ".."},
         {{18044, "an Vermieter.odt"}, {21760, "Antrag Elternzeit.odt"}, {9871, "Dank.txt"}}},
        {"/home/anna/Dokumente/Steuer 2023/",
         {".", ".."},
         {{512330, "Belege.zip"}, {73421, "Erklärung ELSTER.xml"}, {2210, "Übersicht.csv"}}},
    };
    if (earlier) {
        sample[0].files.erase(sample[0].files.begin() + 3);
        sample[0].files.back().first = 512;
        sample[1].files.push_back({4410, "Entwurf.txt"});
    }
    TSearchFiles settings;
    AddSearchFolder(settings, QStringLiteral("/home/anna/Dokumente"), true);
    settings.Masks = QStringLiteral("*.*");
    ResultLines lines;
    AppendHeaderBlock(settings, lines);
    std::int64_t totalFiles = 0;
    std::int64_t totalBytes = 0;
    for (const SampleFolder& folder : sample) {
        AppendFolderHeading(lines, folder.path);
        for (std::string_view name : folder.folders)
            AppendDirectoryLine(lines, name);
        std::int64_t bytes = 0;
        for (const auto& [size, name] : folder.files) {
            AppendFileLine(lines, size, name);
            bytes += size;
        }
        AppendFolderSum(lines, static_cast<std::int64_t>(folder.files.size()), bytes);
        totalFiles += static_cast<std::int64_t>(folder.files.size());
        totalBytes += bytes;
    }
    AppendTotalsFooter(lines, totalFiles, totalBytes, static_cast<std::int64_t>(sample.size()),
                       CurrentDecimalSeparator());
    return lines;
}

void FillResultWindow() {
    frmList->mList->clear();
    SampleListing().copyTo(*frmList->mList);
}

// The earlier list as "Speichern unter..." would have saved it.
bool SaveEarlierListing(const QString& fileName) {
    ListFileWriter writer(fileName);
    if (!writer.open().isEmpty())
        return false;
    SampleListing(true).copyTo(writer);
    return writer.commit().isEmpty();
}

} // namespace

void ResultWindowScenes(Shots& shots) {
    CreateFolderInventoryWindows();
    FillResultWindow();
    shots.saveModal([] { frmList->showModal(); }, QStringLiteral("result-window"));

    // After "In die Zwischenablage kopieren", wider and lower: the buttons follow the edges.
    frmList->btnCopyToClipboard->click();
    frmList->resize(820, 300);
    shots.saveModal([] { frmList->showModal(); }, QStringLiteral("result-window-copied-resized"));

    // A save that failed on a full disk: the error box with its shortest message, whose width
    // alone would cut the caption.
    shots.saveModal([] { ShowErrorBox(frmList, QStringLiteral("Stream write error")); },
                    QStringLiteral("error-box"));

    // "Vergleichen..." with the earlier list chosen in the open dialog.
    const QTemporaryDir folder;
    const QString earlier = folder.filePath(QStringLiteral("dokumente-2023.txt"));
    if (SaveEarlierListing(earlier)) {
        OpenDialogSeam().setNextAnswer({true, earlier, {}});
        shots.saveModal([] { frmList->btnCompare->click(); }, QStringLiteral("compare-window"));
        // The same after a cancelled run: the note on what the list lacks opens the report,
        // wrapped to the window's width.
        RunOutcome cancelled;
        cancelled.setCancelled();
        frmList->setOutcome(cancelled);
        OpenDialogSeam().setNextAnswer({true, earlier, {}});
        shots.saveModal([] { frmList->btnCompare->click(); },
                        QStringLiteral("compare-window-cancelled"));
        frmList->setOutcome(RunOutcome());
    }
    DestroyFolderInventoryWindows();
}
