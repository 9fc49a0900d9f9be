// The snapshot's header: HTML that shows, also without the script, what the page holds.

#include "base/PathText.h"
#include "base/Utf8Text.h"
#include "snapshot/SnapshotParts.h"
#include "snapshot/SnapshotText.h"
#include "snapshot/SnapshotTree.h"

#include <cstring>

namespace {

std::string bytesOf(const QString& settingsText) {
    return PathTextBytes(settingsText).toStdString();
}

void addTerm(PageLines& page, std::string_view term) {
    page.add("<dt>");
    page.add(term);
    page.add("</dt>");
    page.endLine();
}

void writeFolders(PageLines& page, const TSearchFiles& settings) {
    addTerm(page, "Suchverzeichnisse");
    page.add("<dd><ul>");
    page.endLine();
    for (qsizetype i = 0; i < settings.Folders.size(); ++i) {
        std::string& line = page.line();
        line.append("<li>");
        AppendHtml(line, bytesOf(settings.Folders.at(i)));
        line.append(IsFolderRecursive(settings, i) ? " (mit Unterverzeichnissen)"
                                                   : " (ohne Unterverzeichnisse)");
        line.append("</li>");
        page.endLine();
    }
    page.add("</ul></dd>");
    page.endLine();
}

// The time in the writer's local time; the page's script shows it in the reader's.
void writeCreated(PageLines& page, FileTime created) {
    addTerm(page, "Erstellt");
    std::string& line = page.line();
    line.append("<dd><time id=\"erstellt\" datetime=\"");
    AppendUtcSeconds(line, created);
    line.append("\">");
    AppendLocalTime(line, created);
    line.append("</time></dd>");
    page.endLine();
}

void writeTotals(PageLines& page, const SnapshotTree& tree) {
    std::int64_t files = 0;
    std::int64_t bytes = 0;
    for (const int top : tree.tops()) {
        files += tree.folder(top).totalFiles;
        bytes += tree.folder(top).totalBytes;
    }
    const auto folders = static_cast<std::int64_t>(tree.folderCount());
    addTerm(page, "Insgesamt");
    std::string& line = page.line();
    line.append("<dd id=\"insgesamt\">");
    line.append(GroupedNumber(files) + (files == 1 ? " Datei in " : " Dateien in "));
    line.append(GroupedNumber(folders) + (folders == 1 ? " Verzeichnis, " : " Verzeichnissen, "));
    line.append(GroupedNumber(bytes) + " Bytes (" + ByteUnits(bytes) + ")</dd>");
    page.endLine();
}

// A line per folder or file: what is missing, the path and why (`unchanged` for no error).
void writeLeftOut(PageLines& page, const std::vector<RunOutcome::Folder>& folders,
                  std::string_view what, std::string_view unchanged = {}) {
    for (const RunOutcome::Folder& folder : folders) {
        std::string& line = page.line();
        line.append("<li>");
        line.append(what);
        AppendHtml(line, folder.path.toStdString());
        if (folder.error != 0) {
            line.append(": ");
            AppendHtml(line, QString::fromLocal8Bit(std::strerror(folder.error)).toStdString());
        } else if (!unchanged.empty()) {
            line.append(": ");
            line.append(unchanged);
        }
        line.append("</li>");
        page.endLine();
    }
}

// What the list lacks: a cancel, every folder or size that could not be read, every loop and
// every file without its digest.
void writeGaps(PageLines& page, const RunOutcome& outcome) {
    if (outcome.complete())
        return;
    QString summary = outcome.summary();
    summary[0] = summary[0].toUpper();
    std::string& line = page.line();
    line.append("<div class=\"unvollstaendig\" role=\"alert\" id=\"luecken\"><strong>");
    AppendHtml(line, summary.toStdString());
    line.append("</strong>");
    if (outcome.cancelled())
        line.append(" – die Suche wurde vor ihrem Ende angehalten, es können Einträge fehlen.");
    page.endLine();
    if (outcome.anyFolderLeftOut()) {
        page.add("<ul>");
        page.endLine();
        writeLeftOut(page, outcome.unreadableFolders(), "nicht lesbar: ");
        writeLeftOut(page, outcome.foldersWithUnreadableSizes(), "Größen nicht lesbar in ");
        writeLeftOut(page, outcome.loops(), "Dateisystemschleife, nicht erneut betreten: ");
        writeLeftOut(page, outcome.filesNotRead(), "ohne Prüfsumme: ", "beim Lesen geändert");
        page.add("</ul>");
        page.endLine();
    }
    page.add("</div>");
    page.endLine();
}

} // namespace

void PageLines::add(std::string_view text) {
    for (std::size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n')) {
        line_.append(text.substr(0, end));
        endLine();
        text.remove_prefix(end + 1);
    }
    line_.append(text);
}

void PageLines::endLine() {
    lines_.append(line_);
    line_.clear();
}

std::string SnapshotTitle(const TSearchFiles& settings) {
    std::string title = "Dateiübersicht";
    if (settings.Folders.isEmpty())
        return title;
    title.append(": ");
    AppendHtml(title, bytesOf(settings.Folders.constFirst()));
    if (settings.Folders.size() > 1)
        title.append(" und " + GroupedNumber(settings.Folders.size() - 1) + " weitere");
    return title;
}

void WriteSnapshotHeader(PageLines& page, const SnapshotHeader& header, const SnapshotTree& tree) {
    page.add("<h1>Dateiübersicht</h1>\n<dl>\n");
    writeFolders(page, header.settings);
    addTerm(page, "Suchmasken");
    std::string& masks = page.line();
    masks.append("<dd>");
    AppendHtml(masks, bytesOf(header.settings.Masks));
    masks.append("</dd>");
    page.endLine();
    writeCreated(page, header.created);
    writeTotals(page, tree);
    for (const HtmlSnapshot::Fact& fact : header.facts) {
        std::string& line = page.line();
        line.append("<dt>");
        AppendHtml(line, fact.label);
        line.append("</dt><dd>");
        AppendHtml(line, fact.value);
        line.append("</dd>");
        page.endLine();
    }
    page.add("</dl>\n");
    writeGaps(page, header.outcome);
}
