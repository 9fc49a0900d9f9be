#include "SplitText.h"

QStringList SplitText(const QString& separator, const QString& text, int limit) {
    QStringList pieces;
    if (text.isEmpty() || limit < 0)
        return pieces;
    if (separator.isEmpty())
        return {text};

    qsizetype pos = 0;
    while (pos < text.size()) {
        const bool lastAllowed = limit > 0 && pieces.size() + 1 == limit;
        const qsizetype hit = lastAllowed ? -1 : text.indexOf(separator, pos, Qt::CaseSensitive);
        if (hit < 0) {
            pieces.append(text.mid(pos));
            break;
        }
        pieces.append(text.mid(pos, hit - pos));
        pos = hit + separator.size();
    }
    return pieces;
}
