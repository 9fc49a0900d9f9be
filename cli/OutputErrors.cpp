#include "OutputErrors.h"

#include "ErrorOutput.h"
#include "ExitStatus.h"
#include "output/ListFileWriter.h"

#include <cstring>
#include <QString>

namespace {

QString reasonOf(const ListFileWriter& writer) {
    return QString::fromLocal8Bit(std::strerror(writer.error()));
}

QString messageFor(const ListFileWriter& writer, bool standardOutput) {
    if (standardOutput)
        return QStringLiteral("Schreibfehler auf der Standardausgabe: %1").arg(reasonOf(writer));
    switch (writer.failure()) {
    case ListFileWriter::Failure::CannotCreate:
        return QStringLiteral("Die Datei %1 lässt sich nicht anlegen: %2")
            .arg(writer.shownFullName(), reasonOf(writer));
    case ListFileWriter::Failure::UntrustedLink:
        return QStringLiteral("Die Datei %1 lässt sich nicht anlegen: ihr Name führt über eine "
                              "symbolische Verknüpfung eines anderen Benutzers in einem "
                              "Verzeichnis mit Sticky-Bit, in das jeder schreiben darf (%2)")
            .arg(writer.shownFullName(), reasonOf(writer));
    case ListFileWriter::Failure::OtherUsersFile:
        return QStringLiteral("Die vorhandene Datei %1 lässt sich nicht ersetzen: sie gehört einem "
                              "anderen Benutzer und liegt in einem Verzeichnis mit Sticky-Bit (%2)")
            .arg(writer.shownFullName(), reasonOf(writer));
    case ListFileWriter::Failure::ProtectedFile:
        return QStringLiteral("Die vorhandene Datei %1 lässt sich nicht ersetzen: sie ist als "
                              "unveränderlich oder nur erweiterbar markiert (%2)")
            .arg(writer.shownFullName(), reasonOf(writer));
    case ListFileWriter::Failure::NotReplaced:
        return ListFileWriter::notReplacedMessage(writer.shownFullName(), writer.error());
    case ListFileWriter::Failure::None:
    case ListFileWriter::Failure::WriteFailed:
    case ListFileWriter::Failure::ReaderGone:
        break;
    }
    return QStringLiteral("Schreibfehler in der Datei %1: %2")
        .arg(writer.shownFullName(), reasonOf(writer));
}

} // namespace

void PrintOutputError(const ListFileWriter& writer, bool standardOutput) {
    PrintErrorLine(WithFullStop(messageFor(writer, standardOutput)));
}

int CommitOutput(ListFileWriter& writer, bool standardOutput) {
    if (writer.commit().isEmpty())
        return ExitStatus::Success;
    if (writer.failure() == ListFileWriter::Failure::ReaderGone)
        return ExitStatus::OutputClosed;
    PrintOutputError(writer, standardOutput);
    return ExitStatus::WriteError;
}
