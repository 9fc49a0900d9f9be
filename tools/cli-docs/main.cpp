// Writes the manual page and the bash completion of folderinventory-cli at build time, from the
// option table that the tool's parser and --help use, so none of them can drift apart.
//   fi_cli_docs manual TEMPLATE OUTPUT   the template with its option marker line replaced
//   fi_cli_docs completion OUTPUT

#include "BashCompletion.h"
#include "CliOptionTable.h"
#include "ManualPage.h"

#include <cstdio>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

namespace {

// The line of the template that stands for the options, a troff comment.
const QString OptionMarker = QStringLiteral(".\\\" options-from-table");

bool writeFile(const QString& path, const QString& text) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
        std::fprintf(stderr, "fi_cli_docs: %s: %s\n", qPrintable(path),
                     qPrintable(file.errorString()));
        return false;
    }
    return true;
}

int writeManual(const QString& templatePath, const QString& outputPath) {
    QFile templateFile(templatePath);
    if (!templateFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "fi_cli_docs: %s: %s\n", qPrintable(templatePath),
                     qPrintable(templateFile.errorString()));
        return 1;
    }
    QString page = QString::fromUtf8(templateFile.readAll());
    const QString marker = OptionMarker + QLatin1Char('\n');
    if (page.count(marker) != 1) {
        std::fprintf(stderr, "fi_cli_docs: %s: needs the line %s once\n", qPrintable(templatePath),
                     qPrintable(OptionMarker));
        return 1;
    }
    page.replace(marker, RenderManualOptions(CliOptionTable()));
    return writeFile(outputPath, page) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == QLatin1String("manual") && argc == 4)
        return writeManual(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (mode == QLatin1String("completion") && argc == 3)
        return writeFile(QString::fromLocal8Bit(argv[2]), RenderBashCompletion(CliOptionTable()))
                   ? 0
                   : 1;
    std::fprintf(stderr, "Aufruf: fi_cli_docs manual VORLAGE AUSGABE | completion AUSGABE\n");
    return 2;
}
