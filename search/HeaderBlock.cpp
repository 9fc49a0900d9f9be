#include "HeaderBlock.h"

#include "PathText.h"
#include "Utf8Text.h"

namespace {

const QString frameRule = QString(28, QLatin1Char('-'));

// Shown by the listing's rule, so that every header entry stays one line (a line feed in a folder
// name becomes "?") and bytes that are not UTF-8 show as U+FFFD, as in the listing itself.
QString shown(const QString& given) {
    return ShownText(given, ControlCharacters::Listing);
}

} // namespace

QStringList BuildHeaderBlock(const TSearchFiles& settings) {
    QStringList header{
        QStringLiteral("**    FolderInventory     **"),
        QStringLiteral("**  FolderInventory-Team  **"),
        QStringLiteral("**      Dateiliste        **"),
        frameRule,
        QStringLiteral("Suchverzeichnisse"),
    };
    for (qsizetype i = 0; i < settings.Folders.size(); ++i) {
        const bool recursive = i < settings.Recurse.size() && IsRecursive(settings.Recurse.at(i));
        header.append(QLatin1Char(' ') + shown(settings.Folders.at(i)) +
                      (recursive ? QStringLiteral(" [mit Unterverzeichnissen]")
                                 : QStringLiteral(" [ohne Unterverzeichnisse]")));
    }
    header.append(QString());
    header.append(QStringLiteral("Suchmasken: ") + shown(settings.Masks));
    header.append(frameRule);
    return header;
}
