#include "base/FileTime.h"

#include <ctime>
#include <sys/stat.h>

namespace {

constexpr std::int64_t secondsPerDay = 86400;

struct CivilTime {
    std::int64_t year;
    int month; // 1 to 12
    int day;   // 1 to 31
    int hour;
    int minute;
    int second;
};

std::int64_t floorDivide(std::int64_t value, std::int64_t divisor) {
    const std::int64_t quotient = value / divisor;
    return value % divisor < 0 ? quotient - 1 : quotient;
}

// The proleptic Gregorian calendar in whole days from 1970-01-01, for every 64-bit count of
// seconds (the algorithms of Howard Hinnant's "chrono-compatible low-level date algorithms").
CivilTime civilFromSeconds(std::int64_t seconds) {
    const std::int64_t days = floorDivide(seconds, secondsPerDay);
    // The remainder rather than seconds - days * secondsPerDay: on the first day that 64 bits
    // reach, that product alone would pass their range.
    const std::int64_t remainder = seconds % secondsPerDay;
    const std::int64_t secondOfDay = remainder < 0 ? remainder + secondsPerDay : remainder;
    const std::int64_t z = days + 719468;
    const std::int64_t era = floorDivide(z, 146097);
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    CivilTime civil{};
    civil.day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    civil.month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    civil.year = yearOfEra + era * 400 + (civil.month <= 2 ? 1 : 0);
    civil.hour = static_cast<int>(secondOfDay / 3600);
    civil.minute = static_cast<int>(secondOfDay / 60 % 60);
    civil.second = static_cast<int>(secondOfDay % 60);
    return civil;
}

std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = floorDivide(year, 400);
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

bool isLeapYear(std::int64_t year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int daysInMonth(std::int64_t year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

// `value` (not negative) in at least `width` digits, zero-filled.
void appendDigits(std::string& out, std::int64_t value, int width) {
    char digits[24];
    char* start = std::end(digits);
    do {
        *--start = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (std::end(digits) - start < width)
        *--start = '0';
    out.append(start, std::end(digits));
}

// Four digits for the years 0 to 9999, a sign and at least four digits for the others.
void appendYear(std::string& out, std::int64_t year) {
    if (year < 0 || year > 9999) {
        out.push_back(year < 0 ? '-' : '+');
        appendDigits(out, year < 0 ? -year : year, 4);
        return;
    }
    appendDigits(out, year, 4);
}

void appendCivil(std::string& out, const CivilTime& civil, char betweenDateAndTime) {
    appendYear(out, civil.year);
    out.push_back('-');
    appendDigits(out, civil.month, 2);
    out.push_back('-');
    appendDigits(out, civil.day, 2);
    out.push_back(betweenDateAndTime);
    appendDigits(out, civil.hour, 2);
    out.push_back(':');
    appendDigits(out, civil.minute, 2);
    out.push_back(':');
    appendDigits(out, civil.second, 2);
}

// Reads exactly `count` digits at `pos`.
bool readDigits(std::string_view text, std::size_t& pos, std::size_t count, std::int64_t& value) {
    if (pos + count > text.size())
        return false;
    value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    pos += count;
    return true;
}

bool readSeparator(std::string_view text, std::size_t& pos, char separator) {
    if (pos >= text.size() || text[pos] != separator)
        return false;
    ++pos;
    return true;
}

// The fraction of a second after its "." up to the closing "Z": nine digits, or six.
bool readFraction(std::string_view text, std::size_t& pos, std::int64_t& nanoseconds) {
    const std::size_t end = text.find('Z', pos);
    const std::size_t digits = end == std::string_view::npos ? 0 : end - pos;
    if (digits != 9 && digits != 6)
        return false;
    if (!readDigits(text, pos, digits, nanoseconds))
        return false;
    nanoseconds *= digits == 6 ? 1000 : 1;
    return true;
}

// A year as appendYear writes it; at most twelve digits, so no day count can overflow.
bool readYear(std::string_view text, std::size_t& pos, std::int64_t& year) {
    const bool signedYear = pos < text.size() && (text[pos] == '+' || text[pos] == '-');
    const bool negative = signedYear && text[pos] == '-';
    pos += signedYear ? 1 : 0;
    std::size_t digits = 0;
    while (pos + digits < text.size() && text[pos + digits] >= '0' && text[pos + digits] <= '9')
        ++digits;
    if (digits < 4 || digits > 12 || (!signedYear && digits != 4))
        return false;
    if (!readDigits(text, pos, digits, year))
        return false;
    year = negative ? -year : year;
    // A signed year is one that needs its sign; "+2026" is not written.
    return !signedYear || year < 0 || year > 9999;
}

} // namespace

FileTime CurrentTime() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return FileTime{static_cast<std::int64_t>(now.tv_sec), static_cast<std::int32_t>(now.tv_nsec)};
}

FileTime ModificationTimeOf(const struct stat& st) {
    return FileTime{static_cast<std::int64_t>(st.st_mtim.tv_sec),
                    static_cast<std::int32_t>(st.st_mtim.tv_nsec)};
}

void AppendUtcSeconds(std::string& out, FileTime time) {
    appendCivil(out, civilFromSeconds(time.seconds), 'T');
    out.push_back('Z');
}

// The entries of a folder mostly share their second, so the text of the last second written
// (on this thread) is kept and only the fraction is made anew.
void AppendUtcTimestamp(std::string& out, FileTime time, TimeFraction fraction) {
    thread_local std::int64_t lastSeconds = 0;
    thread_local std::string lastText = "1970-01-01T00:00:00.";
    if (time.seconds != lastSeconds) {
        lastText.clear();
        appendCivil(lastText, civilFromSeconds(time.seconds), 'T');
        lastText.push_back('.');
        lastSeconds = time.seconds;
    }
    out.append(lastText);
    if (fraction == TimeFraction::Microseconds)
        appendDigits(out, time.nanoseconds / 1000, 6);
    else
        appendDigits(out, time.nanoseconds, 9);
    out.push_back('Z');
}

// Before 1970 a second with nanoseconds is counted from its end, so that the earliest time 64 bits
// hold does not pass their range on the way.
std::optional<std::int64_t> NanosecondsSinceEpoch(FileTime time) {
    constexpr std::int64_t perSecond = 1000000000;
    const bool fromEnd = time.seconds < 0 && time.nanoseconds > 0;
    std::int64_t nanoseconds = 0;
    if (__builtin_mul_overflow(time.seconds + (fromEnd ? 1 : 0), perSecond, &nanoseconds) ||
        __builtin_add_overflow(nanoseconds, time.nanoseconds - (fromEnd ? perSecond : 0),
                               &nanoseconds))
        return std::nullopt;
    return nanoseconds;
}

FileTime FromNanosecondsSinceEpoch(std::int64_t nanoseconds) {
    constexpr std::int64_t perSecond = 1000000000;
    // The remainder, not seconds * perSecond, which passes the range for the earliest count.
    std::int64_t rest = nanoseconds % perSecond;
    if (rest < 0)
        rest += perSecond;
    return FileTime{floorDivide(nanoseconds, perSecond), static_cast<std::int32_t>(rest)};
}

void AppendLocalTime(std::string& out, FileTime time) {
    const auto seconds = static_cast<std::time_t>(time.seconds);
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr) {
        // Beyond what the C library can convert: shown in UTC, which is still a date.
        appendCivil(out, civilFromSeconds(time.seconds), ' ');
        return;
    }
    const CivilTime civil{std::int64_t{local.tm_year} + 1900,
                          local.tm_mon + 1,
                          local.tm_mday,
                          local.tm_hour,
                          local.tm_min,
                          local.tm_sec};
    appendCivil(out, civil, ' ');
}

std::string LocalTimeText(FileTime time) {
    std::string text;
    AppendLocalTime(text, time);
    return text;
}

namespace {

std::optional<FileTime> parseWhole(std::string_view text) {
    std::size_t pos = 0;
    std::int64_t year = 0;
    std::int64_t month = 0;
    std::int64_t day = 0;
    std::int64_t hour = 0;
    std::int64_t minute = 0;
    std::int64_t second = 0;
    if (!readYear(text, pos, year) || !readSeparator(text, pos, '-') ||
        !readDigits(text, pos, 2, month) || !readSeparator(text, pos, '-') ||
        !readDigits(text, pos, 2, day) || !readSeparator(text, pos, 'T') ||
        !readDigits(text, pos, 2, hour) || !readSeparator(text, pos, ':') ||
        !readDigits(text, pos, 2, minute) || !readSeparator(text, pos, ':') ||
        !readDigits(text, pos, 2, second))
        return std::nullopt;
    std::int64_t nanoseconds = 0;
    if (pos < text.size() && text[pos] == '.' &&
        (!readSeparator(text, pos, '.') || !readFraction(text, pos, nanoseconds)))
        return std::nullopt;
    if (!readSeparator(text, pos, 'Z') || pos != text.size())
        return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, static_cast<int>(month)) ||
        hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    // Twelve digits of years can pass the seconds that 64 bits hold. Before 1970 the day is
    // counted from its end, so that the first day that 64 bits reach does not pass their range
    // on the way.
    const std::int64_t days = daysFromCivil(year, static_cast<int>(month), static_cast<int>(day));
    const std::int64_t fromEnd = days < 0 ? 1 : 0;
    std::int64_t seconds = 0;
    if (__builtin_mul_overflow(days + fromEnd, secondsPerDay, &seconds) ||
        __builtin_add_overflow(
            seconds, hour * 3600 + minute * 60 + second - fromEnd * secondsPerDay, &seconds))
        return std::nullopt;
    return FileTime{seconds, static_cast<std::int32_t>(nanoseconds)};
}

} // namespace

