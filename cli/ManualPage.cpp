#include "ManualPage.h"

namespace {

// "\fB\-r\fR, \fB\-R\fR, \fB\-\-recurse\fR" and "\fI DATEI\fR" for a value.
QString troffSynopsis(const CliOptionSpec& entry) {
    QString synopsis;
    for (const char name : entry.shortNames)
        synopsis += QStringLiteral("\\fB\\-%1\\fR, ").arg(QLatin1Char(name));
    // Every dash of an option name is a minus sign, so that the name copies as typed.
    synopsis += QStringLiteral("\\fB\\-\\-") +
                TableText(entry.longName).replace(QLatin1Char('-'), QStringLiteral("\\-")) +
                QStringLiteral("\\fR");
    if (!entry.argumentName.empty())
        synopsis += QStringLiteral(" \\fI") + TroffText(TableText(entry.argumentName)) +
                    QStringLiteral("\\fR");
    return synopsis;
}

} // namespace

QString TroffText(const QString& text) {
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\')) {
            out += QStringLiteral("\\e");
        } else if (c == QLatin1Char('-') &&
                   (i == 0 || text.at(i - 1).isSpace() || text.at(i - 1) == QLatin1Char('-') ||
                    text.at(i - 1) == QLatin1Char('(') || text.at(i - 1) == QLatin1Char('"'))) {
            // A dash that begins a word is an option dash: a minus sign, which copies as "-".
            out += QStringLiteral("\\-");
        } else {
            out += c;
        }
    }
    if (out.startsWith(QLatin1Char('.')) || out.startsWith(QLatin1Char('\'')))
        out.prepend(QStringLiteral("\\&"));
    return out;
}

QString RenderManualOptions(std::span<const CliOptionSpec> table) {
    QString out;
    std::string_view group;
    for (const CliOptionSpec& entry : table) {
        if (entry.group != group) {
            group = entry.group;
            out += QStringLiteral(".SS ") + TroffText(TableText(group)) + QLatin1Char('\n');
        }
        out += QStringLiteral(".TP\n") + troffSynopsis(entry) + QLatin1Char('\n') +
               TroffText(TableText(entry.help)) + QLatin1Char('\n');
    }
    return out;
}
