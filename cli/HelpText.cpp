#include "HelpText.h"

#include "CliOptionTable.h"

namespace {

const char* const introduction =
    "Aufruf: folderinventory-cli [OPTION | VERZEICHNIS]...\n"
    "        folderinventory-cli --compare ALT [OPTION | VERZEICHNIS]...\n"
    "        folderinventory-cli --compare ALT --to NEU\n"
    "        folderinventory-cli --check LISTE [OPTION | VERZEICHNIS]...\n"
    "\n"
    "Schreibt die Dateiliste der angegebenen Verzeichnisse, genau so, wie\n"
    "FolderInventory sie im Ergebnisfenster zeigt, auf die Standardausgabe oder in\n"
    "eine Datei. Ohne Verzeichnis wird das aktuelle Verzeichnis \".\" durchsucht.\n"
    "\n";

const char* const endOfOptions =
    "  --                    Ende der Optionen: alles Weitere sind Verzeichnisse\n";

const char* const closing =
    "\n"
    "Die Verzeichnisse werden in der angegebenen Reihenfolge durchsucht, jedes mit\n"
    "der Einstellung -r oder -n, die an seiner Stelle gilt; dasselbe Verzeichnis\n"
    "darf mehrfach vorkommen. Die Fortschrittsanzeige erscheint nur, wenn die\n"
    "Standardfehlerausgabe ein Terminal ist. Strg+C (SIGINT) oder SIGTERM bricht die\n"
    "Suche ab wie \"Abbrechen\": das bis dahin Gefundene wird dennoch ausgegeben;\n"
    "weitere solche Signale werden bis zum Ende übergangen (SIGKILL beendet sofort).\n"
    "Die abgebrochene Liste endet mit der Zeile \"Abgebrochen: Die Liste ist\n"
    "unvollständig.\" (nicht mit -0 und --format csv oder sums, deren Zeilen alle\n"
    "Einträge sind; JSON sagt \"cancelled\":true). Eine vorhandene DATEI (-o) bleibt\n"
    "dann, wie sie war: die Liste kommt neben sie als NAME.unvollständig.ENDUNG\n"
    "(inventar.unvollständig.txt; -2, -3 ..., wo der Name vergeben ist), was die\n"
    "Standardfehlerausgabe nennt. Eine neue DATEI erhält die Liste selbst.\n"
    "\n"
    "Vergleich: --compare ALT sucht wie sonst und gibt statt der Liste die\n"
    "Unterschiede zur gespeicherten Liste ALT aus, nach Pfaden geordnet, mit den\n"
    "Größen in Bytes, wo die Listen sie nennen (\"~ PFAD (1523 -> 2400 Bytes)\");\n"
    "Verzeichnisse enden auf \"/\". Danach eine Leerzeile und \"N neu, N entfernt, N\n"
    "geändert\". Die Pfade stehen Byte für Byte geordnet, \"/\" vor jedem anderen Byte:\n"
    "der Inhalt eines Verzeichnisses folgt direkt auf seine eigene Zeile (\"- t/b/\",\n"
    "\"- t/b/x\", \"- t/b.txt\"); ein Eintrag anderer Art ist entfernt und neu, beide\n"
    "Zeilen beieinander. Hat jede Seite genau ein Verzeichnis durchsucht und sind es\n"
    "verschiedene, werden die Pfade darunter verglichen (eine Sicherung mit ihrem\n"
    "Original); die erste Zeile nennt beide. --format json schreibt die Unterschiede\n"
    "als JSON Lines ({\"change\":\"added\"|\"removed\"|\"changed\",\n"
    "\"path\":...,\"kind\":...,\"old\":{...},\"new\":{...}} je Unterschied, zuletzt\n"
    "{\"summary\":{...}}), -0 nur die Pfade, genau und je mit einem NUL-Byte; -t zeigt\n"
    "nur Unterschiede einer Art. Vergleichbar sind erweiterte Listen, einfache\n"
    "Listen mit Pfaden (-s -p, ohne -x), auch relative und leere, und Inventarlisten\n"
    "in JSON Lines (--format json); \"-\" liest eine Liste von der Standardeingabe.\n"
    "Nennen beide Seiten Änderungszeiten (JSON oder die neue Suche), gilt auch eine\n"
    "Datei gleicher Größe mit anderer Zeit als geändert (\"~ PFAD (Größe gleich,\n"
    "geändert ALT -> NEU)\"). Was eine Liste nicht sicher zeigt (ein nicht lesbares\n"
    "Verzeichnis, eine nicht lesbare Größe, eine vorzeitig endende Liste, mehrere\n"
    "Einträge, die gleich erscheinen), zählt nicht als Unterschied: ein \"Hinweis:\"\n"
    "auf der Standardfehlerausgabe nennt es. Namen werden ohne Leerzeichen am Ende\n"
    "verglichen, die eine erweiterte Liste nicht zeigen kann. Tragen beide Seiten\n"
    "Prüfsummen desselben Verfahrens (ein Inventar mit --hash, die neue Suche mit\n"
    "--hash), gilt eine Datei gleicher Größe mit anderer Prüfsumme als geändert (\"~\n"
    "PFAD (Inhalt geändert)\"), auch bei gleicher Zeit. ALT darf auch eine\n"
    "Prüfsummenliste sein (sha256sum, md5sum, BSD-Format, --format sums); sie nennt\n"
    "nur Dateien ohne Größe und Zeit, also wird verglichen, welche Dateien es gibt\n"
    "und ob ihr Inhalt gleich ist (ohne --hash nach dem Verfahren der Liste);\n"
    "Verzeichnisse bleiben außer Betracht.\n"
    "\n"
    "Prüfen: --check LISTE liest jede Datei, die LISTE nennt, und schreibt je\n"
    "Problem eine Zeile (\"FEHLER: PFAD\", \"fehlt: PFAD\", \"nicht lesbar: PFAD\"),\n"
    "mit Verzeichnissen auch \"neu: PFAD\", dann \"N in Ordnung, N falsch, N fehlen,\n"
    "N nicht lesbar\". Exit-Status 0: alles in Ordnung; 1: eine Datei weicht ab,\n"
    "fehlt, ist nicht lesbar oder neu; 2: LISTE nicht lesbar oder mit fehlerhaften\n"
    "Zeilen (jede mit Nummer genannt, der Rest wird dennoch geprüft).\n"
    "\n"
    "Exit-Status beim Vergleich:\n"
    "  0    die Listen stimmen überein\n"
    "  1    die Listen unterscheiden sich\n"
    "  2    Aufruffehler, eine Liste lässt sich nicht lesen oder ist keine Liste von\n"
    "       FolderInventory, oder der Vergleich ist unvollständig (siehe Hinweis)\n"
    "  3, 4, 130, 141  wie bei der Liste (unten)\n"
    "\n"
    "Exit-Status der Liste:\n"
    "  0    alle Verzeichnisse konnten gelesen werden\n"
    "  1    ein Verzeichnis oder die Größen darin waren nicht lesbar, oder eine\n"
    "       Dateisystemschleife wurde erkannt (die Liste ist trotzdem vollständig),\n"
    "       oder eine Datei ließ sich für ihre Prüfsumme nicht ganz lesen\n"
    "  2    Aufruffehler (unbekannte Option, fehlender Wert, DATEI nicht anlegbar)\n"
    "  3    die Liste konnte nicht geschrieben werden\n"
    "  4    Speicher erschöpft (eine vorhandene DATEI bleibt unverändert)\n"
    "  130  abgebrochen durch SIGINT oder SIGTERM\n"
    "  141  der Leser der Ausgabe (Standardausgabe oder eine Pipe als DATEI) hat\n"
    "       vorzeitig geschlossen (etwa \"| head\")\n"
    "\n"
    "Beispiele:\n"
    "  folderinventory-cli -m \"*.pdf;*.doc\" -o inventar.txt ~/Dokumente\n"
    "  folderinventory-cli -s -p -n /srv/daten -r /srv/archiv\n"
    "  folderinventory-cli --format csv -o inventar.csv ~/Dokumente\n"
    "  folderinventory-cli --format html -o übersicht.html ~/Dokumente\n"
    "  folderinventory-cli -s -p -0 -m \"*.tmp\" /srv/daten | xargs -0 rm --\n"
    "  folderinventory-cli --format sums . > SHA256SUMS && sha256sum -c SHA256SUMS\n"
    "  folderinventory-cli --check SHA256SUMS .\n"
    "  folderinventory-cli --compare inventar.txt -m \"*.pdf;*.doc\" ~/Dokumente\n"
    "  folderinventory-cli --exclude \".git;node_modules\" --newer 30d ~/Projekte\n";

} // namespace

QString HelpText() {
    return QString::fromUtf8(introduction) + RenderOptionHelp(CliOptionTable()) +
           QString::fromUtf8(endOfOptions) + QString::fromUtf8(closing);
}

QString VersionText() {
    return QStringLiteral("folderinventory-cli " FI_VERSION);
}
