#include "BashCompletion.h"

#include <QStringList>

namespace {

// Every spelling of the option: "-o", "--output".
QStringList optionNames(const CliOptionSpec& entry) {
    QStringList names;
    for (const char name : entry.shortNames)
        names += QStringLiteral("-%1").arg(QLatin1Char(name));
    names += QStringLiteral("--") + TableText(entry.longName);
    return names;
}

// The `case` patterns for the options whose value is completed by `compgen -<kind>` or from the
// option's own set of values, or that take a value that is not completed at all (kind empty).
QString valueCases(std::span<const CliOptionSpec> table) {
    QStringList files;
    QStringList folders;
    QStringList others;
    QString fixedValues;
    for (const CliOptionSpec& entry : table) {
        if (entry.argumentName.empty())
            continue;
        const QStringList names = optionNames(entry);
        if (!entry.values.empty())
            fixedValues += QStringLiteral("        %1) mapfile -t COMPREPLY < <(compgen -W \"%2\" "
                                          "-- \"$cur\"); return ;;\n")
                               .arg(names.join(QLatin1Char('|')), TableText(entry.values));
        else if (entry.fileValue)
            files += names;
        else if (entry.argumentName == "VERZEICHNIS")
            folders += names;
        else
            others += names;
    }
    QString cases = fixedValues;
    if (!files.isEmpty())
        cases += QStringLiteral("        %1) _folderinventory_cli_reply -f \"$cur\"; return ;;\n")
                     .arg(files.join(QLatin1Char('|')));
    if (!folders.isEmpty())
        cases += QStringLiteral("        %1) _folderinventory_cli_reply -d \"$cur\"; return ;;\n")
                     .arg(folders.join(QLatin1Char('|')));
    if (!others.isEmpty())
        cases += QStringLiteral("        %1) COMPREPLY=(); return ;;\n")
                     .arg(others.join(QLatin1Char('|')));
    return cases;
}

const char* const scriptHead =
    "# bash completion for folderinventory-cli, generated from its option table.\n"
    "\n"
    "# File (-f) or folder (-d) names that begin with $2, one reply each, spaces kept.\n"
    "_folderinventory_cli_reply() {\n"
    "    compopt -o filenames 2>/dev/null\n"
    "    mapfile -t COMPREPLY < <(compgen \"$1\" -- \"$2\")\n"
    "}\n"
    "\n"
    "_folderinventory_cli() {\n"
    "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]} i\n"
    "    # bash splits \"--output=name\" at the \"=\": complete the value of the option before.\n"
    "    if [[ $cur == = ]]; then\n"
    "        cur=\n"
    "    elif [[ $prev == = && $COMP_CWORD -ge 2 ]]; then\n"
    "        prev=${COMP_WORDS[COMP_CWORD - 2]}\n"
    "    fi\n"
    "    # Behind \"--\" everything is a folder.\n"
    "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
    "        if [[ ${COMP_WORDS[i]} == -- ]]; then\n"
    "            _folderinventory_cli_reply -d \"$cur\"\n"
    "            return\n"
    "        fi\n"
    "    done\n"
    "    case $prev in\n";

const char* const scriptTail =
    "    if [[ $cur == -* ]]; then\n"
    "        mapfile -t COMPREPLY < <(compgen -W \"$options\" -- \"$cur\")\n"
    "        return\n"
    "    fi\n"
    "    _folderinventory_cli_reply -d \"$cur\"\n"
    "}\n"
    "complete -F _folderinventory_cli folderinventory-cli\n";

} // namespace

QString RenderBashCompletion(std::span<const CliOptionSpec> table) {
    QStringList names;
    for (const CliOptionSpec& entry : table)
        names += optionNames(entry);
    names += QStringLiteral("--");
    return QString::fromUtf8(scriptHead) + valueCases(table) + QStringLiteral("    esac\n") +
           QStringLiteral("    local options=\"%1\"\n").arg(names.join(QLatin1Char(' '))) +
           QString::fromUtf8(scriptTail);
}
