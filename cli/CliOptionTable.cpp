#include "CliOptionTable.h"

#include <array>
#include <QStringList>

namespace {

constexpr std::string_view searchGroup = "Suche";
constexpr std::string_view scopeGroup = "Auslassen und Filtern";
constexpr std::string_view outputGroup = "Ausgabe";
constexpr std::string_view compareGroup = "Vergleich";
constexpr std::string_view generalGroup = "Allgemein";

constexpr std::array<CliOptionSpec, 24> optionTable{{
    {CliOption::Masks, "masks", "m", "TEXT",
     "Dateimasken, getrennt durch \";\" (Vorgabe \"*.*\"), so wie eingegeben", searchGroup},
    {CliOption::Recurse, "recurse", "rR", "",
     "die folgenden Verzeichnisse mit Unterverzeichnissen durchsuchen (Vorgabe)", searchGroup},
    {CliOption::NoRecurse, "no-recurse", "n", "",
     "die folgenden Verzeichnisse ohne Unterverzeichnisse durchsuchen", searchGroup},
    {CliOption::Type, "type", "t", "ART",
     "nur Einträge dieser Art, wie find -type: \"f\" reguläre Dateien, \"d\" Verzeichnisse, "
     "\"l\" symbolische Verknüpfungen; gilt für jede Ausgabe (die erweiterte Liste zeigt nur "
     "Verzeichnisse mit solchen Einträgen, ihre Summen zählen nur diese)",
     searchGroup, false, "f d l"},
    {CliOption::Exclude, "exclude", "", "MASKEN",
     "Dateien und Verzeichnisse auslassen, auf die eine der Masken passt (getrennt durch \";\", "
     "wie bei -m, auch mehrmals anzugeben): eine Maske ohne \"/\" passt auf den Namen, wo er "
     "auch liegt (\".git;node_modules\"), eine mit \"/\" auf den Pfad unterhalb des "
     "Suchverzeichnisses (\"Projekte/*/build\"); ein ausgelassenes Verzeichnis wird nicht "
     "geöffnet",
     scopeGroup},
    {CliOption::OneFileSystem, "one-file-system", "", "",
     "Verzeichnisse auf einem anderen Dateisystem als ihr Suchverzeichnis (Einhängepunkte) "
     "aufführen, aber nicht betreten (wie du -x, find -xdev)",
     scopeGroup},
    {CliOption::MaxDepth, "max-depth", "", "N",
     "Unterverzeichnisse nur bis N Ebenen unter dem Suchverzeichnis betreten; tiefere werden "
     "aufgeführt, aber nicht betreten (0 wie -n)",
     scopeGroup},
    {CliOption::MinSize, "min-size", "", "GRÖSSE",
     "nur Dateien ab GRÖSSE Bytes aufführen (auch mit k, M, G, T für 1024, 1024², 1024³, "
     "1024⁴ Bytes: \"10M\"); Verzeichnisse werden aufgeführt wie sonst, Summen zählen, was "
     "aufgeführt ist",
     scopeGroup},
    {CliOption::MaxSize, "max-size", "", "GRÖSSE", "nur Dateien bis GRÖSSE Bytes aufführen",
     scopeGroup},
    {CliOption::Newer, "newer", "", "WANN",
     "nur Dateien, die nach WANN geändert wurden: ein Datum (2026-01-31), Datum und Uhrzeit "
     "(2026-01-31T14:30) in Ortszeit, oder eine Zeitspanne zurück von jetzt (30d, 12h; "
     "Einheiten s, min, h, d, w)",
     scopeGroup},
    {CliOption::Older, "older", "", "WANN",
     "nur Dateien, die spätestens WANN geändert wurden (wie --newer angegeben)", scopeGroup},
    {CliOption::Simple, "simple", "s", "", "einfache Ausgabe (Vorgabe: erweiterte Ausgabe)",
     outputGroup},
    {CliOption::FullPath, "full-path", "p", "",
     "einfache Ausgabe: vollständige Pfade statt reiner Namen", outputGroup},
    {CliOption::NoExtensions, "no-extensions", "x", "",
     "einfache Ausgabe: Namen ohne Dateierweiterung", outputGroup},
    {CliOption::Null, "null", "0", "",
     "einfache Ausgabe: jeden Namen oder Pfad mit einem NUL-Byte statt eines Zeilenendes "
     "abschließen und Byte für Byte so schreiben, wie das Dateisystem ihn nennt, ohne \".\" "
     "und \"..\" (wie find -print0, für xargs -0)",
     outputGroup},
    {CliOption::Format, "format", "", "FORMAT",
     "\"text\" die Liste, wie das Ergebnisfenster sie zeigt (Vorgabe); \"csv\" eine Tabelle "
     "für Tabellenkalkulationen (UTF-8 mit BOM, Trennzeichen \";\", CR LF; Spalten Art, Pfad, "
     "Name, Größe, Geändert; Texte in Anführungszeichen); \"json\" JSON Lines für Programme "
     "(eine Zeile je Datei, Verzeichnis, Verknüpfung und Sonderdatei mit Pfad, Größe und "
     "Änderungszeit, am Ende eine Zusammenfassung); \"sums\" eine Prüfsummenliste wie von "
     "sha256sum (\"HEX  PFAD\" je Datei, von \"sha256sum -c\" im selben Verzeichnis prüfbar; "
     "Verfahren von --hash, Vorgabe sha256); \"html\" eine HTML-Übersicht zum Durchblättern und "
     "Durchsuchen im Browser, ohne Netz (eine Datei mit Verzeichnisbaum, Summen je Verzeichnis, "
     "sortierbaren Listen und Suche)",
     outputGroup, false, "text csv json sums html"},
    {CliOption::Hash, "hash", "", "VERFAHREN",
     "jede Datei ganz lesen und ihre Prüfsumme mit VERFAHREN (sha256, sha512, sha1, md5) in die "
     "Tabelle (Spalte \"SHA-256\"), in JSON Lines (Feld \"sha256\"), in die HTML-Übersicht "
     "(Spalte \"SHA-256\") oder in die Prüfsummenliste schreiben; eine Datei, die nicht lesbar ist "
     "oder sich beim Lesen ändert, "
     "bleibt ohne Prüfsumme und wird genannt",
     outputGroup, false, "sha256 sha512 sha1 md5"},
    {CliOption::Output, "output", "o", "DATEI",
     "die Liste in DATEI schreiben, so wie \"Speichern unter...\" sie speichert (die Textliste "
     "in UTF-8 mit CR LF), statt auf die Standardausgabe; eine vorhandene Datei wird erst "
     "ersetzt, wenn die neue vollständig ist, und gar nicht, wenn sich neben ihr keine neue "
     "anlegen lässt; eine Pipe oder ein Gerät (/dev/stdout) wird an Ort und Stelle beschrieben, "
     "\"-\" ist die Standardausgabe",
     outputGroup, true},
    {CliOption::Quiet, "quiet", "q", "", "keine Fortschrittsanzeige und keine Warnungen",
     outputGroup},
    {CliOption::Compare, "compare", "", "ALT",
     "statt der Liste die Unterschiede zur früher gespeicherten Liste ALT ausgeben, eine Zeile "
     "je Unterschied: \"+ PFAD\" neu, \"- PFAD\" entfernt, \"~ PFAD\" geändert (mit "
     "--format json als JSON Lines, mit -0 nur die Pfade); \"-\" liest ALT von der "
     "Standardeingabe",
     compareGroup, true},
    {CliOption::CompareTo, "to", "", "NEU",
     "mit --compare: die gespeicherte Liste NEU statt einer Suche (\"-\": Standardeingabe)",
     compareGroup, true},
    {CliOption::Check, "check", "", "LISTE",
     "statt der Liste jede Datei der Prüfsummenliste LISTE (von sha256sum, md5sum und Co., "
     "BSD-Format oder ein Inventar in JSON Lines mit Prüfsummen) lesen und prüfen: eine Zeile je "
     "Problem (\"FEHLER: PFAD\", \"fehlt: PFAD\", \"nicht lesbar: PFAD\"), mit Verzeichnissen "
     "auch jede Datei dort, die die Liste nicht nennt (\"neu: PFAD\"); \"-\" liest LISTE von der "
     "Standardeingabe",
     compareGroup, true},
    {CliOption::Help, "help", "h", "", "diese Hilfe anzeigen", generalGroup},
    {CliOption::Version, "version", "v", "", "die Versionsnummer anzeigen", generalGroup},
}};

constexpr qsizetype lineWidth = 79;
constexpr qsizetype textColumn = 24;

// Appends `text` word by word, starting in column `column` of the current line and continuing
// in `textColumn` on the following lines.
void appendWrapped(QString& out, qsizetype column, const QString& text) {
    const QString indent(textColumn, QLatin1Char(' '));
    if (column > textColumn - 2) {
        out += QLatin1Char('\n') + indent;
    } else {
        out += QString(textColumn - column, QLatin1Char(' '));
    }
    column = textColumn;
    bool lineStart = true;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!lineStart && column + 1 + word.size() > lineWidth) {
            out += QLatin1Char('\n') + indent;
            column = textColumn;
            lineStart = true;
        }
        if (!lineStart) {
            out += QLatin1Char(' ');
            ++column;
        }
        out += word;
        column += word.size();
        lineStart = false;
    }
    out += QLatin1Char('\n');
}

} // namespace

std::span<const CliOptionSpec> CliOptionTable() {
    return optionTable;
}

QString OptionSynopsis(const CliOptionSpec& entry) {
    QString synopsis;
    for (const char name : entry.shortNames)
        synopsis += QStringLiteral("-%1, ").arg(QLatin1Char(name));
    synopsis += QStringLiteral("--") + TableText(entry.longName);
    if (!entry.argumentName.empty())
        synopsis += QLatin1Char(' ') + TableText(entry.argumentName);
    return synopsis;
}

QString RenderOptionHelp(std::span<const CliOptionSpec> table) {
    QString out;
    std::string_view group;
    for (const CliOptionSpec& entry : table) {
        if (entry.group != group) {
            group = entry.group;
            out += (out.isEmpty() ? QString() : QStringLiteral("\n")) + TableText(group) +
                   QStringLiteral(":\n");
        }
        const QString synopsis = QStringLiteral("  ") + OptionSynopsis(entry);
        out += synopsis;
        appendWrapped(out, synopsis.size(), TableText(entry.help));
    }
    return out;
}

QString TableText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
