// folderinventory-cli: the inventory of FolderInventory from a script or a scheduled job, with
// exactly the listing that the result window would show.

#include "base/ProcessStart.h"
#include "CheckRun.h"
#include "CliOptions.h"
#include "CompareRun.h"
#include "ErrorOutput.h"
#include "ExitStatus.h"
#include "HelpText.h"
#include "InventoryRun.h"
#include "output/FdOutput.h"
#include "SearchFromOptions.h"
#include "StopSignals.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <QByteArrayList>
#include <QCoreApplication>
#include <unistd.h>

namespace {

int printToStandardOutput(const QString& text) {
    const QByteArray utf8 = text.toUtf8() + (text.endsWith(QLatin1Char('\n')) ? "" : "\n");
    const WriteOutcome outcome = WriteAll(
        STDOUT_FILENO, std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    return outcome == WriteOutcome::Written ? ExitStatus::Success : ExitStatus::WriteError;
}

// The arguments after the program name, byte for byte.
QByteArrayList argumentBytes(int argc, char** argv) {
    QByteArrayList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    return arguments;
}

} // namespace

int main(int argc, char** argv) {
    // Before anything opens a file; without /dev/null nothing that follows is safe.
    if (!PrepareProcessStart()) {
        PrintErrorLine(QByteArray("/dev/null lässt sich nicht öffnen: ") + std::strerror(errno));
        return ExitStatus::UsageError;
    }
    InstallStopSignalHandlers();
    const QByteArrayList arguments = argumentBytes(argc, argv);
    // The application object gives QLocale the user's regional settings, which the footer's
    // decimal separator follows. It sees only the program name: Qt would take options such as
    // "-qmljsdebugger=..." for itself, even behind "--".
    int applicationArgc = 1;
    char programName[] = "folderinventory-cli";
    char* applicationArgv[] = {argc > 0 && argv[0] ? argv[0] : programName, nullptr};
    const QCoreApplication application(applicationArgc, applicationArgv);

    const CliParseResult parsed = ParseCliArguments(arguments);
    if (!parsed.error.isEmpty()) {
        PrintUsageError(parsed.error);
        return ExitStatus::UsageError;
    }
    if (parsed.options.help)
        return printToStandardOutput(HelpText());
    if (parsed.options.version)
        return printToStandardOutput(VersionText());
    if (const QString error = OutputUsageError(parsed.options); !error.isEmpty()) {
        PrintUsageError(error);
        return ExitStatus::UsageError;
    }
    if (const QString error = CompareUsageError(parsed.options); !error.isEmpty()) {
        PrintUsageError(error);
        return ExitStatus::UsageError;
    }
    if (const QString error = CheckUsageError(parsed.options); !error.isEmpty()) {
        PrintUsageError(error);
        return ExitStatus::UsageError;
    }
    try {
        if (parsed.options.check)
            return RunCheck(parsed.options);
        return parsed.options.compare ? RunComparison(parsed.options)
                                      : RunInventory(parsed.options);
    } catch (const std::bad_alloc&) {
        // Nothing is allocated on the way out: the message is a constant, and an output file
        // that was not committed keeps its old contents. A comparison that cannot hold its lists
        // did not compare, so it says neither "same" nor "different".
        static constexpr std::string_view message = "folderinventory-cli: Speicher erschöpft\n";
        WriteAll(STDERR_FILENO, message);
        return ExitStatus::OutOfMemory;
    }
}