// The times of a list mostly share their minute with the time before, so the start of the last
// time with a fraction read (on this thread) is kept, and a time that starts the same way only has
// its seconds and its fraction read.
std::optional<FileTime> ParseUtcTimestamp(std::string_view text) {
    // "2026-12-08T06:43:18.123456789Z" or "2026-12-08T06:43:18.123456Z"
    constexpr std::size_t nanosecondLength = 30;
    constexpr std::size_t microsecondLength = 27;
    constexpr std::size_t minuteLength = 17;
    thread_local std::string lastMinute;
    thread_local std::int64_t lastMinuteSeconds = 0;
    // Only a year of four digits puts the "T" at 10 (a signed year of seven digits and six of
    // the fraction would have the length of a time with nine).
    const bool fullLength =
        (text.size() == nanosecondLength || text.size() == microsecondLength) && text[10] == 'T';
    if (fullLength && text.substr(0, minuteLength) == lastMinute) {
        std::size_t pos = minuteLength;
        std::int64_t second = 0;
        std::int64_t nanoseconds = 0;
        if (readDigits(text, pos, 2, second) && second <= 59 && readSeparator(text, pos, '.') &&
            readFraction(text, pos, nanoseconds) && readSeparator(text, pos, 'Z') &&
            pos == text.size())
            return FileTime{lastMinuteSeconds + second, static_cast<std::int32_t>(nanoseconds)};
        return std::nullopt;
    }
    const std::optional<FileTime> time = parseWhole(text);
    if (time && fullLength) {
        lastMinute.assign(text.substr(0, minuteLength));
        lastMinuteSeconds = time->seconds - ((text[17] - '0') * 10 + (text[18] - '0'));
    }
    return time;
}
