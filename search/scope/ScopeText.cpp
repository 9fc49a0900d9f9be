#include "scope/ScopeText.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QTimeZone>

namespace {

// The digits at the start of `text`, as a number; nothing when there are none or they overflow.
std::optional<std::int64_t> leadingNumber(const QString& text, qsizetype& digits) {
    std::int64_t value = 0;
    digits = 0;
    while (digits < text.size() && text.at(digits) >= QLatin1Char('0') &&
           text.at(digits) <= QLatin1Char('9')) {
        const int digit = text.at(digits).unicode() - '0';
        if (__builtin_mul_overflow(value, 10, &value) ||
            __builtin_add_overflow(value, digit, &value))
            return std::nullopt;
        ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    return value;
}

const QString tooLarge = QStringLiteral("die Zahl ist zu groß");

std::optional<std::int64_t> scaled(std::int64_t value, std::int64_t unit, QString& error) {
    std::int64_t result = 0;
    if (__builtin_mul_overflow(value, unit, &result)) {
        error = tooLarge;
        return std::nullopt;
    }
    return result;
}

// A date and time with nothing but whole seconds, in local time unless the text gives an offset.
std::optional<FileTime> parseDateTime(QString text) {
    if (text.size() > 10 && text.at(10) == QLatin1Char(' '))
        text[10] = QLatin1Char('T');
    QDateTime time;
    if (text.size() == 10) {
        const QDate date = QDate::fromString(text, Qt::ISODate);
        if (date.isValid())
            time = QDateTime(date, QTime(0, 0));
    } else if (text.size() > 10 && text.at(10) == QLatin1Char('T')) {
        time = QDateTime::fromString(text, Qt::ISODate);
    }
    if (!time.isValid() || time.time().msec() != 0 || text.contains(QLatin1Char('.')))
        return std::nullopt;
    return FileTime{time.toSecsSinceEpoch(), 0};
}

} // namespace

std::optional<std::int64_t> ParseDepthText(const QString& text, QString& error) {
    qsizetype digits = 0;
    const std::optional<std::int64_t> value = leadingNumber(text, digits);
    if (digits == text.size() && digits > 0 && !value) {
        error = tooLarge;
        return std::nullopt;
    }
    if (!value || digits != text.size()) {
        error = QStringLiteral("erwartet wird eine ganze Zahl ab 0");
        return std::nullopt;
    }
    return value;
}

std::optional<std::int64_t> ParseSizeText(const QString& text, QString& error) {
    qsizetype digits = 0;
    const std::optional<std::int64_t> value = leadingNumber(text, digits);
    const QString suffix = text.mid(digits).toLower();
    static const QString suffixes = QStringLiteral("kmgt");
    const qsizetype power = suffix.size() == 1 ? suffixes.indexOf(suffix) : -1;
    if (digits == 0 || (!suffix.isEmpty() && power < 0)) {
        error = QStringLiteral("erwartet wird eine Größe in Bytes, auch mit k, M, G oder T "
                               "(1024, 1024², 1024³, 1024⁴ Bytes)");
        return std::nullopt;
    }
    if (!value) {
        error = tooLarge;
        return std::nullopt;
    }
    return scaled(*value, std::int64_t{1} << (10 * (power + 1)), error);
}

std::optional<FileTime> ParseWhenText(const QString& text, FileTime now, QString& error) {
    if (const std::optional<FileTime> time = parseDateTime(text))
        return time;
    qsizetype digits = 0;
    const std::optional<std::int64_t> count = leadingNumber(text, digits);
    const QString unit = text.mid(digits);
    static const std::pair<QString, std::int64_t> units[] = {
        {QStringLiteral("s"), 1},     {QStringLiteral("min"), 60},      {QStringLiteral("h"), 3600},
        {QStringLiteral("d"), 86400}, {QStringLiteral("w"), 7 * 86400},
    };
    for (const auto& [name, seconds] : units) {
        if (digits == 0 || unit != name)
            continue;
        std::int64_t back = 0;
        if (!count || __builtin_mul_overflow(*count, seconds, &back) ||
            __builtin_sub_overflow(now.seconds, back, &back)) {
            error = tooLarge;
            return std::nullopt;
        }
        return FileTime{back, 0};
    }
    error = QStringLiteral("erwartet wird ein Datum (JJJJ-MM-TT), Datum und Uhrzeit "
                           "(JJJJ-MM-TTThh:mm[:ss]) oder eine Zeitspanne wie 30d, 12h "
                           "(s, min, h, d, w)");
    return std::nullopt;
}

QString ScopeTimeText(FileTime time) {
    const QDateTime local = QDateTime::fromSecsSinceEpoch(time.seconds);
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

std::optional<FileTime> ParseScopeTimeText(const QString& text) {
    return parseDateTime(text);
}
