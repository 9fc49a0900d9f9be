#include "FileDialog.h"
#include "MessageBox.h"
#include "ResultWindowTestSupport.h"
#include "uList.h"

#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <sys/resource.h>
#include <vector>

namespace {

const QString textFilter = QStringLiteral("Textdateien (*.txt)");
const QString allFilesFilter = QStringLiteral("Alle Dateien (*.*)");

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<cannot read>");
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Lowers the largest file size the process may write, so that a save fails part-way as on a
// full disk; SIGXFSZ is ignored so the write reports EFBIG instead of ending the process.
class FileSizeLimit final {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &previous_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = previous_;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

// The save dialog and the error box answered by the test through their seams, which record what
// they were asked.
class ResultWindowSaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override {
        SaveDialogSeam().reset();
        ErrorBoxSeam().reset();
    }

    QString path(const QString& name) const { return folder.filePath(name); }
    void answer(const QString& fileName, const QString& filter = textFilter) {
        SaveDialogSeam().setNextAnswer({true, fileName, filter});
    }
    void cancelNext(FileDialogAnswer cancelled = {}) { SaveDialogSeam().setNextAnswer(cancelled); }
    void expectErrorBoxes(int count) {
        for (int i = 0; i < count; ++i)
            ErrorBoxSeam().setNextAnswer(MessageBoxAnswer::Ok);
    }
    static const std::vector<FileDialogRequest>& requests() { return SaveDialogSeam().requests(); }
    static QStringList errors() {
        QStringList texts;
        for (const MessageBoxRequest& box : ErrorBoxSeam().requests())
            texts.append(box.text);
        return texts;
    }
    void save() {
        QTest::mouseClick(FindControl<QPushButton>(*window, "btnSaveAs"), Qt::LeftButton);
    }
    QStringList folderEntries() const {
        return QDir(folder.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir folder;
    std::unique_ptr<TfrmList> window = std::make_unique<TfrmList>();
};

TEST_F(ResultWindowSaveTest, EveryLineIsWrittenAsUtf8FollowedByCrLf) {
    const QStringList lines{QStringLiteral("Verzeichnis von /tmp"), QString(),
                            QStringLiteral("Müller.txt   12  "), QStringLiteral("Summe")};
    QByteArray expected;
    for (const QString& line : lines) {
        window->mList->append(line.toStdString());
        expected += line.toUtf8() + "\r\n";
    }
    answer(path("liste.txt"));
    save();

    EXPECT_TRUE(errors().isEmpty()) << errors().join(' ').toStdString();
    EXPECT_EQ(ReadFile(path("liste.txt")), expected);
    // 20 + 0 + 18 (two bytes for ü) + 5 bytes of text and 2 per line.
    EXPECT_EQ(QFileInfo(path("liste.txt")).size(), 43 + 2 * 4);
}

TEST_F(ResultWindowSaveTest, AnEmptyListGivesAnEmptyFile) {
    answer(path("leer.txt"));
    save();
    EXPECT_TRUE(QFileInfo::exists(path("leer.txt")));
    EXPECT_EQ(QFileInfo(path("leer.txt")).size(), 0);
}

TEST_F(ResultWindowSaveTest, ANameWithoutExtensionGetsTxt) {
    window->mList->append("x");
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("v1.0")));
    answer(path("liste"));
    answer(path("v1.0/liste"), allFilesFilter); // a dot in a folder name is no extension
    answer(path("liste.csv"));
    save();
    save();
    save();
    EXPECT_EQ(ReadFile(path("liste.txt")), "x\r\n");
    EXPECT_EQ(ReadFile(path("v1.0/liste.txt")), "x\r\n");
    EXPECT_EQ(ReadFile(path("liste.csv")), "x\r\n");
    EXPECT_FALSE(QFileInfo::exists(path("liste")));
}

TEST_F(ResultWindowSaveTest, AnExistingFileIsReplacedWithoutAQuestion) {
    WriteFile(path("alt.txt"), QByteArray(5000, 'a'));
    window->mList->append("neu");
    answer(path("alt.txt"));
    save();
    EXPECT_EQ(ReadFile(path("alt.txt")), "neu\r\n");
    EXPECT_EQ(folderEntries(), QStringList{"alt.txt"});
}

TEST_F(ResultWindowSaveTest, TheDialogOffersTheLastChosenNameAndFilterAgain) {
    answer(path("erste"), allFilesFilter);
    cancelNext(); // the second display is cancelled
    save();
    save();

    ASSERT_EQ(requests().size(), 2u);
    const FileDialogRequest& first = requests()[0];
    EXPECT_EQ(first.title, "Datei speichern unter...");
    EXPECT_EQ(first.folder, QCoreApplication::applicationDirPath());
    EXPECT_EQ(first.fileName, QString());
    EXPECT_EQ(first.filters, (QStringList{textFilter, allFilesFilter}));
    EXPECT_EQ(first.selectedFilter, textFilter);
    EXPECT_EQ(first.defaultSuffix, "txt");
    EXPECT_EQ(requests()[1].folder, QCoreApplication::applicationDirPath());
    EXPECT_EQ(requests()[1].fileName, path("erste.txt"));
    EXPECT_EQ(requests()[1].selectedFilter, allFilesFilter);
}

TEST_F(ResultWindowSaveTest, CancellingWritesNothingAndRemembersNothing) {
    window->mList->append("x");
    cancelNext({false, path("abgebrochen.txt"), allFilesFilter});
    cancelNext();
    save();
    save();
    EXPECT_TRUE(folderEntries().isEmpty());
    EXPECT_TRUE(errors().isEmpty());
    ASSERT_EQ(requests().size(), 2u);
    EXPECT_EQ(requests()[1].fileName, QString());
    EXPECT_EQ(requests()[1].selectedFilter, textFilter);
}

TEST_F(ResultWindowSaveTest, AWriteFailureKeepsTheOldFileAndLeavesNoPartialFile) {
    WriteFile(path("liste.txt"), "die alte Liste\r\n");
    for (int i = 0; i < 4000; ++i)
        window->mList->append("Zeile " + std::to_string(i) + " mit etwas Text darin");
    answer(path("liste.txt"));
    expectErrorBoxes(1);
    {
        const FileSizeLimit limit(4096);
        save();
    }
    EXPECT_EQ(errors(), QStringList{"Stream write error."});
    EXPECT_EQ(ReadFile(path("liste.txt")), "die alte Liste\r\n");
    EXPECT_EQ(folderEntries(), QStringList{"liste.txt"});
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->mList->lineCount(), 4000);
}

