#include "CliRunner.h"
#include "TempTree.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <sys/stat.h>

namespace {

// The differences of a comparison as a person and a script take them: a copy of a tree in
// another folder against its original, the differences as text, JSON Lines and NUL-terminated
// paths, their order, and the notes whatever the kinds of the two lists.
class CliDifferencesTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.file("daten/a.txt", 3);
        tree.file("daten/b/x", 2);
        tree.file("daten/b.txt", 2);
        tree.symlink("a.txt", "daten/verweis");
        ASSERT_EQ(::mkfifo(QFile::encodeName(tree.path("daten/rohr")).constData(), 0600), 0);
    }

    // Runs a shell command in the tree's root; "$0" is the tool.
    CliResult inRoot(const QString& command) const {
        return RunShell(QStringLiteral("cd \"$1\" && ") + command, {tree.root()});
    }

    TempTree tree;
};

// A backup made with cp -a compares with the inventory of its original path by path below the
// two folders, and the first line says which two they are; a list of each kind does.
TEST_F(CliDifferencesTest, BackupComparesWithItsOriginalBelowEachFolder) {
    const CliResult saved = inRoot("\"$0\" --format json daten > daten.jsonl && \"$0\" -q daten > "
                                   "daten.txt && mkdir sicherung && cp -a daten sicherung/");
    ASSERT_EQ(saved.exitCode, 0) << saved.err.toStdString();
    const QByteArray first = "Verglichen werden daten/ (frühere Liste) und sicherung/daten/ (neue "
                             "Liste), Pfad für Pfad darunter\n";
    for (const char* list : {"daten.jsonl", "daten.txt"}) {
        const CliResult same =
            inRoot(QStringLiteral("\"$0\" -q --compare %1 sicherung/daten").arg(list));
        EXPECT_EQ(same.exitCode, 0) << list << same.err.toStdString();
        EXPECT_EQ(same.out, first + "0 neu, 0 entfernt, 0 geändert\n") << list;
    }
    // By full paths, the same inventory against the original itself, without that line.
    EXPECT_EQ(inRoot("\"$0\" -q --compare daten.jsonl daten").out,
              "0 neu, 0 entfernt, 0 geändert\n");

    tree.file("sicherung/daten/b/x", 4);
    QFile::remove(tree.path("sicherung/daten/b.txt"));
    tree.folder("sicherung/daten/neu");
    const CliResult changed = inRoot("\"$0\" -q --compare daten.jsonl sicherung/daten");
    EXPECT_EQ(changed.exitCode, 1);
    EXPECT_EQ(changed.out, first + "~ b/x (2 -> 4 Bytes)\n- b.txt (2 Bytes)\n+ neu/\n\n"
                                   "1 neu, 1 entfernt, 1 geändert\n");
}

// --format json gives one object a difference, the same ones in the same order as the text, with
// exact bytes where a name is not UTF-8, and a summary; -0 gives the exact paths, each once.
TEST_F(CliDifferencesTest, DifferencesAsJsonLinesAndPathsMatchTheText) {
    ASSERT_EQ(inRoot("\"$0\" --format json daten > daten.jsonl").exitCode, 0);
    tree.file("daten/b/x", 5);
    tree.rawFile("daten/b", "bad\xfc", 1);
    QFile::remove(tree.path("daten/b.txt"));
    QFile::remove(tree.path("daten/verweis"));
    tree.folder("daten/verweis");
    const QString command = QStringLiteral("\"$0\" -q --compare daten.jsonl daten");
    const CliResult text = inRoot(command);
    const CliResult json = inRoot(command + " --format json");
    const CliResult paths = inRoot(command + " -0");
    for (const CliResult* result : {&text, &json, &paths})
        EXPECT_EQ(result->exitCode, 1) << result->err.toStdString();

    QByteArrayList textLines = text.out.split('\n');
    ASSERT_GE(textLines.size(), 3);
    const QByteArray summary = textLines.at(textLines.size() - 2);
    EXPECT_EQ(summary, "2 neu, 2 entfernt, 1 geändert");
    textLines = textLines.mid(0, textLines.size() - 3);
    const QByteArrayList jsonLines = json.out.trimmed().split('\n');
    ASSERT_EQ(jsonLines.size(), textLines.size() + 1) << json.out.toStdString();
    const QByteArray root = "daten/";
    int exactBytes = 0;
    for (qsizetype i = 0; i < textLines.size(); ++i) {
        const QJsonObject entry = QJsonDocument::fromJson(jsonLines.at(i)).object();
        const QString change = entry.value("change").toString();
        const QString mark = change == "added" ? "+" : change == "removed" ? "-" : "~";
        const QString folder = entry.value("kind").toString() == "folder" ? "/" : "";
        const QString shown = mark + " " + entry.value("path").toString() + folder;
        EXPECT_TRUE(QString::fromUtf8(textLines.at(i)).startsWith(shown))
            << textLines.at(i).toStdString() << " / " << jsonLines.at(i).toStdString();
        if (entry.contains("path_bytes")) {
            ++exactBytes;
            EXPECT_EQ(QByteArray::fromBase64(entry.value("path_bytes").toString().toLatin1()),
                      root + "b/bad\xfc");
        }
    }
    EXPECT_TRUE(
        json.out.contains(R"("path":"daten/b/x","kind":"file","by":"size","old":{"size":2,)"));
    EXPECT_TRUE(json.out.contains(R"({"change":"removed","path":"daten/verweis","kind":"link",)"));
    EXPECT_TRUE(json.out.contains(R"({"change":"added","path":"daten/verweis","kind":"folder",)"));
    const QJsonObject counts =
        QJsonDocument::fromJson(jsonLines.last()).object().value("summary").toObject();
    EXPECT_EQ(counts.value("added").toInt(), 2);
    EXPECT_EQ(counts.value("removed").toInt(), 2);
    EXPECT_EQ(counts.value("changed").toInt(), 1);
    EXPECT_TRUE(counts.value("complete").toBool());

    // The link that became a folder is named once.
    EXPECT_EQ(paths.out, root + "b/bad\xfc" + '\0' + root + "b/x" + '\0' + root + "b.txt" + '\0' +
                             root + "verweis" + '\0');
}

