#include "HeaderBlock.h"

#include "PathText.h"
#include "Utf8Text.h"

#include <string>
#include <string_view>

namespace {

constexpr std::string_view frameRule = "----------------------------";

// Shown by the listing's rule, so that every header entry stays one line (a line feed in a folder
// name becomes "?") and bytes that are not UTF-8 show as U+FFFD, as in the listing itself.
void appendShown(std::string& line, const QString& given) {
    const QByteArray bytes = PathTextBytes(given);
    AppendDisplayText(line, std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

} // namespace

void AppendHeaderBlock(const TSearchFiles& settings, LineSink& lines) {
    lines.append("**    FolderInventory     **");
    lines.append("**  FolderInventory-Team  **");
    lines.append("**      Dateiliste        **");
    lines.append(frameRule);
    lines.append("Suchverzeichnisse");
    for (qsizetype i = 0; i < settings.Folders.size(); ++i) {
        const bool recursive = i < settings.Recurse.size() && IsRecursive(settings.Recurse.at(i));
        std::string& line = lines.beginLine();
        line.append(" ");
        appendShown(line, settings.Folders.at(i));
        line.append(recursive ? " [mit Unterverzeichnissen]" : " [ohne Unterverzeichnisse]");
        lines.finishLine();
    }
    lines.append("");
    std::string& masks = lines.beginLine();
    masks.append("Suchmasken: ");
    appendShown(masks, settings.Masks);
    lines.finishLine();
    lines.append(frameRule);
}
