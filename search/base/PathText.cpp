#include "base/PathText.h"

#include "base/Utf8Text.h"

#include <string>
#include <string_view>

namespace {

constexpr char16_t firstByteSurrogate = 0xDC80;
constexpr char16_t lastByteSurrogate = 0xDCFF;

bool isByteSurrogate(char16_t c) {
    return c >= firstByteSurrogate && c <= lastByteSurrogate;
}

} // namespace

QString PathTextFromBytes(QByteArrayView bytes) {
    const std::string_view raw(bytes.data(), static_cast<std::size_t>(bytes.size()));
    QString text;
    text.reserve(bytes.size());
    for (std::size_t pos = 0; pos < raw.size();) {
        char32_t codePoint = 0;
        const std::size_t length = DecodeUtf8(raw.substr(pos), codePoint);
        if (length == 0) {
            const auto byte = static_cast<unsigned char>(raw[pos]);
            text.append(QChar(static_cast<char16_t>(0xDC00 + byte)));
            ++pos;
        } else {
            text.append(QChar::fromUcs4(codePoint));
            pos += length;
        }
    }
    return text;
}

QByteArray PathTextBytes(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            AppendUtf8(bytes, QChar::surrogateToUcs4(c, text.at(i + 1).unicode()));
            ++i;
        } else if (isByteSurrogate(c)) {
            bytes.push_back(static_cast<char>(c - 0xDC00));
        } else {
            AppendUtf8(bytes, QChar::isSurrogate(c) ? U'\uFFFD' : char32_t{c});
        }
    }
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString ShownPathText(QString text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (QChar::isSurrogate(c))
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

QString ShownText(const QString& text, ControlCharacters rule) {
    const QByteArray bytes = PathTextBytes(text);
    return QString::fromStdString(DisplayText(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), rule));
}
