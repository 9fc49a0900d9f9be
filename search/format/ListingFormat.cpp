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
    const std::size_t shown = AppendDisplayText(line, rawName);
    padTo(line, directoryMark.size() + shown, nameWidth);
    lines.finishLine();
}

void AppendFileLine(LineSink& lines, std::int64_t size, std::string_view rawName) {
    std::string& line = lines.beginLine();
    AppendPaddedNumber(line, size, fileNumberWidth);
    line.append(columnGap);
    const std::size_t shown = AppendDisplayText(line, rawName);
    padTo(line, shown, nameWidth);
    lines.finishLine();
}

void AppendFolderSum(LineSink& lines, std::int64_t files, std::int64_t bytes) {
    lines.append(std::string_view());
    std::string& line = lines.beginLine();
    appendNumber(line, files);
    line.append(folderSumFiles);
    appendNumber(line, bytes);
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

QString FormatMegabytes(std::int64_t bytes, const QString& decimalSeparator) {
    // bytes / 1048576 in hundredths, rounded half away from zero on the exact quotient. Whole
    // megabytes and the remainder are taken apart so that no total can overflow.
    constexpr std::uint64_t bytesPerMegabyte = 1048576;
    const bool negative = bytes < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(bytes) : static_cast<std::uint64_t>(bytes);
    const std::uint64_t remainder = magnitude % bytesPerMegabyte;
    const std::uint64_t hundredths = magnitude / bytesPerMegabyte * 100 +
                                     (remainder * 100 + bytesPerMegabyte / 2) / bytesPerMegabyte;
    QString text = negative && hundredths != 0 ? QStringLiteral("-") : QString();
    text += QString::number(hundredths / 100);
    text += decimalSeparator;
    text += QStringLiteral("%1").arg(hundredths % 100, 2, 10, QLatin1Char('0'));
    return text;
}

QString CurrentDecimalSeparator() {
    const QString separator = QLocale().decimalPoint();
    return separator.isEmpty() ? QStringLiteral(".") : separator;
}

void AppendTotalsFooter(LineSink& lines, std::int64_t files, std::int64_t bytes,
                        std::int64_t folders, const QString& decimalSeparator) {
    for (std::size_t i = 0; i < blankLinesBeforeFooter; ++i)
        lines.append(std::string_view());
    std::string& totals = lines.beginLine();
    AppendPaddedNumber(totals, files, totalsNumberWidth);
    totals.append(ListingLayout::totalFiles);
    appendNumber(totals, bytes);
    totals.append(ListingLayout::totalBytes);
    totals.append(FormatMegabytes(bytes, decimalSeparator).toStdString());
    totals.append(totalMegabytes);
    lines.finishLine();
    std::string& folderLine = lines.beginLine();
    AppendPaddedNumber(folderLine, folders, totalsNumberWidth);
    folderLine.append(ListingLayout::totalFolders);
    lines.finishLine();
}
