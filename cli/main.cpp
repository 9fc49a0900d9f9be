// folderinventory-cli: the inventory of FolderInventory from a script or a scheduled job, with
// exactly the listing that the result window would show.

#include "CliOptions.h"
#include "ErrorOutput.h"
#include "ExitStatus.h"
#include "FdOutput.h"
#include "HelpText.h"
#include "InventoryRun.h"

#include <QCoreApplication>
#include <unistd.h>

namespace {

int printToStandardOutput(const QString& text) {
    const QByteArray utf8 = text.toUtf8() + (text.endsWith(QLatin1Char('\n')) ? "" : "\n");
    const WriteOutcome outcome = WriteAll(
        STDOUT_FILENO, std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    return outcome == WriteOutcome::Written ? ExitStatus::Success : ExitStatus::WriteError;
}

} // namespace

int main(int argc, char** argv) {
    // The application object gives QLocale the user's regional settings, which the footer's
    // decimal separator follows.
    const QCoreApplication application(argc, argv);
    const CliParseResult parsed = ParseCliArguments(QCoreApplication::arguments().mid(1));
    if (!parsed.error.isEmpty()) {
        PrintUsageError(parsed.error);
        return ExitStatus::UsageError;
    }
    if (parsed.options.help)
        return printToStandardOutput(HelpText());
    if (parsed.options.version)
        return printToStandardOutput(VersionText());
    return RunInventory(parsed.options);
}
