#include "HelpText.h"

QString HelpText() {
    return QStringLiteral(
        "Aufruf: folderinventory-cli [OPTIONEN] [VERZEICHNIS | -r | -R]...\n"
        "\n"
        "Schreibt die Dateiliste der angegebenen Verzeichnisse, genau so, wie FolderInventory sie\n"
        "im Ergebnisfenster zeigt, auf die Standardausgabe oder in eine Datei.\n"
        "\n"
        "Optionen:\n"
        "  -m, --masks TEXT       Dateimasken, getrennt durch \";\" (Vorgabe \"*.*\"), so wie\n"
        "                         eingegeben\n"
        "  -s, --simple           einfache Ausgabe (Vorgabe: erweiterte Ausgabe)\n"
        "  -p, --full-path        einfache Ausgabe: vollständige Pfade statt reiner Namen\n"
        "  -x, --no-extensions    einfache Ausgabe: Namen ohne Dateierweiterung\n"
        "  -R, --no-recurse       die folgenden Verzeichnisse ohne Unterverzeichnisse durchsuchen\n"
        "  -r, --recurse          die folgenden Verzeichnisse mit Unterverzeichnissen durchsuchen\n"
        "                         (Vorgabe)\n"
        "  -o, --output DATEI     die Liste in DATEI schreiben, so wie \"Speichern unter...\" sie\n"
        "                         speichert (UTF-8, CR LF); nichts auf der Standardausgabe\n"
        "  -q, --quiet            keine Fortschrittsanzeige und keine Warnungen\n"
        "  -h, --help             diese Hilfe anzeigen\n"
        "  -v, --version          die Versionsnummer anzeigen\n"
        "  --                     Ende der Optionen: alles Weitere sind Verzeichnisse\n"
        "\n"
        "Die Verzeichnisse werden in der angegebenen Reihenfolge durchsucht, jedes mit der\n"
        "Einstellung -r oder -R, die an seiner Stelle gilt; dasselbe Verzeichnis darf mehrfach\n"
        "vorkommen. Die Fortschrittsanzeige erscheint nur, wenn die Standardfehlerausgabe ein\n"
        "Terminal ist. Strg+C (SIGINT) oder SIGTERM bricht die Suche ab wie \"Abbrechen\": das\n"
        "bis dahin Gefundene wird dennoch ausgegeben.\n"
        "\n"
        "Exit-Status:\n"
        "  0    alle Verzeichnisse konnten gelesen werden\n"
        "  1    mindestens ein Verzeichnis war nicht lesbar (die Liste ist trotzdem vollständig)\n"
        "  2    Aufruffehler (unbekannte Option, fehlender Wert, DATEI nicht anlegbar)\n"
        "  3    die Liste konnte nicht geschrieben werden\n"
        "  130  abgebrochen durch SIGINT oder SIGTERM\n"
        "  141  der Leser hat die Standardausgabe vorzeitig geschlossen (etwa \"| head\")\n"
        "\n"
        "Beispiele:\n"
        "  folderinventory-cli -m \"*.pdf;*.doc\" -o inventar.txt ~/Dokumente\n"
        "  folderinventory-cli -s -p -R /srv/daten -r /srv/archiv\n");
}

QString VersionText() {
    return QStringLiteral("folderinventory-cli " FI_VERSION);
}
