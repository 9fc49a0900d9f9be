#pragma once

#include <map>
#include <QString>
#include <QStringList>

// Watches folders (inotify) and tells which of them anyone has opened, or anything in them.
class OpenedFolders final {
public:
    OpenedFolders();
    ~OpenedFolders();
    OpenedFolders(const OpenedFolders&) = delete;
    OpenedFolders& operator=(const OpenedFolders&) = delete;

    void watch(const QString& folder);
    // The folders watched that were opened since the watch began, once for each open.
    QStringList opened();
    // Waits until `folder` has been opened; false when that has not happened within a minute.
    bool waitUntilOpened(const QString& folder);

private:
    void readEvents(int timeoutMs);

    int fd_;
    std::map<int, QString> folders_; // by watch
    QStringList opened_;
};
