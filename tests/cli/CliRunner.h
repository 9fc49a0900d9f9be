#pragma once

#include <functional>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <sys/types.h>

// One finished run of folderinventory-cli.
struct CliResult {
    int exitCode = -1;
    bool crashed = false; // ended by a signal rather than by exit()
    QByteArray out;
    QByteArray err;
};

// Runs the built tool to its end with standard output and standard error on pipes. It sees
// `lang` as LANG, with LC_ALL and LC_NUMERIC removed so LANG decides the regional settings, and
// runs in `workingDirectory` when one is given.
CliResult RunCli(const QStringList& arguments, const QString& lang = QStringLiteral("C"),
                 const QString& workingDirectory = QString());

// The user that RunCliAsUser runs the tool as: "nobody" when the tests run as root (who reads
// and writes everything whatever the permission bits say), else the current user.
uid_t UnprivilegedUid();
gid_t UnprivilegedGid();

// RunCli as that user, so permission bits count.
CliResult RunCliAsUser(const QStringList& arguments);

// Runs the tool with standard error (or the descriptor `onTerminal`) on a pseudo-terminal of
// `columns` columns. `whileRunning` is called with everything the terminal received so far, each
// time more arrives, and with the tool's process id; the terminal's whole text ends up in
// `terminal`.
CliResult RunCliOnTerminal(const QStringList& arguments, int columns, QByteArray& terminal,
                           const std::function<void(const QByteArray&, qint64)>& whileRunning,
                           int onTerminal = 2);

// Runs the tool and calls `whileRunning` with its process id every few milliseconds until it ends.
CliResult RunCliAlongside(const QStringList& arguments,
                          const std::function<void(qint64 pid)>& whileRunning);

// Runs `command` with /bin/sh -c; $0 is the tool, the arguments follow as $1, $2, ...
CliResult RunShell(const QString& command, const QStringList& arguments);
