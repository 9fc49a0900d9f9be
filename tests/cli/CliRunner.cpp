#include "CliRunner.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <pwd.h>
#include <QProcess>
#include <QProcessEnvironment>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int runTimeoutMs = 60000;

void prepare(QProcess& process, const QStringList& arguments, const QString& lang,
             const QString& workingDirectory) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("LC_ALL"));
    environment.remove(QStringLiteral("LC_NUMERIC"));
    environment.insert(QStringLiteral("LANG"), lang);
    process.setProcessEnvironment(environment);
    process.setProgram(QStringLiteral(FI_CLI_PATH));
    process.setArguments(arguments);
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
}

CliResult finish(QProcess& process) {
    if (process.state() != QProcess::NotRunning && !process.waitForFinished(runTimeoutMs)) {
        ADD_FAILURE() << "folderinventory-cli did not finish";
        process.kill();
        process.waitForFinished();
    }
    CliResult result;
    result.crashed = process.exitStatus() == QProcess::CrashExit;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

// Takes what the terminal holds without waiting for more.
QByteArray drain(int master) {
    QByteArray received;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(master, buffer, sizeof buffer)) > 0)
        received.append(buffer, static_cast<qsizetype>(n));
    return received;
}

} // namespace

CliResult RunCli(const QStringList& arguments, const QString& lang,
                 const QString& workingDirectory) {
    QProcess process;
    prepare(process, arguments, lang, workingDirectory);
    process.start();
    process.closeWriteChannel();
    return finish(process);
}

uid_t UnprivilegedUid() {
    if (::geteuid() != 0)
        return ::geteuid();
    const passwd* nobody = ::getpwnam("nobody");
    return nobody ? nobody->pw_uid : 65534;
}

gid_t UnprivilegedGid() {
    if (::geteuid() != 0)
        return ::getegid();
    const passwd* nobody = ::getpwnam("nobody");
    return nobody ? nobody->pw_gid : 65534;
}

CliResult RunCliAsUser(const QStringList& arguments) {
    QProcess process;
    prepare(process, arguments, QStringLiteral("C"), QString());
    if (::geteuid() == 0) {
        const uid_t uid = UnprivilegedUid();
        const gid_t gid = UnprivilegedGid();
        process.setChildProcessModifier([uid, gid] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
                ::_exit(99);
        });
    }
    process.start();
    process.closeWriteChannel();
    return finish(process);
}

CliResult RunCliOnTerminal(const QStringList& arguments, int columns, QByteArray& terminal,
                           const std::function<void(const QByteArray&, qint64)>& whileRunning,
                           int onTerminal) {
    int master = -1;
    int slave = -1;
    winsize size{};
    size.ws_row = 24;
    size.ws_col = static_cast<unsigned short>(columns);
    if (::openpty(&master, &slave, nullptr, nullptr, &size) != 0) {
        ADD_FAILURE() << "openpty failed";
        return {};
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    // Neither end leaks into the child beyond the standard error that dup2 gives it.
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    QProcess process;
    prepare(process, arguments, QStringLiteral("C"), QString());
    // Runs in the child after QProcess has set up its pipes: the descriptor becomes the terminal.
    process.setChildProcessModifier([slave, onTerminal] { ::dup2(slave, onTerminal); });
    process.start();
    process.closeWriteChannel();
    ::close(slave);
    // The child writes its progress while it runs, so the terminal is read alongside.
    while (process.state() != QProcess::NotRunning) {
        process.waitForFinished(20);
        const QByteArray more = drain(master);
        if (!more.isEmpty()) {
            terminal += more;
            whileRunning(terminal, process.processId());
        }
    }
    terminal += drain(master);
    ::close(master);
    return finish(process);
}

CliResult RunCliAlongside(const QStringList& arguments,
                          const std::function<void(qint64 pid)>& whileRunning) {
    QProcess process;
    prepare(process, arguments, QStringLiteral("C"), QString());
    process.start();
    process.closeWriteChannel();
    while (process.state() != QProcess::NotRunning && !process.waitForFinished(5))
        whileRunning(process.processId());
    return finish(process);
}

CliResult RunShell(const QString& command, const QStringList& arguments) {
    QProcess process;
    process.setProgram(QStringLiteral("/bin/sh"));
    process.setArguments(QStringList{QStringLiteral("-c"), command, QStringLiteral(FI_CLI_PATH)} +
                         arguments);
    process.start();
    process.closeWriteChannel();
    return finish(process);
}
