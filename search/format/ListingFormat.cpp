#include "format/ListingFormat.h"

#include "base/Utf8Text.h"
#include "format/ListingLayout.h"

#include <charconv>
#include <QLocale>

namespace {

using namespace ListingLayout;

void appendNumber(std::string& out, std::int64_t value) {
    char digits[24];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), value);
    out.append(digits, result.ptr);
}

void padTo(std::string& out, std::size_t used, std::size_t width) {
    if (used < width)
        out.append(width - used, ' ');
}

} // namespace

void AppendPaddedNumber(std::string& out, std::int64_t value, std::size_t width) {
    const std::size_t before = out.size();
    appendNumber(out, value);
    padTo(out, out.size() - before, width);
}

void AppendFolderHeading(LineSink& lines, std::string_view rawFolderText) {
    for (std::size_t i = 0; i < blankLinesBeforeHeading; ++i)
        lines.append(std::string_view());
    std::string& line = lines.beginLine();
    line.append(folderHeading);
    AppendDisplayText(line, rawFolderText);
    lines.finishLine();
    lines.append(std::string_view());
}

void AppendDirectoryLine(LineSink& lines, std::string_view rawName) {
    std::string& line = lines.beginLine();
    AppendPaddedNumber(line, 0, directoryNumberWidth);
    line.append(columnGap);
    line.append(directoryMark);
    const std::size_t shown = directoryMark.size() + AppendDisplayText(line, rawName);
    lines.finishLine(shown < nameWidth ? nameWidth - shown : 0);
}

void AppendFileLine(LineSink& lines, std::int64_t size, std::string_view rawName) {
    std::string& line = lines.beginLine();
    AppendPaddedNumber(line, size, fileNumberWidth);
    line.append(columnGap);
    const std::size_t shown = AppendDisplayText(line, rawName);
    lines.finishLine(shown < nameWidth ? nameWidth - shown : 0);
}

void AppendFolderSum(LineSink& lines, std::int64_t files, ByteTotal bytes) {
    lines.append(std::string_view());
    std::string& line = lines.beginLine();
    appendNumber(line, files);
    line.append(folderSumFiles);
    AppendByteTotal(line, bytes);
    line.append(folderSumBytes);
    lines.finishLine();
}

std::string SimpleLineFolder(std::string_view rawFolderText, NameBytes bytes) {
    return bytes == NameBytes::Exact ? std::string(rawFolderText) : DisplayText(rawFolderText);
}

void AppendSimpleLine(LineSink& lines, std::string_view folder, std::string_view rawName,
                      bool fullPath, bool showExtensions, NameBytes bytes) {
    // The text is the folder text plus the name, or the part behind its last separator, which
    // is the name itself. The extension starts at the last "." unless a "/" comes after it; the
    // folder text ends in "/", so only a dot in the name can start one.
    std::string_view name = rawName;
    if (!showExtensions) {
        const std::size_t dot = name.rfind('.');
        if (dot != std::string_view::npos)
            name = name.substr(0, dot);
    }
    std::string& line = lines.beginLine();
    if (fullPath)
        line.append(folder);
    if (bytes == NameBytes::Exact)
        line.append(name);
    else
        AppendDisplayText(line, name);
    lines.finishLine();
}

QString FormatMegabytes(ByteTotal bytes, const QString& decimalSeparator) {
    // bytes / 1048576 in hundredths, rounded half away from zero on the exact quotient. Whole
    // megabytes and the remainder are taken apart so that no total can overflow.
    constexpr ByteTotal bytesPerMegabyte = 1048576;
    const ByteTotal remainder = bytes % bytesPerMegabyte;
    const ByteTotal hundredths = bytes / bytesPerMegabyte * 100 +
                                 (remainder * 100 + bytesPerMegabyte / 2) / bytesPerMegabyte;
    std::string whole;
    AppendByteTotal(whole, hundredths / 100);
    return QString::fromLatin1(whole.data(), qsizetype(whole.size())) + decimalSeparator +
           QStringLiteral("%1").arg(static_cast<int>(hundredths % 100), 2, 10, QLatin1Char('0'));
}

QString CurrentDecimalSeparator() {
    const QString separator = QLocale().decimalPoint();
    return separator.isEmpty() ? QStringLiteral(".") : separator;
}

void AppendCutShortLine(LineSink& lines) {
    lines.append(cutShortLine);
}

void AppendTotalsFooter(LineSink& lines, std::int64_t files, ByteTotal bytes, std::int64_t folders,
                        const QString& decimalSeparator) {
    for (std::size_t i = 0; i < blankLinesBeforeFooter; ++i)
        lines.append(std::string_view());
    std::string& totals = lines.beginLine();
    AppendPaddedNumber(totals, files, totalsNumberWidth);
    totals.append(ListingLayout::totalFiles);
    AppendByteTotal(totals, bytes);
    totals.append(ListingLayout::totalBytes);
    totals.append(FormatMegabytes(bytes, decimalSeparator).toStdString());
    totals.append(totalMegabytes);
    lines.finishLine();
    std::string& folderLine = lines.beginLine();
    AppendPaddedNumber(folderLine, folders, totalsNumberWidth);
    folderLine.append(ListingLayout::totalFolders);
    lines.finishLine();
}
