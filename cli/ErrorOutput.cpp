#include "ErrorOutput.h"

#include "base/Utf8Text.h"
#include "HelpText.h"
#include "output/FdOutput.h"

#include <string>
#include <unistd.h>

namespace {

void writeLineToStandardError(const QByteArray& text) {
    std::string line =
        DisplayText(std::string_view(text.constData(), static_cast<std::size_t>(text.size())),
                    ControlCharacters::Terminal);
    line.push_back('\n');
    WriteAll(STDERR_FILENO, line);
}

} // namespace

void PrintErrorLine(const QByteArray& message) {
    writeLineToStandardError(QByteArray(CliProgramName) + ": " + message);
}

void PrintErrorLine(const QString& message) {
    PrintErrorLine(message.toUtf8());
}

void PrintNoteLine(const QString& note) {
    writeLineToStandardError((QStringLiteral("Hinweis: ") + note + QLatin1Char('.')).toUtf8());
}

void PrintUsageError(const QString& message) {
    PrintErrorLine(message);
    writeLineToStandardError(QByteArray("Weitere Informationen mit \"") + CliProgramName +
                             " --help\".");
}
