#include "base/Utf8Text.h"
#include "format/ScopeLines.h"
#include "OpenedFolders.h"
#include "output/ResultLines.h"
#include "RecordingProgress.h"
#include "ScanHelpers.h"
#include "scope/ExclusionRule.h"
#include "scope/ScopeText.h"
#include "TempTree.h"
#include "walk/ScanTuning.h"

#include <gtest/gtest.h>
#include <QTimeZone>

namespace {

std::optional<std::int64_t> size(const char* text) {
    QString error;
    return ParseSizeText(QString::fromUtf8(text), error);
}

TEST(ScopeTextTest, SizesDepthsAndTimesAreReadOrRefusedWithAReason) {
    EXPECT_EQ(size("0"), 0);
    EXPECT_EQ(size("4096"), 4096);
    EXPECT_EQ(size("10k"), 10240);
    EXPECT_EQ(size("3M"), 3 * 1048576);
    EXPECT_EQ(size("2g"), std::int64_t{2} << 30);
    EXPECT_EQ(size("1T"), std::int64_t{1} << 40);
    for (const char* bad :
         {"", "-1", "1.5M", "10kB", "k", "1 k", "10P", "8388608T", "99999999999999999999"}) {
        QString error;
        EXPECT_FALSE(ParseSizeText(QString::fromUtf8(bad), error)) << bad;
        EXPECT_FALSE(error.isEmpty()) << bad;
    }

    QString error;
    EXPECT_EQ(ParseDepthText("0", error), 0);
    EXPECT_EQ(ParseDepthText("12", error), 12);
    for (const char* bad : {"", "-1", "x", "2k", "1e3", "99999999999999999999"})
        EXPECT_FALSE(ParseDepthText(QString::fromUtf8(bad), error)) << bad;

    const FileTime now{1'800'000'000, 123};
    EXPECT_EQ(ParseWhenText("30d", now, error), (FileTime{now.seconds - 30 * 86400, 0}));
    EXPECT_EQ(ParseWhenText("12h", now, error), (FileTime{now.seconds - 12 * 3600, 0}));
    EXPECT_EQ(ParseWhenText("90min", now, error), (FileTime{now.seconds - 5400, 0}));
    EXPECT_EQ(ParseWhenText("2w", now, error), (FileTime{now.seconds - 14 * 86400, 0}));
    EXPECT_EQ(ParseWhenText("5s", now, error), (FileTime{now.seconds - 5, 0}));
    const qint64 midnight = QDateTime(QDate(2026, 1, 31), QTime(0, 0)).toSecsSinceEpoch();
    EXPECT_EQ(ParseWhenText("2026-01-31", now, error), (FileTime{midnight, 0}));
    EXPECT_EQ(ParseWhenText("2026-01-31T14:30", now, error), (FileTime{midnight + 52200, 0}));
    EXPECT_EQ(ParseWhenText("2026-01-31 14:30:15", now, error), (FileTime{midnight + 52215, 0}));
    EXPECT_EQ(
        ParseWhenText("2026-01-31T14:30:00Z", now, error),
        (FileTime{QDateTime(QDate(2026, 1, 31), QTime(14, 30), QTimeZone::utc()).toSecsSinceEpoch(),
                  0}));
    for (const char* bad : {"", "30", "30m", "30 d", "d", "2026-02-30", "2026-1-5", "gestern",
                            "2026-01-31T25:00", "2026-01-31T14:30:00.5", "9999999999999999w"}) {
        error.clear();
        EXPECT_FALSE(ParseWhenText(QString::fromUtf8(bad), now, error)) << bad;
        EXPECT_FALSE(error.isEmpty()) << bad;
    }
}

TEST(ExclusionRuleTest, NameMasksMatchAnywhereAndPathMasksBelowTheSearchedFolder) {
    const ExclusionRule rule(QStringLiteral("*.TMP;node_modules;/Projekte/*/build;;Alt/"));
    EXPECT_TRUE(rule.excludesPath("a.tmp"));
    EXPECT_TRUE(rule.excludesPath("x/y/Node_Modules"));
    EXPECT_TRUE(rule.excludesPath("x/node_modules/deep/file.c"));
    EXPECT_TRUE(rule.excludesPath("Projekte/eins/build"));
    EXPECT_TRUE(rule.excludesPath("projekte/zwei/BUILD/out.o"));
    EXPECT_TRUE(rule.excludesPath("Alt"));
    EXPECT_FALSE(rule.excludesPath("Projekte/build"));
    EXPECT_FALSE(rule.excludesPath("Projekte/eins/zwei/build"));
    EXPECT_FALSE(rule.excludesPath("x/Alt"));
    EXPECT_FALSE(rule.excludesPath("a.tmp.txt"));

    const std::string key = UpperKey("build");
    EXPECT_TRUE(rule.forFolder("Projekte/eins/").excludesKey(key));
    EXPECT_FALSE(rule.forFolder("Projekte/").excludesKey(key));
    EXPECT_FALSE(rule.forFolder("").excludesKey(key));
    EXPECT_TRUE(rule.forFolder("").excludesKey(UpperKey("Alt")));
    EXPECT_TRUE(rule.forFolder("deep/er/").excludesKey(UpperKey("b.tmp")));

    EXPECT_TRUE(rule.excludesSearchedFolder("/srv/x/node_modules/"));
    EXPECT_FALSE(rule.excludesSearchedFolder("/srv/node_modules/x"));
    EXPECT_FALSE(rule.excludesSearchedFolder("/srv/Projekte/eins/build"));
    EXPECT_TRUE(ExclusionRule(QString()).empty());
    EXPECT_TRUE(ExclusionRule(QStringLiteral(";;/")).empty());
}

TEST(ScopeLinesTest, EachPartReadsBackAsWritten) {
    SearchScope scope;
    scope.Exclusions = QStringLiteral(".git;Projekte/*/build");
    scope.OneFileSystem = true;
    scope.MaxDepth = 3;
    scope.MinSize = 1024;
    scope.MaxSize = std::int64_t{5} << 30;
    scope.NewerThan = FileTime{1'700'000'000, 0};
    scope.OlderThan = FileTime{1'760'000'000, 0};
    for (int part = 0; part < 3; ++part) {
        SearchScope written = scope;
        if (part == 1) {
            written.MinSize.reset();
            written.OlderThan.reset();
        } else if (part == 2) {
            written.MaxSize.reset();
            written.NewerThan.reset();
            written.OneFileSystem = false;
        }
        ResultLines lines;
        AppendScopeLines(written, lines);
        SearchScope read;
        for (const QString& line : LinesOf(lines))
            EXPECT_TRUE(ReadScopeLine(line.toStdString(), read)) << line.toStdString();
        EXPECT_EQ(read, written) << part;
    }
    ResultLines none;
    AppendScopeLines(SearchScope(), none);
    EXPECT_EQ(none.size(), 0);
    SearchScope ignored;
    for (const char* line : {"Tiefe: höchstens x Ebenen", "Größe: mindestens 5",
                             "Geändert: gestern", "Größe: ", "Nur zwei Dateisysteme"})
        EXPECT_FALSE(ReadScopeLine(line, ignored)) << line;
}

// The same scope through the scan alone and with the workers reading ahead: what is excluded
// is gone with everything below it, deeper folders are listed but not entered, and files outside
// the size range go while folders stay.
TEST(WalkScopeTest, ScanAndReadAheadLeaveOutTheSame) {
    TempTree tree;
    for (int i = 0; i < 30; ++i) {
        const QString top = QStringLiteral("d%1/").arg(i, 2, 10, QLatin1Char('0'));
        tree.file(top + "small.txt", 10);
        tree.file(top + "large.txt", 5000);
        tree.file(top + "skip.tmp", 5000);
        tree.file(top + "node_modules/m/x.js", 5000);
        tree.file(top + "sub/build/out.o", 5000);
        tree.file(top + "sub/keep/deeper/far.txt", 5000);
    }
    SearchScope scope;
    scope.Exclusions = QStringLiteral("*.tmp;node_modules;*/sub/build");
    scope.MaxDepth = 2;
    scope.MinSize = 100;
    ScanTuning alone;
    alone.maxAhead = 0;
    const QStringList plain = Scan(tree.root(), "*.*",
                                   {.recursive = true,
                                    .fullPath = true,
                                    .extended = false,
                                    .tuning = &alone,
                                    .scope = &scope});
    const QString d07 = tree.path("d07/");
    EXPECT_TRUE(plain.contains(d07 + "large.txt"));
    EXPECT_TRUE(plain.contains(d07 + "sub/keep"));
    EXPECT_TRUE(plain.contains(d07 + "sub"));
    for (const char* gone : {"small.txt", "skip.tmp", "node_modules", "node_modules/m", "sub/build",
                             "sub/keep/deeper", "sub/keep/deeper/far.txt"})
        EXPECT_FALSE(plain.contains(d07 + gone)) << gone;
    // The searched folder's ".", ".." and 30 folders; in each "." and "..", large.txt and sub;
    // in sub ".", ".." and keep.
    EXPECT_EQ(plain.size(), 2 + 30 + 30 * (4 + 3));

    for (const ScanTuning& tuning : {ScanTuning(), AsOnASlowShare()}) {
        RecordingProgress progress;
        EXPECT_EQ(Scan(tree.root(), "*.*",
                       {.recursive = true,
                        .fullPath = true,
                        .extended = false,
                        .progress = &progress,
                        .tuning = &tuning,
                        .scope = &scope}),
                  plain);
        EXPECT_TRUE(progress.unreadable.empty());
    }
}

// However deep the workers read ahead, they open no folder that the walk does not enter: none
// excluded by name or by path, none deeper than allowed, nothing below those. The listing is the
// same as without reading ahead.
TEST(WalkScopeTest, ReadingAheadOpensNoFolderOutsideTheWalk) {
    TempTree tree;
    QStringList outside;
    for (int i = 0; i < 27; ++i) {
        const QString folder = QStringLiteral("d%1/e%2/f%3/").arg(i / 9).arg(i / 3 % 3).arg(i % 3);
        tree.file(folder + "x.txt", 1);
        tree.file(folder + "g/h/x.txt", 1);
        outside << folder + "g" << folder + "g/h";
        tree.file(QStringLiteral("d%1/skip/s/x.txt").arg(i / 9), 1);
        outside << QStringLiteral("d%1/skip").arg(i / 9) << QStringLiteral("d%1/skip/s").arg(i / 9);
    }
    outside << "d1/e2"
            << "d1/e2/f0"
            << "d1/e2/f1"
            << "d1/e2/f2";
    OpenedFolders opened;
    for (const QString& folder : outside)
        opened.watch(tree.path(folder));
    SearchScope scope;
    scope.Exclusions = QStringLiteral("skip;d1/e2");
    scope.MaxDepth = 3;
    ScanTuning alone;
    alone.maxAhead = 0;
    const auto scan = [&](const ScanTuning& tuning) {
        return Scan(tree.root(), "*.*",
                    {.recursive = true,
                     .fullPath = true,
                     .extended = false,
                     .tuning = &tuning,
                     .scope = &scope});
    };
    const QStringList plain = scan(alone);
    EXPECT_TRUE(plain.contains(tree.path("d2/e2/f2/g")));
    EXPECT_TRUE(plain.contains(tree.path("d1/e1/f1/x.txt")));
    // "." and ".." in each folder entered, and its folders: d0 to d2, in each d e0 to e2 (in d1
    // no e2), in each e f0 to f2; in each of the 24 folders f x.txt and g.
    EXPECT_EQ(plain.size(), 5 + 3 * 2 + 8 + 8 * 5 + 24 * 4);
    for (const ScanTuning& tuning : {ScanTuning(), AsOnASlowShare()})
        EXPECT_EQ(scan(tuning), plain);
    EXPECT_EQ(opened.opened(), QStringList());
}

} // namespace
