#include "records/RecordStore.h"

#include "run/SearchProgress.h"
#include "SearchDriver.h"
#include "TempTree.h"

#include <climits>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <QFile>
#include <string>
#include <sys/stat.h>

namespace {

// Every record as a line of text: kind, folder, name, size and time ("?" where they could not be
// read), a link's target; folders as they begin.
class RecordText final : public RecordSink {
public:
    explicit RecordText(bool foldersFirst) : foldersFirst_(foldersFirst) {}
    Needs needs() const override {
        return Needs{.sizes = true, .times = true, .foldersFirst = foldersFirst_, .targets = true};
    }
    void beginFolder(std::string_view folder) override { text.append("[").append(folder) += "\n"; }
    void entry(const EntryRecord& record) override {
        if (record.kind == EntryRecord::Kind::Dot)
            return;
        text.push_back("FLSD"[static_cast<int>(record.kind)]);
        text.append(" ").append(record.folder).append("|").append(record.name);
        text += " " + (record.sizeRead ? std::to_string(record.size) : "?") + " " +
                (record.timeRead ? std::to_string(record.modified.seconds) + "." +
                                       std::to_string(record.modified.nanoseconds)
                                 : "?");
        if (record.targetRead)
            text.append(" -> ").append(record.target);
        text += "\n";
    }
    void endFolder() override { text += "]\n"; }
    void endRun() override { text += "end\n"; }

    std::string text;

private:
    bool foldersFirst_;
};

// Stored in a folder's own order (as a simple listing gets them), the records come back in the
// extended listing's order with every byte of their names, sizes, times and links' targets, with
// their kinds and what could not be read.
TEST(RecordStoreTest, ReplayGivesWhatTheScanHandedOnInTheListingsOrder) {
    TempTree tree;
    tree.file("A/zz.txt", 70000);
    tree.file("A/Sub/inner", 3);
    tree.file("A/Sub2/x", 1);
    tree.rawFile("A", "bad\xfc\nname", 5);
    tree.rawFile("A", "badly", 6);
    ASSERT_EQ(::symlink("zz.txt\xff", QFile::encodeName(tree.path("A/link")).constData()), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(tree.path("A/Sub/pipe")).constData(), 0600), 0);
    // A name of the longest kind, and a folder whose text is longer than one stored item's room.
    tree.file("A/" + QString(255, QLatin1Char('n')), 7);
    tree.file("A/" + QString(200, QLatin1Char('d')) + "/" + QString(200, QLatin1Char('e')) + "/f",
              8);
    const timespec old[2] = {{-86400, 5}, {-86400, 5}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(tree.path("A/Sub")).constData(), old, 0), 0);
    TSearchFiles settings;
    InitSearchFiles(settings);
    AddSearchFolder(settings, tree.path("A"), true);
    settings.Masks = "*.*;*.txt";
    SearchProgress silent;

    RecordText direct(true);
    RunSearch(settings, direct, silent);
    RecordText foundOrder(false);
    RecordStore store;
    RecordTee both(foundOrder, store);
    RunSearch(settings, both, silent);
    RecordText replayed(true);
    store.replay(replayed);
    EXPECT_EQ(replayed.text, direct.text);
    EXPECT_NE(foundOrder.text, direct.text);
    EXPECT_NE(direct.text.find("|bad\xfc\nname 5 "), std::string::npos);
    EXPECT_NE(direct.text.find("D " + tree.path("A").toStdString() + "/|Sub 0 -86400.5\n"),
              std::string::npos);
    EXPECT_NE(direct.text.find("|link 7 "), std::string::npos);
    EXPECT_NE(direct.text.find(" -> zz.txt\xff\n"), std::string::npos);
    EXPECT_NE(direct.text.find("S " + tree.path("A/Sub").toStdString() + "/|pipe 0 "),
              std::string::npos);
}

TEST(RecordStoreTest, ExtremeSizesAndTimesComeBack) {
    RecordStore store;
    RecordText direct(true);
    const std::string folder = "/x/";
    const std::pair<std::int64_t, FileTime> values[] = {{0, {INT64_MIN, 0}},
                                                        {INT64_MAX, {INT64_MAX, 999999999}},
                                                        {1, {-1, 999999999}},
                                                        {4096, {0, 0}},
                                                        {123456789, {1796712198, 1}}};
    for (RecordSink* sink : {static_cast<RecordSink*>(&store), static_cast<RecordSink*>(&direct)}) {
        sink->beginFolder(folder);
        std::string name = "name";
        for (const auto& [size, time] : values) {
            name += "x";
            sink->entry({.kind = EntryRecord::Kind::File,
                         .folder = folder,
                         .name = name,
                         .size = size,
                         .modified = time});
        }
        // Neither size nor time read, and a link with an empty target.
        sink->entry({.kind = EntryRecord::Kind::File,
                     .folder = folder,
                     .name = "unread",
                     .sizeRead = false,
                     .timeRead = false});
        sink->entry({.kind = EntryRecord::Kind::Link,
                     .folder = folder,
                     .name = "z",
                     .target = "",
                     .targetRead = true});
        sink->endFolder();
        sink->endRun();
    }
    RecordText replayed(true);
    store.replay(replayed);
    EXPECT_EQ(replayed.text, direct.text);
}

} // namespace
