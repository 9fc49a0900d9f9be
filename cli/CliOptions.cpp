#include "CliOptions.h"

#include "base/FileTime.h"
#include "base/PathText.h"
#include "CliOptionTable.h"
#include "scope/ScopeText.h"

#include <string_view>

namespace {

std::string_view view(const QByteArray& bytes) {
    return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// An argument as a message shows it: bytes that are not UTF-8 as U+FFFD.
QString shown(const QByteArray& bytes) {
    return ShownPathText(PathTextFromBytes(bytes));
}

const CliOptionSpec* findShort(char name) {
    for (const CliOptionSpec& entry : CliOptionTable()) {
        if (entry.shortNames.find(name) != std::string_view::npos)
            return &entry;
    }
    return nullptr;
}

const CliOptionSpec* findLong(std::string_view name) {
    for (const CliOptionSpec& entry : CliOptionTable()) {
        if (entry.longName == name)
            return &entry;
    }
    return nullptr;
}

// Walks the arguments once, front to back, so that -r and -n act on the folders behind them.
class CliParser final {
public:
    explicit CliParser(const QByteArrayList& arguments) : arguments_(arguments) {}

    CliParseResult parse();

private:
    void parseArgument(const QByteArray& argument);
    void parseLong(const QByteArray& argument);
    void parseShortBundle(const QByteArray& argument);
    bool takeNextValue(const QString& shownName, QByteArray& value);
    bool acceptValue(const CliOptionSpec& entry, const QString& shownName, const QByteArray& value);
    void apply(const CliOptionSpec& entry, const QByteArray& value);
    void applyScope(const CliOptionSpec& entry, const QByteArray& value);
    void checkRanges();
    void fail(const QString& message);

    const QByteArrayList& arguments_;
    qsizetype next_ = 0;
    bool recursive_ = true;
    bool optionsEnded_ = false;
    CliParseResult result_;
    const FileTime now_ = CurrentTime();
    // The option and value as given that set each end of the size and time ranges.
    QString minSize_;
    QString maxSize_;
    QString newer_;
    QString older_;
};

CliParseResult CliParser::parse() {
    while (next_ < arguments_.size() && result_.error.isEmpty())
        parseArgument(arguments_.at(next_++));
    if (result_.error.isEmpty())
        checkRanges();
    if (result_.error.isEmpty() && result_.options.folders.empty()) {
        result_.options.folders.push_back({".", recursive_});
        result_.options.folderDefaulted = true;
    }
    return result_;
}

void CliParser::parseArgument(const QByteArray& argument) {
    if (optionsEnded_ || argument.size() < 2 || argument.front() != '-') {
        // A lone "-" is an ordinary folder name, as is everything behind "--".
        result_.options.folders.push_back({argument, recursive_});
    } else if (argument == "--") {
        optionsEnded_ = true;
    } else if (argument.startsWith("--")) {
        parseLong(argument);
    } else {
        parseShortBundle(argument);
    }
}

void CliParser::parseLong(const QByteArray& argument) {
    const qsizetype equals = argument.indexOf('=');
    const QByteArray name = argument.mid(2, equals < 0 ? -1 : equals - 2);
    const QString shownName = QStringLiteral("--") + shown(name);
    const CliOptionSpec* entry = findLong(view(name));
    if (!entry)
        return fail(QStringLiteral("unbekannte Option \"%1\"").arg(shownName));
    QByteArray value;
    if (!entry->argumentName.empty()) {
        if (equals >= 0)
            value = argument.mid(equals + 1);
        else if (!takeNextValue(shownName, value))
            return;
        if (!acceptValue(*entry, shownName, value))
            return;
    } else if (equals >= 0) {
        return fail(QStringLiteral("die Option \"%1\" nimmt keinen Wert").arg(shownName));
    }
    apply(*entry, value);
}

// "-spx" are three flags; an option that takes a value takes the rest of the bundle ("-m*.txt")
// or, when nothing is left, the next argument.
void CliParser::parseShortBundle(const QByteArray& argument) {
    for (qsizetype i = 1; i < argument.size(); ++i) {
        const CliOptionSpec* entry = findShort(argument.at(i));
        if (!entry) {
            // A byte of a longer UTF-8 character is shown as the whole character.
            const QString rest = shown(argument.mid(i));
            const qsizetype length = !rest.isEmpty() && rest.front().isHighSurrogate() ? 2 : 1;
            return fail(QStringLiteral("unbekannte Option \"-%1\"").arg(rest.left(length)));
        }
        if (entry->argumentName.empty()) {
            apply(*entry, QByteArray());
            continue;
        }
        const QString shownName = QStringLiteral("-") + QLatin1Char(argument.at(i));
        QByteArray value = argument.mid(i + 1);
        if (value.isEmpty() && !takeNextValue(shownName, value))
            return;
        if (acceptValue(*entry, shownName, value))
            apply(*entry, value);
        return;
    }
}

// The next argument is the value whatever it looks like (as with getopt), so a mask text may
// begin with "-".
bool CliParser::takeNextValue(const QString& shownName, QByteArray& value) {
    if (next_ >= arguments_.size()) {
        fail(QStringLiteral("die Option \"%1\" verlangt einen Wert").arg(shownName));
        return false;
    }
    value = arguments_.at(next_++);
    return true;
}

// A file name may not be empty; a mask text may (it gives no masks), and an empty value of the
// scope is read as any other. An option with a set of values takes only those.
bool CliParser::acceptValue(const CliOptionSpec& entry, const QString& shownName,
                            const QByteArray& value) {
    if (!entry.values.empty()) {
        const QStringList values = TableText(entry.values).split(QLatin1Char(' '));
        if (values.contains(QString::fromUtf8(value)))
            return true;
        fail(QStringLiteral("unbekannter Wert \"%1\" für die Option \"%2\" (möglich: %3)")
                 .arg(shown(value), shownName, values.join(QStringLiteral(", "))));
        return false;
    }
    if (!entry.fileValue || !value.isEmpty())
        return true;
    fail(QStringLiteral("die Option \"%1\" verlangt einen Dateinamen").arg(shownName));
    return false;
}

void CliParser::apply(const CliOptionSpec& entry, const QByteArray& value) {
    CliOptions& options = result_.options;
    switch (entry.option) {
    case CliOption::Masks:
        options.masks = value;
        break;
    case CliOption::Simple:
        options.simple = true;
        break;
    case CliOption::FullPath:
        options.fullPath = true;
        break;
    case CliOption::NoExtensions:
        options.noExtensions = true;
        break;
    case CliOption::NoRecurse:
        recursive_ = false;
        break;
    case CliOption::Recurse:
        recursive_ = true;
        break;
    case CliOption::Output:
        options.output = value;
        break;
    case CliOption::Quiet:
        options.quiet = true;
        break;
    case CliOption::Help:
        options.help = true;
        break;
    case CliOption::Version:
        options.version = true;
        break;
    case CliOption::Compare:
        options.compare = value;
        break;
    case CliOption::CompareTo:
        options.compareTo = value;
        break;
    case CliOption::Format:
        options.format = value == "csv"    ? OutputFormat::Csv
                         : value == "json" ? OutputFormat::Json
                         : value == "sums" ? OutputFormat::Sums
                         : value == "html" ? OutputFormat::Html
                                           : OutputFormat::Text;
        break;
    case CliOption::Check:
        options.check = value;
        break;
    case CliOption::Hash:
        options.hash = DigestAlgorithmNamed(view(value));
        break;
    case CliOption::Null:
        options.nullTerminated = true;
        break;
    case CliOption::Type:
        options.kept = value == "d"   ? EntryRecord::Kind::Folder
                       : value == "l" ? EntryRecord::Kind::Link
                                      : EntryRecord::Kind::File;
        break;
    case CliOption::OneFileSystem:
        options.scope.OneFileSystem = true;
        break;
    case CliOption::Exclude:
    case CliOption::MaxDepth:
    case CliOption::MinSize:
    case CliOption::MaxSize:
    case CliOption::Newer:
    case CliOption::Older:
        applyScope(entry, value);
        break;
    }
}

// A value of the scope, read as the option asks; the last of an option given twice counts, but
// every --exclude adds its masks.
void CliParser::applyScope(const CliOptionSpec& entry, const QByteArray& value) {
    SearchScope& scope = result_.options.scope;
    if (entry.option == CliOption::Exclude) {
        if (!value.isEmpty()) {
            if (!scope.Exclusions.isEmpty())
                scope.Exclusions += QLatin1Char(';');
            scope.Exclusions += PathTextFromBytes(value);
        }
        return;
    }
    const QString text = QString::fromUtf8(value);
    const QString given = QStringLiteral("--%1 %2").arg(TableText(entry.longName), shown(value));
    QString error;
    bool read = false;
    switch (entry.option) {
    case CliOption::MaxDepth:
        read = (scope.MaxDepth = ParseDepthText(text, error)).has_value();
        break;
    case CliOption::MinSize:
        read = (scope.MinSize = ParseSizeText(text, error)).has_value();
        minSize_ = given;
        break;
    case CliOption::MaxSize:
        read = (scope.MaxSize = ParseSizeText(text, error)).has_value();
        maxSize_ = given;
        break;
    case CliOption::Newer:
        read = (scope.NewerThan = ParseWhenText(text, now_, error)).has_value();
        newer_ = given;
        break;
    case CliOption::Older:
        read = (scope.OlderThan = ParseWhenText(text, now_, error)).has_value();
        older_ = given;
        break;
    default:
        break;
    }
    if (!read) {
        fail(QStringLiteral("ungültiger Wert \"%1\" für die Option \"--%2\": %3")
                 .arg(shown(value), TableText(entry.longName), error));
    }
}

// Ranges that no file can lie in are a mistake, not an empty list.
void CliParser::checkRanges() {
    const SearchScope& scope = result_.options.scope;
    if (scope.MinSize && scope.MaxSize && *scope.MinSize > *scope.MaxSize)
        fail(QStringLiteral("\"%1\" liegt über \"%2\"").arg(minSize_, maxSize_));
    else if (scope.NewerThan && scope.OlderThan && !(*scope.NewerThan < *scope.OlderThan))
        fail(QStringLiteral("\"%1\" liegt nicht vor \"%2\"").arg(newer_, older_));
}

void CliParser::fail(const QString& message) {
    result_.error = message;
}

} // namespace

CliParseResult ParseCliArguments(const QByteArrayList& arguments) {
    return CliParser(arguments).parse();
}
