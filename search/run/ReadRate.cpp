#include "run/ReadRate.h"

#include <algorithm>
#include <QLocale>

namespace {

// A span shorter than this says little about the rate; each new span weighs this much.
constexpr std::chrono::milliseconds shortestSpan(250);
constexpr double newWeight = 0.3;

QString withUnit(double value, const char* unit) {
    return QLocale::system().toString(value, 'f', value < 10 ? 1 : 0) + QLatin1Char(' ') +
           QLatin1String(unit);
}

} // namespace

void ReadRate::update(std::int64_t bytesRead, Clock::time_point now) {
    if (!since_) {
        since_ = now;
        bytesSince_ = bytesRead;
        return;
    }
    const auto span = now - *since_;
    if (span < shortestSpan)
        return;
    const double seconds = std::chrono::duration<double>(span).count();
    const double measured = static_cast<double>(bytesRead - bytesSince_) / seconds;
    rate_ = rate_ == 0 ? measured : (1 - newWeight) * rate_ + newWeight * measured;
    since_ = now;
    bytesSince_ = bytesRead;
}

std::optional<std::chrono::seconds> ReadRate::timeLeft(std::int64_t bytesLeft) const {
    if (rate_ <= 0)
        return std::nullopt;
    const double seconds = static_cast<double>(std::max<std::int64_t>(bytesLeft, 0)) / rate_;
    return std::chrono::seconds(static_cast<std::int64_t>(std::min(seconds, 1e9) + 0.5));
}

QString ShownByteCount(std::int64_t bytes) {
    const auto value = static_cast<double>(bytes);
    if (bytes >= 1000LL * 1000 * 1000)
        return withUnit(value / 1e9, "GB");
    if (bytes >= 1000LL * 1000)
        return withUnit(value / 1e6, "MB");
    if (bytes >= 1000)
        return withUnit(value / 1e3, "KB");
    return QStringLiteral("%1 Bytes").arg(bytes);
}

QString TimeLeftText(std::chrono::seconds left) {
    const std::int64_t total = left.count();
    const auto two = [](std::int64_t n) {
        return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
    };
    if (total < 60)
        return QStringLiteral("noch %1 s").arg(total);
    if (total < 3600)
        return QStringLiteral("noch %1:%2 min").arg(total / 60).arg(two(total % 60));
    return QStringLiteral("noch %1:%2:%3 h")
        .arg(total / 3600)
        .arg(two(total / 60 % 60))
        .arg(two(total % 60));
}

QString ReadProgressText(std::int64_t bytesRead, std::int64_t bytesFound, const ReadRate& rate) {
    QString text = ShownByteCount(bytesRead);
    if (bytesFound >= 0)
        text += QStringLiteral(" von ") + ShownByteCount(std::max(bytesFound, bytesRead));
    text += QStringLiteral(" gelesen");
    if (rate.bytesPerSecond() > 0) {
        text += QStringLiteral(", ") +
                ShownByteCount(static_cast<std::int64_t>(rate.bytesPerSecond())) +
                QStringLiteral("/s");
    }
    if (const std::optional<std::chrono::seconds> left = rate.timeLeft(bytesFound - bytesRead);
        bytesFound >= 0 && left)
        text += QStringLiteral(", ") + TimeLeftText(*left);
    return text;
}
