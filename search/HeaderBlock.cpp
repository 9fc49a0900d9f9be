#include "HeaderBlock.h"

#include "PathText.h"

namespace {

const QString frameRule = QString(28, QLatin1Char('-'));

// Control characters (a line feed in a folder name, say) are shown as "?" so that every header
// entry stays one line, as in the listing itself; bytes that are not UTF-8 show as U+FFFD.
QString shown(const QString& given) {
    QString text = ShownPathText(given);
    for (QChar& c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char('?');
    }
    return text;
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
