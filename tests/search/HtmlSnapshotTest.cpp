#include "snapshot/HtmlSnapshot.h"

#include "output/LineSink.h"
#include "run/SearchProgress.h"
#include "SearchDriver.h"
#include "TempTree.h"

#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <string>
#include <vector>

namespace {

class PageText final : public LineSink {
public:
    void append(std::string_view line) override { text.append(line).push_back('\n'); }
    std::string text;
};

// What a snapshot is made with besides the search: its digests, what it adds before the run, and
// folders that the outcome names as loops (which need a bind mount to make for real).
struct SnapshotSetup {
    std::optional<DigestAlgorithm> digest;
    std::function<void(HtmlSnapshot&)> prepare;
    std::vector<QString> loops;
};

// The page the search of `settings` gives.
std::string snapshotOf(TSearchFiles& settings, const SnapshotSetup& setup = {}) {
    PageText page;
    SearchProgress silent;
    RunOutcome outcome;
    for (const QString& loop : setup.loops)
        outcome.addLoop(QFile::encodeName(loop) + '/');
    RunOutcomeRecorder recorder(silent, settings, outcome);
    HtmlSnapshot snapshot(page, outcome, setup.digest);
    if (setup.prepare)
        setup.prepare(snapshot);
    snapshot.begin(settings, FileTime{1'800'000'000, 0});
    RunSearch(settings, snapshot, recorder);
    return page.text;
}

// The lines of the data element `id`.
std::vector<std::string> section(const std::string& page, const std::string& id) {
    const std::string open = "id=\"" + id + "\">\n";
    const std::size_t start = page.find(open);
    if (start == std::string::npos)
        return {};
    const std::size_t begin = start + open.size();
    const std::string body = page.substr(begin, page.find("</script>", begin) - begin);
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < body.size(); at = body.find('\n', at) + 1)
        lines.push_back(body.substr(at, body.find('\n', at) - at));
    return lines;
}

// A folder's line without its time and names' length: "parent flags files totalFiles totalBytes
// name".
std::vector<std::string> folders(const std::string& page) {
    std::vector<std::string> lines;
    for (const std::string& line : section(page, "fi-folders")) {
        const QStringList fields = QString::fromStdString(line).split(QLatin1Char(' '));
        lines.push_back(QStringList({fields.mid(0, 5).join(QLatin1Char(' ')),
                                     fields.mid(7).join(QLatin1Char(' '))})
                            .join(QLatin1Char(' '))
                            .toStdString());
    }
    return lines;
}

TSearchFiles searchOf(const std::vector<std::pair<QString, bool>>& roots, const QString& masks) {
    TSearchFiles settings;
    InitSearchFiles(settings);
    for (const auto& [folder, recursive] : roots)
        AddSearchFolder(settings, folder, recursive);
    settings.Masks = masks;
    return settings;
}

} // namespace

// Two masks that both match a file, and a searched folder inside another, list each file once
// in the listing's order; totals count each file once, with all subfolders; a subfolder of a
// folder searched without its subfolders is named but not searched (flags 0), one that could
// not be read (flags 3) or that loops (flags 9) is marked and named in the header. A subfolder's
// name that matches both masks names it once.
TEST(HtmlSnapshotTest, TreeHoldsEachFileOnceWithTotalsOfItsSubfolders) {
    TempTree tree;
    tree.file("A/b.txt", 20);
    tree.file("A/a.txt", 10);
    tree.file("A/Sub/z.txt", 5);
    tree.file("A/Sub/w.doc", 7);
    tree.file("N/Alt.txt/deep.txt", 1);
    tree.file("N/top.txt", 2);
    TSearchFiles settings = searchOf({{tree.path("A"), true},
                                      {tree.path("A/Sub"), true},
                                      {tree.path("N"), false},
                                      {tree.path("A/fehlt"), true}},
                                     "*.txt;*.t*");
    SnapshotSetup setup;
    setup.loops = {tree.path("A/Sub")};
    const std::string page = snapshotOf(settings, setup);
    const std::string a = tree.path("A").toStdString();
    EXPECT_EQ(folders(page), (std::vector<std::string>{
                                 "0 1 2 3 35 " + a,
                                 "1 3 0 0 0 fehlt",
                                 "1 9 1 1 5 Sub",
                                 "0 1 1 1 2 " + tree.path("N").toStdString(),
                                 "4 0 0 0 0 Alt.txt",
                             }));
    EXPECT_EQ(section(page, "fi-names"),
              (std::vector<std::string>{"a.txt", "b.txt", "z.txt", "top.txt"}));
    EXPECT_NE(page.find("<li>nicht lesbar: " + a + "/fehlt/: "), std::string::npos);
    EXPECT_NE(page.find("<li>Dateisystemschleife, nicht erneut betreten: " + a + "/Sub/</li>"),
              std::string::npos);
    EXPECT_NE(page.find("4 Dateien in 5 Verzeichnissen, 37 Bytes"), std::string::npos);
}

// Names and texts are data: no "<" stands in a data element, so none can end it, and the header
// shows them as text. The page's policy allows its own script and style by their hashes and
// nothing else. The digests, and the seams for more header lines and file columns, carry their
// texts the same way.
TEST(HtmlSnapshotTest, NamesAreDataAndThePolicyAllowsOnlyThePagesOwnScriptAndStyle) {
    TempTree tree;
    tree.file("<b>&/<img src=x onerror=alert(1)>", 3);
    tree.rawFile("<b>&", "bad\xff\x01<!--", 1);
    TSearchFiles settings = searchOf({{tree.path("<b>&"), true}}, "*");
    SnapshotSetup setup;
    setup.digest = DigestAlgorithm::Sha256;
    setup.prepare = [](HtmlSnapshot& snapshot) {
        snapshot.addColumn("Prüf<summe>", [](const EntryRecord& record) {
            return "</script>" + std::string(record.name.substr(0, 3));
        });
        snapshot.addFact("Umfang", "<i>alles</i>");
    };
    const std::string page = snapshotOf(settings, setup);

    for (const char* id :
         {"fi-head", "fi-folders", "fi-numbers", "fi-names", "fi-col-0", "fi-col-1"}) {
        ASSERT_FALSE(section(page, id).empty()) << id;
        for (const std::string& line : section(page, id))
            EXPECT_EQ(line.find('<'), std::string::npos) << id << ": " << line;
    }
    EXPECT_EQ(section(page, "fi-names"),
              (std::vector<std::string>{"\timg src=x onerror=alert(1)>", "bad\xEF\xBF\xBD?\t!--"}));
    const auto sha256 = [](const QByteArray& content) {
        return QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex().toStdString();
    };
    EXPECT_EQ(section(page, "fi-col-0"), (std::vector<std::string>{sha256("xxx"), sha256("x")}));
    EXPECT_EQ(section(page, "fi-col-1"),
              (std::vector<std::string>{"\t/script>\tim", "\t/script>bad"}));
    EXPECT_EQ(section(page, "fi-head")[0],
              "{\"created\":1800000000,\"columns\":[\"SHA-256\",\"Prüf\\u003csumme>\"]}");
    EXPECT_NE(page.find("<dt>Prüfsummen</dt><dd>SHA-256 jeder Datei</dd>"), std::string::npos);
    EXPECT_NE(page.find("<dt>Umfang</dt><dd>&lt;i&gt;alles&lt;/i&gt;</dd>"), std::string::npos);
    EXPECT_NE(page.find("&lt;b&gt;&amp; (mit Unterverzeichnissen)"), std::string::npos);
    EXPECT_EQ(page.find("<b>&"), std::string::npos);

    const QString html = QString::fromStdString(page);
    const auto hashOf = [&](const QString& element) {
        const QRegularExpression inside(QStringLiteral("<%1>(.*?)</%1>").arg(element),
                                        QRegularExpression::DotMatchesEverythingOption);
        const QRegularExpressionMatch match = inside.match(html);
        EXPECT_TRUE(match.hasMatch()) << element.toStdString();
        return QStringLiteral("'sha256-%1'")
            .arg(QString::fromLatin1(
                QCryptographicHash::hash(match.captured(1).toUtf8(), QCryptographicHash::Sha256)
                    .toBase64()));
    };
    const QString policy =
        QStringLiteral("default-src 'none'; script-src %1; style-src %2; "
                       "base-uri 'none'; form-action 'none'")
            .arg(hashOf(QStringLiteral("script")), hashOf(QStringLiteral("style")));
    EXPECT_TRUE(
        html.contains(QStringLiteral("<meta http-equiv=\"Content-Security-Policy\" content=\"%1\">")
                          .arg(policy)));
}
