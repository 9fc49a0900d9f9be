#include "CliRunner.h"
#include "TempTree.h"

#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <QFile>
#include <QRegularExpression>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int folders = 20;
constexpr int filesPerFolder = 25;
constexpr int terminalColumns = 40;

// One small tree of 500 files, quick to create. Named many times on one command line it makes a
// search of seconds, long enough to be interrupted, while the mask "file_1" keeps the listing
// small.
class CliSignalTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        tree = std::make_unique<TempTree>();
        for (int f = 0; f < folders; ++f) {
            for (int i = 0; i < filesPerFolder; ++i)
                tree->file(QStringLiteral("d%1/file_%2").arg(f).arg(i), 1);
        }
    }
    static void TearDownTestSuite() { tree.reset(); }

    static QStringList rootTimes(int count) {
        QStringList roots;
        for (int i = 0; i < count; ++i)
            roots.append(tree->root());
        return roots;
    }

    static std::unique_ptr<TempTree> tree;
};

std::unique_ptr<TempTree> CliSignalTest::tree;

// The texts the progress line drew, one per redraw, without the erase sequence.
QStringList drawnTexts(const QByteArray& terminal) {
    QStringList texts;
    for (const QByteArray& piece : terminal.split('\r')) {
        const QString text = QString::fromUtf8(piece).remove(QStringLiteral("\x1b[K"));
        if (!text.isEmpty())
            texts.append(text);
    }
    return texts;
}

TEST_F(CliSignalTest, StopSignalEndsTheSearchButTheListIsStillWritten) {
    const int fullHeadings = 10000 * folders; // the root itself holds no "file_1"
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal == SIGINT ? "SIGINT" : "SIGTERM");
        bool sent = false;
        QByteArray terminal;
        // The signal goes out once the progress line shows that the search is under way.
        const CliResult result =
            RunCliOnTerminal(QStringList{"-m", "file_1"} + rootTimes(10000), terminalColumns,
                             terminal, [&](const QByteArray& seen, qint64 pid) {
                                 // Twice, as timeout(1) does: the second one must
                                 // not cut the list short.
                                 if (!sent && seen.contains("Suchen in ")) {
                                     ::kill(static_cast<pid_t>(pid), signal);
                                     ::kill(static_cast<pid_t>(pid), signal);
                                     sent = true;
                                 }
                             });
        ASSERT_TRUE(sent) << "no progress seen";
        EXPECT_FALSE(result.crashed);
        EXPECT_EQ(result.exitCode, 130);
        EXPECT_FALSE(terminal.contains("nicht lesbar")) << terminal.toStdString();
        EXPECT_TRUE(result.out.startsWith("**    FolderInventory     **\n"));

        // The footer closes the shortened list, its folder count matches the headings, and the
        // last line says the list was cut short.
        const QRegularExpressionMatch footer =
            QRegularExpression(
                "\n\n\n(\\d+) +Datei\\(en\\) insgesamt, \\d+ Bytes \\(~ \\d+\\.\\d\\d "
                "MB\\)\n(\\d+) +Verzeichnis\\(se\\)\nAbgebrochen: Die Liste ist "
                "unvollständig\\.\n$")
                .match(QString::fromUtf8(result.out));
        ASSERT_TRUE(footer.hasMatch()) << result.out.right(300).toStdString();
        const qsizetype headings = result.out.count("\nVerzeichnis von ");
        EXPECT_EQ(footer.captured(2).toLongLong(), headings);
        EXPECT_LT(headings, fullHeadings);
        EXPECT_GT(headings, 0);
    }
}

// A stop never costs a complete list. An existing file named with -o stays, and the list found so
// far goes beside it under a name that says it is incomplete and keeps the extension; the next
// stop takes the next free name, and a name that is not UTF-8 gets the mark in ASCII. A new name
// takes the list itself. A listing cut short says so in its last line, which a comparison reads
// as its end; a list of NUL-separated names, whose every item is a path, does not.
TEST_F(CliSignalTest, StopKeepsAnExistingFileAndSavesTheListBesideIt) {
    TempTree out;
    const auto stopped = [&](const QStringList& arguments, QByteArray& terminal) {
        bool sent = false;
        const CliResult result =
            RunCliOnTerminal(arguments + QStringList{"-m", "file_1"} + rootTimes(10000),
                             terminalColumns, terminal, [&](const QByteArray& seen, qint64 pid) {
                                 if (!sent && seen.contains("Suchen in ")) {
                                     ::kill(static_cast<pid_t>(pid), SIGTERM);
                                     sent = true;
                                 }
                             });
        EXPECT_TRUE(sent) << "no progress seen";
        EXPECT_EQ(result.exitCode, 130);
        return result;
    };
    const auto contents = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(fehlt)");
    };
    const QByteArray cutShort = "\r\nAbgebrochen: Die Liste ist unvollständig.\r\n";
    const QString list = out.path("inv.txt");
    QFile old(list);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old\r\n");
    old.close();
    for (const char* beside : {"inv.unvollständig.txt", "inv.unvollständig-2.txt"}) {
        QByteArray terminal;
        stopped({"-o", list}, terminal);
        EXPECT_EQ(contents(list), "old\r\n");
        EXPECT_TRUE(terminal.contains(("Die vorhandene Datei " + list +
                                       " bleibt, wie sie war; die unvollständige Liste steht "
                                       "in " +
                                       out.path(beside))
                                          .toUtf8()))
            << terminal.toStdString();
        EXPECT_TRUE(contents(out.path(beside)).endsWith(" Verzeichnis(se)" + cutShort));
    }
    const CliResult compared =
        RunCli({"--compare", out.path("inv.unvollständig.txt"), "-m", "file_1", tree->root()});
    EXPECT_EQ(compared.exitCode, 2);
    EXPECT_TRUE(compared.err.contains("Hinweis: Frühere Liste: Die Suche wurde abgebrochen"))
        << compared.err.toStdString();

    // The stop goes once the tool holds its new file open.
    const CliResult notUtf8 =
        RunShell("dir=$1; shift; name=$(printf '%s/inv\\374.txt' \"$dir\"); "
                 "cp \"$dir/inv.txt\" \"$name\"; \"$0\" -q -s -p -o \"$name\" -m file_1 \"$@\" & "
                 "pid=$!; until ls -l /proc/$pid/fd 2>/dev/null | grep -q deleted; do :; done; "
                 "kill -TERM $pid; wait $pid",
                 QStringList{out.root()} + rootTimes(10000));
    EXPECT_EQ(notUtf8.exitCode, 130) << notUtf8.err.toStdString();
    const QByteArray notUtf8Beside = QFile::encodeName(out.root()) + "/inv\xfc.unvollstaendig.txt";
    EXPECT_EQ(::access(notUtf8Beside.constData(), F_OK), 0) << notUtf8.err.toStdString();

    const QString fresh = out.path("neu.txt");
    QByteArray terminal;
    stopped({"-s", "-p", "-o", fresh}, terminal);
    EXPECT_TRUE(contents(fresh).endsWith("/file_1" + cutShort));
    const CliResult names = stopped({"-s", "-p", "-0"}, terminal);
    EXPECT_TRUE(names.out.endsWith(QByteArray("/file_1\0", 8)));
    EXPECT_FALSE(names.out.contains("Abgebrochen"));
}

