#include "ErrorOutput.h"

#include "FdOutput.h"
#include "HelpText.h"

#include <unistd.h>

namespace {

void writeToStandardError(const QByteArray& text) {
    WriteAll(STDERR_FILENO,
             std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
}

} // namespace

void PrintErrorLine(const QByteArray& message) {
    writeToStandardError(QByteArray(CliProgramName) + ": " + message + '\n');
}

void PrintErrorLine(const QString& message) {
    PrintErrorLine(message.toUtf8());
}

void PrintUsageError(const QString& message) {
    PrintErrorLine(message);
    writeToStandardError(QByteArray("Weitere Informationen mit \"") + CliProgramName +
                         " --help\".\n");
}
