#include "ProgressLine.h"

#include "base/PathText.h"
#include "base/Utf8Text.h"
#include "output/FdOutput.h"

#include <cwchar>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr qint64 redrawIntervalMs = 100;
constexpr int fallbackColumns = 80;
const QString searchPrefix = QStringLiteral("Suchen in ");
const std::u32string ellipsis = U"...";

// Columns a character takes; wide East Asian characters take two where the locale knows them.
int characterWidth(char32_t c) {
    const int width = ::wcwidth(static_cast<wchar_t>(c));
    return width < 0 ? 1 : width;
}

int textWidth(const std::u32string& text) {
    int width = 0;
    for (const char32_t c : text)
        width += characterWidth(c);
    return width;
}

// C0 and C1 control characters and DEL could move the cursor or start an escape sequence.
std::u32string safeText(const QString& text) {
    return ShownText(text, ControlCharacters::Terminal).toStdU32String();
}

// The longest start of `text` that fits into `columns`.
std::u32string headFitting(const std::u32string& text, int columns) {
    std::size_t end = 0;
    for (int used = 0; end < text.size(); ++end) {
        used += characterWidth(text[end]);
        if (used > columns)
            break;
    }
    return text.substr(0, end);
}

// The longest end of `text` that fits into `columns`.
std::u32string tailFitting(const std::u32string& text, int columns) {
    std::size_t start = text.size();
    for (int used = 0; start > 0; --start) {
        used += characterWidth(text[start - 1]);
        if (used > columns)
            break;
    }
    return text.substr(start);
}

} // namespace

QString FitProgressText(const QString& foundCaption, const QString& searchCaption, int columns) {
    const bool hasPrefix = searchCaption.startsWith(searchPrefix);
    const std::u32string head =
        safeText(foundCaption + QStringLiteral("  ") + (hasPrefix ? searchPrefix : QString()));
    const std::u32string folder =
        safeText(hasPrefix ? searchCaption.mid(searchPrefix.size()) : searchCaption);
    std::u32string text = head + folder;
    if (textWidth(text) > columns) {
        const int room = columns - textWidth(head) - textWidth(ellipsis);
        text = room > 0 ? head + ellipsis + tailFitting(folder, room) : headFitting(text, columns);
    }
    return QString::fromStdU32String(text);
}

ProgressLine::ProgressLine(int fd) : fd_(fd) {}

void ProgressLine::setSearchCaption(const QString& caption) {
    searchCaption_ = caption;
    changed_ = true;
}

void ProgressLine::setFoundCaption(const QString& caption) {
    foundCaption_ = caption;
    changed_ = true;
}

void ProgressLine::setReadCaption(const QString& caption) {
    readCaption_ = caption;
    changed_ = true;
}

void ProgressLine::refresh() {
    if (changed_ && (!sinceDraw_.isValid() || sinceDraw_.elapsed() >= redrawIntervalMs))
        draw();
}

// The last column stays free: writing into it makes some terminals wrap at once.
void ProgressLine::draw() {
    const QString found = readCaption_.isEmpty()
                              ? foundCaption_
                              : readCaption_ + QStringLiteral("  ") + foundCaption_;
    const QString text = FitProgressText(found, searchCaption_, columns() - 1);
    const QByteArray line = "\r" + text.toUtf8() + "\x1b[K";
    WriteAll(fd_, std::string_view(line.constData(), static_cast<std::size_t>(line.size())));
    visible_ = true;
    changed_ = false;
    sinceDraw_.start();
}

void ProgressLine::erase() {
    if (!visible_)
        return;
    WriteAll(fd_, "\r\x1b[K");
    visible_ = false;
    // Whatever was shown comes back at the next refresh.
    changed_ = true;
}

int ProgressLine::columns() const {
    winsize size{};
    if (::ioctl(fd_, TIOCGWINSZ, &size) == 0 && size.ws_col > 1)
        return size.ws_col;
    return fallbackColumns;
}