// A folder's contents follow its own line, before a sibling whose name goes on after the
// folder's; the note on other masks comes whatever the kinds of the two lists; simple lists end
// folders in "/" and see a folder that became a file; --type keeps one kind of difference.
TEST_F(CliDifferencesTest, OrderNotesAndSimpleListsHoldForEveryKindOfList) {
    ASSERT_EQ(inRoot("\"$0\" -q daten > ext.txt && \"$0\" -q -s -p daten > simple.txt").exitCode,
              0);
    const CliResult masks = inRoot("\"$0\" --compare ext.txt -q -s -p -m '*.txt' daten");
    EXPECT_TRUE(masks.err.contains("Hinweis: Die frühere Liste nennt andere Suchverzeichnisse oder "
                                   "Suchmasken als die neue"))
        << masks.err.toStdString();
    EXPECT_TRUE(masks.err.contains("Nur eine der beiden Listen ist eine erweiterte Liste"));

    QFile::remove(tree.path("daten/b/x"));
    ASSERT_TRUE(QDir(tree.path("daten")).rmdir("b"));
    tree.file("daten/b", 1);
    tree.file("daten/neu/c", 1);
    const CliResult simple = inRoot("\"$0\" --compare simple.txt -q -s -p daten");
    EXPECT_EQ(simple.exitCode, 1);
    EXPECT_EQ(simple.out, "- daten/b/\n+ daten/b\n- daten/b/x\n+ daten/neu/\n+ daten/neu/c\n\n"
                          "3 neu, 2 entfernt, 0 geändert\n");
    const CliResult extended = inRoot("\"$0\" --compare ext.txt -q daten");
    EXPECT_EQ(extended.out, "- daten/b/\n+ daten/b (1 Bytes)\n- daten/b/x (2 Bytes)\n"
                            "+ daten/neu/\n+ daten/neu/c (1 Bytes)\n\n"
                            "3 neu, 2 entfernt, 0 geändert\n");
    const CliResult folders = inRoot("\"$0\" --compare ext.txt -q -t d daten");
    EXPECT_EQ(folders.out, "- daten/b/\n+ daten/neu/\n\n1 neu, 1 entfernt, 0 geändert\n");
}

// A size or time that a list could not read is unknown, not a change: an inventory whose file
// has "size":null or "mtime":null compares as the same with the tree, one with another size not.
TEST_F(CliDifferencesTest, UnknownSizeOrTimeIsNoChange) {
    ASSERT_EQ(inRoot("\"$0\" --format json daten > daten.jsonl").exitCode, 0);
    QFile file(tree.path("daten.jsonl"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray inventory = file.readAll();
    file.close();
    const qsizetype at = inventory.indexOf(R"(/a.txt","size":3,"mtime":")");
    ASSERT_GT(at, 0) << inventory.toStdString();
    const qsizetype end = inventory.indexOf('}', at);
    const QByteArray line = inventory.mid(at, end - at);
    for (const QByteArray& edited :
         {QByteArray(R"(/a.txt","size":null)") + line.mid(line.indexOf(",\"mtime\"")),
          QByteArray(R"(/a.txt","size":3,"mtime":null,"mtime_ns":null)"),
          QByteArray(R"(/a.txt","size":4)") + line.mid(line.indexOf(",\"mtime\""))}) {
        QByteArray changed = inventory;
        changed.replace(at, end - at, edited);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(changed);
        file.close();
        const CliResult result = inRoot("\"$0\" -q --compare daten.jsonl daten");
        const bool known = edited.contains("\"size\":4");
        EXPECT_EQ(result.exitCode, known ? 1 : 0)
            << edited.toStdString() << result.err.toStdString();
        EXPECT_EQ(result.out,
                  known ? "~ daten/a.txt (4 -> 3 Bytes)\n\n0 neu, 0 entfernt, 1 geändert\n"
                        : "0 neu, 0 entfernt, 0 geändert\n")
            << edited.toStdString();
    }
}

} // namespace
