#include "base/SplitText.h"

QStringList SplitText(const QString& separator, const QString& text) {
    QStringList pieces;
    if (text.isEmpty())
        return pieces;
    if (separator.isEmpty())
        return {text};

    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype hit = text.indexOf(separator, pos, Qt::CaseSensitive);
        if (hit < 0) {
            pieces.append(text.mid(pos));
            break;
        }
        pieces.append(text.mid(pos, hit - pos));
        pos = hit + separator.size();
    }
    return pieces;
}
