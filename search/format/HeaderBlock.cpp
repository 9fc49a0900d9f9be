#include "format/HeaderBlock.h"

#include "base/PathText.h"
#include "base/Utf8Text.h"
#include "format/ListingLayout.h"
#include "format/ScopeLines.h"

#include <string>
#include <string_view>

namespace {

// Shown by the listing's rule, so that every header entry stays one line (a line feed in a folder
// name becomes "?") and bytes that are not UTF-8 show as U+FFFD, as in the listing itself.
void appendShown(std::string& line, const QString& given) {
    const QByteArray bytes = PathTextBytes(given);
    AppendDisplayText(line, std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

} // namespace

void AppendHeaderBlock(const TSearchFiles& settings, LineSink& lines) {
    using namespace ListingLayout;
    for (const std::string_view title : titleLines)
        lines.append(title);
    lines.append(frameRule);
    lines.append(searchedFolders);
    for (qsizetype i = 0; i < settings.Folders.size(); ++i) {
        const bool recursive = IsFolderRecursive(settings, i);
        std::string& line = lines.beginLine();
        line.append(folderIndent);
        appendShown(line, settings.Folders.at(i));
        line.append(recursive ? withSubfolders : withoutSubfolders);
        lines.finishLine();
    }
    lines.append("");
    std::string& masks = lines.beginLine();
    masks.append(searchMasks);
    appendShown(masks, settings.Masks);
    lines.finishLine();
    AppendScopeLines(settings.Scope, lines);
    lines.append(frameRule);
}
