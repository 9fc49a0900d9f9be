#include "FolderCaption.h"

#include <algorithm>
#include <climits>
#include <QFontMetrics>
#include <QLabel>
#include <QString>

namespace {

const QString ellipsis = QStringLiteral("…");

// Whether a text fits into the label as the label draws it: wrapped at its width, within its
// height.
class CaptionBox final {
public:
    explicit CaptionBox(const QLabel& label) : metrics_(label.font()), box_(label.contentsRect()) {}

    bool fits(const QString& text) const {
        const QRect needed =
            metrics_.boundingRect(QRect(0, 0, box_.width(), INT_MAX / 2),
                                  Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
        return needed.width() <= box_.width() && needed.height() <= box_.height();
    }

private:
    QFontMetrics metrics_;
    QRect box_;
};

// The first `count` characters of `text`, one fewer where that would split a surrogate pair.
QString startOf(const QString& text, int count) {
    if (count > 0 && count < text.size() && text.at(count - 1).isHighSurrogate())
        --count;
    return text.left(count);
}

// The last `count` characters of `text`, one fewer where that would split a surrogate pair.
QString endOf(const QString& text, int count) {
    const int start = static_cast<int>(text.size()) - count;
    if (count > 0 && start > 0 && text.at(start).isLowSurrogate())
        --count;
    return text.right(count);
}

// The largest n in [0, limit] for which `make(n)` fits, or -1 when not even make(0) does. The
// more characters, the more room a text takes, so a binary search finds it.
template <typename Make> int longestFitting(const CaptionBox& box, int limit, const Make& make) {
    if (!box.fits(make(0)))
        return -1;
    int low = 0;
    int high = limit;
    while (low < high) {
        const int middle = low + (high - low + 1) / 2;
        if (box.fits(make(middle)))
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

} // namespace

QString FitFolderCaption(const QString& caption, const QLabel& label) {
    const CaptionBox box(label);
    if (box.fits(caption))
        return caption;
    // "Suchen in " | /home/anna/…/ | /Nummer_7/
    const int pathStart = static_cast<int>(caption.indexOf(QLatin1Char('/')));
    const int nameStart = static_cast<int>(
        caption.lastIndexOf(QLatin1Char('/'), caption.endsWith(QLatin1Char('/')) ? -2 : -1));
    if (pathStart < 0 || nameStart < pathStart)
        return caption;
    const QString prefix = caption.left(pathStart);
    const QString between = caption.mid(pathStart, nameStart - pathStart);
    const QString deepest = caption.mid(nameStart);
    const auto shortenedMiddle = [&](int count) {
        return prefix + startOf(between, count) + ellipsis + deepest;
    };
    const auto shortenedEnd = [&](int count) { return prefix + ellipsis + endOf(deepest, count); };
    const int kept = longestFitting(box, static_cast<int>(between.size()), shortenedMiddle);
    if (kept >= 0)
        return shortenedMiddle(kept);
    const int shown = longestFitting(box, static_cast<int>(deepest.size()), shortenedEnd);
    return shortenedEnd(std::max(shown, 0));
}