// On a terminal the list is written once the search is done; a stop signal that comes while it
// is written cuts nothing and changes no status.
TEST_F(CliSignalTest, StopSignalAfterTheSearchChangesNothing) {
    const QStringList arguments = rootTimes(200);
    const QByteArray whole = RunCli(arguments).out;
    bool sent = false;
    QByteArray terminal;
    const CliResult result = RunCliOnTerminal(
        arguments, terminalColumns, terminal,
        [&](const QByteArray& seen, qint64 pid) {
            if (!sent && seen.contains("FolderInventory")) {
                ::kill(static_cast<pid_t>(pid), SIGTERM);
                sent = true;
            }
        },
        STDOUT_FILENO);
    ASSERT_TRUE(sent);
    EXPECT_FALSE(result.crashed);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(terminal.replace("\r\n", "\n") == whole);
}

// A FIFO named with -o holds the tool until a reader comes; a stop signal ends that wait as it
// ends a search.
TEST_F(CliSignalTest, StopWhileAFifoWaitsForItsReaderEndsWith130) {
    TempTree scratch;
    const QString fifo = scratch.path("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    bool sent = false;
    const CliResult result = RunCliAlongside({"-o", fifo, tree->root()}, [&](qint64 pid) {
        QFile waitChannel(QStringLiteral("/proc/%1/wchan").arg(pid));
        if (!sent && waitChannel.open(QIODevice::ReadOnly) &&
            waitChannel.readAll() == "wait_for_partner") {
            ::kill(static_cast<pid_t>(pid), SIGTERM);
            sent = true;
        }
    });
    ASSERT_TRUE(sent) << "the tool never waited for a reader";
    EXPECT_FALSE(result.crashed);
    EXPECT_EQ(result.exitCode, 130);
    EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
}

TEST_F(CliSignalTest, ProgressLineFitsTheTerminalAndIsErasedAtTheEnd) {
    QByteArray terminal;
    const CliResult result =
        RunCliOnTerminal(QStringList{"-m", "file_1"} + rootTimes(400), terminalColumns, terminal,
                         [](const QByteArray&, qint64) {});
    EXPECT_EQ(result.exitCode, 0);
    const QStringList drawn = drawnTexts(terminal);
    ASSERT_FALSE(drawn.isEmpty());
    for (const QString& text : drawn) {
        EXPECT_LE(text.size(), terminalColumns - 1) << text.toStdString();
        EXPECT_TRUE(text.startsWith("Elemente gefunden: ")) << text.toStdString();
    }
    EXPECT_TRUE(terminal.endsWith("\r\x1b[K"));
    // The list itself went to standard output only.
    EXPECT_FALSE(terminal.contains("Verzeichnis von"));
    EXPECT_TRUE(result.out.contains("Verzeichnis von"));
}

TEST_F(CliSignalTest, QuietShowsNoProgressEvenOnATerminal) {
    QByteArray terminal;
    const CliResult result =
        RunCliOnTerminal(QStringList{"-q", "-m", "file_1"} + rootTimes(400), terminalColumns,
                         terminal, [](const QByteArray&, qint64) {});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(terminal.isEmpty()) << terminal.toStdString();
}

// Standard output or a file named with -o that is a pipe: the same quiet end.
TEST_F(CliSignalTest, ReaderThatStopsEarlyEndsTheToolQuietly) {
    // About a megabyte of names, far more than a pipe holds, so the tool is still writing when
    // head goes away. The shell keeps the tool's status in a file.
    TempTree scratch;
    const QString statusFile = scratch.path("status");
    for (const QStringList& output : {QStringList{}, QStringList{"-o", "/dev/stdout"}}) {
        const CliResult result =
            RunShell("status=$1; shift; (\"$0\" -s \"$@\"; echo $? > \"$status\") | head -n 1",
                     QStringList{statusFile} + output + rootTimes(200));
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.out, output.isEmpty() ? ".\n" : ".\r\n");
        EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
        QFile status(statusFile);
        ASSERT_TRUE(status.open(QIODevice::ReadOnly));
        EXPECT_EQ(status.readAll(), "141\n") << output.join(' ').toStdString();
    }
}

} // namespace