TEST_F(ResultWindowSaveTest, ATargetThatCannotBeCreatedIsNamedInTheMessage) {
    WriteFile(path("datei"), "x");
    window->mList->append("x");
    answer(path("datei/liste.txt"));       // through a regular file
    answer(path("fehlt/unter/liste.txt")); // through folders that do not exist
    expectErrorBoxes(2);
    save();
    save();
    EXPECT_EQ(errors(), (QStringList{"Cannot create file " + path("datei/liste.txt") + ".",
                                     "Cannot create file " + path("fehlt/unter/liste.txt") + "."}));
    EXPECT_EQ(folderEntries(), QStringList{"datei"});
    EXPECT_EQ(ReadFile(path("datei")), "x");
}

TEST(SaveDialogTest, DefaultSuffixOnlyForNamesWithoutExtension) {
    EXPECT_EQ(WithDefaultSuffix("/a/liste", "txt"), "/a/liste.txt");
    EXPECT_EQ(WithDefaultSuffix("/a.b/liste", "txt"), "/a.b/liste.txt");
    EXPECT_EQ(WithDefaultSuffix("/a/liste.TXT", "txt"), "/a/liste.TXT");
    EXPECT_EQ(WithDefaultSuffix("/a/.profil", "txt"), "/a/.profil");
}

} // namespace
