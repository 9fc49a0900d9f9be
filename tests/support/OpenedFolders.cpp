#include "OpenedFolders.h"

#include <array>
#include <chrono>
#include <gtest/gtest.h>
#include <poll.h>
#include <QFile>
#include <sys/inotify.h>
#include <unistd.h>

OpenedFolders::OpenedFolders() : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    EXPECT_GE(fd_, 0);
}

OpenedFolders::~OpenedFolders() {
    ::close(fd_);
}

void OpenedFolders::watch(const QString& folder) {
    const int watch =
        ::inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_OPEN | IN_ONLYDIR);
    ASSERT_GE(watch, 0) << folder.toStdString();
    folders_[watch] = folder;
}

QStringList OpenedFolders::opened() {
    readEvents(0);
    return opened_;
}

bool OpenedFolders::waitUntilOpened(const QString& folder) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!opened_.contains(folder)) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        readEvents(100);
    }
    return true;
}

// Takes the events there are, waiting up to `timeoutMs` for the first.
void OpenedFolders::readEvents(int timeoutMs) {
    pollfd ready{fd_, POLLIN, 0};
    if (::poll(&ready, 1, timeoutMs) <= 0)
        return;
    alignas(inotify_event) std::array<char, 4096> buffer;
    for (;;) {
        const ssize_t got = ::read(fd_, buffer.data(), buffer.size());
        if (got <= 0)
            return;
        for (ssize_t pos = 0; pos < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + pos);
            pos += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if ((event->mask & IN_OPEN) != 0)
                opened_.append(folders_[event->wd]);
        }
    }
}
