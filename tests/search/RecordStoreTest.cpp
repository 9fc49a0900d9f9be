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

// Every record as a line of text: kind, folder, name, size and time; folders as they begin.
class RecordText final : public RecordSink {
public:
    explicit RecordText(bool foldersFirst) : foldersFirst_(foldersFirst) {}
    Needs needs() const override { return Needs{true, true, foldersFirst_, std::nullopt, false}; }
    void beginFolder(std::string_view folder) override { text.append("[").append(folder) += "\n"; }
    void entry(const EntryRecord& record) override {
        if (record.kind == EntryRecord::Kind::Dot)
            return;
        text.append(record.kind == EntryRecord::Kind::File ? "F " : "D ");
        text.append(record.folder).append("|").append(record.name);
        text += " " + std::to_string(record.size) + " " + std::to_string(record.modified.seconds) +
                "." + std::to_string(record.modified.nanoseconds) + "\n";
    }
    void endFolder() override { text += "]\n"; }
    void endRun() override { text += "end\n"; }

    std::string text;

private:
    bool foldersFirst_;
};

// Stored in a folder's own order (as a simple listing gets them), the records come back in the
// extended listing's order with every byte of their names, sizes and times.
TEST(RecordStoreTest, ReplayGivesWhatTheScanHandedOnInTheListingsOrder) {
    TempTree tree;
    tree.file("A/zz.txt", 70000);
    tree.file("A/Sub/inner", 3);
    tree.file("A/Sub2/x", 1);
    tree.rawFile("A", "bad\xfc\nname", 5);
    tree.rawFile("A", "badly", 6);
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
    EXPECT_NE(direct.text.find("|Sub 0 -86400.5\n"), std::string::npos);
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
            sink->entry({EntryRecord::Kind::File, folder, name, size, time, {}, -1});
        }
        sink->endFolder();
        sink->endRun();
    }
    RecordText replayed(true);
    store.replay(replayed);
    EXPECT_EQ(replayed.text, direct.text);
}

} // namespace
