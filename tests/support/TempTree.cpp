#include "TempTree.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void writeBytes(const QByteArray& path, std::int64_t size) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << path.constData();
    if (size > 0) {
        // Small files get real content; large ones are sparse.
        if (size <= 65536) {
            const std::string content(static_cast<std::size_t>(size), 'x');
            ASSERT_EQ(::write(fd, content.data(), content.size()), static_cast<ssize_t>(size));
        } else {
            ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
        }
    }
    ::close(fd);
}

} // namespace

TempTree::TempTree() {
    EXPECT_TRUE(dir_.isValid());
}

// rm copes with trees deeper than the path limit, which QDir cannot remove. It is started with
// a plain fork: QProcess's vfork-like start confuses ThreadSanitizer's view of this thread.
TempTree::~TempTree() {
    const QByteArray rootPath = QFile::encodeName(root());
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::execlp("rm", "rm", "-rf", "--", rootPath.constData(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    if (child > 0)
        ::waitpid(child, &status, 0);
}

std::string TempTree::rootBytes() const {
    return QFile::encodeName(root()).toStdString();
}

QString TempTree::path(const QString& relative) const {
    return root() + QLatin1Char('/') + relative;
}

void TempTree::folder(const QString& relative) const {
    ASSERT_TRUE(QDir().mkpath(path(relative))) << relative.toStdString();
}

void TempTree::file(const QString& relative, std::int64_t size) const {
    const QString full = path(relative);
    QDir().mkpath(QFileInfo(full).path());
    writeBytes(QFile::encodeName(full), size);
}

void TempTree::rawFile(const std::string& relativeFolder, const std::string& rawName,
                       std::int64_t size) const {
    std::string full = rootBytes() + "/";
    if (!relativeFolder.empty())
        full += relativeFolder + "/";
    full += rawName;
    writeBytes(QByteArray::fromStdString(full), size);
}

void TempTree::symlink(const QString& target, const QString& relative) const {
    ASSERT_EQ(::symlink(QFile::encodeName(target).constData(),
                        QFile::encodeName(path(relative)).constData()),
              0);
}

void TempTree::flipByteKeepingTimes(const QString& relative, std::int64_t offset) const {
    const QByteArray name = QFile::encodeName(path(relative));
    struct stat before {};
    ASSERT_EQ(::stat(name.constData(), &before), 0);
    QFile file(path(relative));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(offset));
    char byte = 0;
    ASSERT_TRUE(file.getChar(&byte));
    ASSERT_TRUE(file.seek(offset));
    ASSERT_TRUE(file.putChar(static_cast<char>(byte ^ 1)));
    file.close();
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, name.constData(), times, 0), 0);
}
