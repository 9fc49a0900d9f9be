#include "CliOptions.h"

#include <array>

namespace {

enum class Option {
    Masks,
    Simple,
    FullPath,
    NoExtensions,
    NoRecurse,
    Recurse,
    Output,
    Quiet,
    Help,
    Version
};

struct OptionDefinition {
    Option option;
    char shortName;
    const char* longName;
    bool takesValue;
};

constexpr std::array<OptionDefinition, 10> optionDefinitions{{
    {Option::Masks, 'm', "masks", true},
    {Option::Simple, 's', "simple", false},
    {Option::FullPath, 'p', "full-path", false},
    {Option::NoExtensions, 'x', "no-extensions", false},
    {Option::NoRecurse, 'R', "no-recurse", false},
    {Option::Recurse, 'r', "recurse", false},
    {Option::Output, 'o', "output", true},
    {Option::Quiet, 'q', "quiet", false},
    {Option::Help, 'h', "help", false},
    {Option::Version, 'v', "version", false},
}};

const OptionDefinition* findShort(QChar name) {
    for (const OptionDefinition& option : optionDefinitions) {
        if (name == QLatin1Char(option.shortName))
            return &option;
    }
    return nullptr;
}

const OptionDefinition* findLong(const QString& name) {
    for (const OptionDefinition& option : optionDefinitions) {
        if (name == QLatin1String(option.longName))
            return &option;
    }
    return nullptr;
}

// Walks the arguments once, front to back, so that -r and -R act on the folders behind them.
class CliParser final {
public:
    explicit CliParser(const QStringList& arguments) : arguments_(arguments) {}

    CliParseResult parse();

private:
    void parseArgument(const QString& argument);
    void parseLong(const QString& argument);
    void parseShortBundle(const QString& argument);
    bool takeNextValue(const QString& shownName, QString& value);
    bool acceptValue(const OptionDefinition& option, const QString& shownName,
                     const QString& value);
    void apply(const OptionDefinition& option, const QString& value);
    void fail(const QString& message);

    const QStringList& arguments_;
    qsizetype next_ = 0;
    bool recursive_ = true;
    bool optionsEnded_ = false;
    CliParseResult result_;
};

CliParseResult CliParser::parse() {
    while (next_ < arguments_.size() && result_.error.isEmpty())
        parseArgument(arguments_.at(next_++));
    return result_;
}

void CliParser::parseArgument(const QString& argument) {
    if (optionsEnded_ || argument.size() < 2 || argument.front() != QLatin1Char('-')) {
        // A lone "-" is an ordinary folder name, as is everything behind "--".
        result_.options.folders.push_back({argument, recursive_});
    } else if (argument == QLatin1String("--")) {
        optionsEnded_ = true;
    } else if (argument.startsWith(QLatin1String("--"))) {
        parseLong(argument);
    } else {
        parseShortBundle(argument);
    }
}

void CliParser::parseLong(const QString& argument) {
    const qsizetype equals = argument.indexOf(QLatin1Char('='));
    const QString name = argument.mid(2, equals < 0 ? -1 : equals - 2);
    const OptionDefinition* option = findLong(name);
    if (!option)
        return fail(QStringLiteral("unbekannte Option \"--%1\"").arg(name));
    QString value;
    if (option->takesValue) {
        if (equals >= 0)
            value = argument.mid(equals + 1);
        else if (!takeNextValue(QStringLiteral("--") + name, value))
            return;
        if (!acceptValue(*option, QStringLiteral("--") + name, value))
            return;
    } else if (equals >= 0) {
        return fail(QStringLiteral("die Option \"--%1\" nimmt keinen Wert").arg(name));
    }
    apply(*option, value);
}

// "-spx" are three flags; an option that takes a value takes the rest of the bundle ("-m*.txt")
// or, when nothing is left, the next argument.
void CliParser::parseShortBundle(const QString& argument) {
    for (qsizetype i = 1; i < argument.size(); ++i) {
        const OptionDefinition* option = findShort(argument.at(i));
        if (!option)
            return fail(QStringLiteral("unbekannte Option \"-%1\"").arg(argument.at(i)));
        if (!option->takesValue) {
            apply(*option, QString());
            continue;
        }
        const QString shownName = QStringLiteral("-") + argument.at(i);
        QString value = argument.mid(i + 1);
        if (value.isEmpty() && !takeNextValue(shownName, value))
            return;
        if (acceptValue(*option, shownName, value))
            apply(*option, value);
        return;
    }
}

// The next argument is the value whatever it looks like (as with getopt), so a mask text may
// begin with "-".
bool CliParser::takeNextValue(const QString& shownName, QString& value) {
    if (next_ >= arguments_.size()) {
        fail(QStringLiteral("die Option \"%1\" verlangt einen Wert").arg(shownName));
        return false;
    }
    value = arguments_.at(next_++);
    return true;
}

// A mask text may be empty (it gives no masks); a file name may not.
bool CliParser::acceptValue(const OptionDefinition& option, const QString& shownName,
                            const QString& value) {
    if (option.option != Option::Output || !value.isEmpty())
        return true;
    fail(QStringLiteral("die Option \"%1\" verlangt einen Dateinamen").arg(shownName));
    return false;
}

void CliParser::apply(const OptionDefinition& option, const QString& value) {
    CliOptions& options = result_.options;
    switch (option.option) {
    case Option::Masks:
        options.masks = value;
        break;
    case Option::Simple:
        options.simple = true;
        break;
    case Option::FullPath:
        options.fullPath = true;
        break;
    case Option::NoExtensions:
        options.noExtensions = true;
        break;
    case Option::NoRecurse:
        recursive_ = false;
        break;
    case Option::Recurse:
        recursive_ = true;
        break;
    case Option::Output:
        options.output = value;
        break;
    case Option::Quiet:
        options.quiet = true;
        break;
    case Option::Help:
        options.help = true;
        break;
    case Option::Version:
        options.version = true;
        break;
    }
}

void CliParser::fail(const QString& message) {
    result_.error = message;
}

} // namespace

CliParseResult ParseCliArguments(const QStringList& arguments) {
    return CliParser(arguments).parse();
}
