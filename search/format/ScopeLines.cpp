#include "format/ScopeLines.h"

#include "base/PathText.h"
#include "base/Utf8Text.h"
#include "format/ListingFormat.h"
#include "format/ListingLayout.h"
#include "scope/ScopeText.h"

#include <charconv>
#include <optional>
#include <string>

namespace {

using namespace ListingLayout;

void appendTime(std::string& line, FileTime time) {
    line.append(ScopeTimeText(time).toStdString());
}

// "<first><a>, <second><b>", or one half alone: the two ends of a range.
template <typename Value, typename Append>
void appendRange(LineSink& lines, std::string_view caption, std::string_view first,
                 const std::optional<Value>& a, std::string_view second,
                 const std::optional<Value>& b, Append&& append) {
    if (!a && !b)
        return;
    std::string& line = lines.beginLine();
    line.append(caption);
    if (a) {
        line.append(first);
        append(line, *a);
    }
    if (a && b)
        line.append(scopeAnd);
    if (b) {
        line.append(second);
        append(line, *b);
    }
    lines.finishLine();
}

std::optional<std::int64_t> number(std::string_view text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0)
        return std::nullopt;
    return value;
}

bool cut(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix))
        return false;
    text.remove_prefix(prefix.size());
    return true;
}

// The halves of "<first>X, <second>Y": either may be missing, not both.
bool splitRange(std::string_view text, std::string_view first, std::string_view second,
                std::string_view& a, std::string_view& b) {
    if (cut(text, first)) {
        const std::size_t comma = text.find(scopeAnd);
        a = text.substr(0, comma);
        if (comma == std::string_view::npos)
            return !a.empty();
        text.remove_prefix(comma + scopeAnd.size());
    }
    if (!text.empty() && !cut(text, second))
        return false;
    b = text;
    return !a.empty() || !b.empty();
}

std::optional<FileTime> time(std::string_view text) {
    return ParseScopeTimeText(QString::fromUtf8(text.data(), qsizetype(text.size())));
}

bool readSizes(std::string_view text, SearchScope& scope) {
    std::string_view a;
    std::string_view b;
    if (!splitRange(text, scopeAtLeast, scopeAtMost, a, b))
        return false;
    const auto bytes = [](std::string_view half) -> std::optional<std::int64_t> {
        if (!half.ends_with(scopeBytes))
            return std::nullopt;
        half.remove_suffix(scopeBytes.size());
        return number(half);
    };
    const std::optional<std::int64_t> least = a.empty() ? std::nullopt : bytes(a);
    const std::optional<std::int64_t> most = b.empty() ? std::nullopt : bytes(b);
    if ((!a.empty() && !least) || (!b.empty() && !most))
        return false;
    scope.MinSize = least;
    scope.MaxSize = most;
    return true;
}

bool readTimes(std::string_view text, SearchScope& scope) {
    std::string_view a;
    std::string_view b;
    if (!splitRange(text, scopeAfter, scopeUntil, a, b))
        return false;
    const std::optional<FileTime> after = a.empty() ? std::nullopt : time(a);
    const std::optional<FileTime> until = b.empty() ? std::nullopt : time(b);
    if ((!a.empty() && !after) || (!b.empty() && !until))
        return false;
    scope.NewerThan = after;
    scope.OlderThan = until;
    return true;
}

} // namespace

void AppendScopeLines(const SearchScope& scope, LineSink& lines) {
    if (scope.hasExclusions()) {
        std::string& line = lines.beginLine();
        line.append(scopeExclusions);
        const QByteArray masks = PathTextBytes(scope.Exclusions);
        AppendDisplayText(line, std::string_view(masks.constData(), std::size_t(masks.size())));
        lines.finishLine();
    }
    if (scope.OneFileSystem)
        lines.append(scopeOneFileSystem);
    if (scope.MaxDepth) {
        std::string& line = lines.beginLine();
        line.append(scopeDepth);
        AppendPaddedNumber(line, *scope.MaxDepth, 0);
        line.append(scopeDepthUnit);
        lines.finishLine();
    }
    const auto appendBytes = [](std::string& line, std::int64_t bytes) {
        AppendPaddedNumber(line, bytes, 0);
        line.append(scopeBytes);
    };
    appendRange(lines, scopeSize, scopeAtLeast, scope.MinSize, scopeAtMost, scope.MaxSize,
                appendBytes);
    appendRange(lines, scopeTime, scopeAfter, scope.NewerThan, scopeUntil, scope.OlderThan,
                appendTime);
}

bool ReadScopeLine(std::string_view line, SearchScope& scope) {
    if (cut(line, scopeExclusions)) {
        scope.Exclusions = QString::fromUtf8(line.data(), qsizetype(line.size()));
        return true;
    }
    if (line == scopeOneFileSystem) {
        scope.OneFileSystem = true;
        return true;
    }
    if (cut(line, scopeDepth)) {
        if (!line.ends_with(scopeDepthUnit))
            return false;
        line.remove_suffix(scopeDepthUnit.size());
        scope.MaxDepth = number(line);
        return scope.MaxDepth.has_value();
    }
    if (cut(line, scopeSize))
        return readSizes(line, scope);
    if (cut(line, scopeTime))
        return readTimes(line, scope);
    return false;
}
