#pragma once

#include <cstdint>
#include <QString>
#include <QTemporaryDir>
#include <string>

// A real folder tree in a temporary folder for one test, removed afterwards.
class TempTree final {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // The tree's root without a trailing "/".
    QString root() const { return dir_.path(); }
    std::string rootBytes() const;
    QString path(const QString& relative) const;

    // Creates a folder (and its parents) below the root.
    void folder(const QString& relative) const;
    // Creates a file holding `size` bytes (parents created as needed).
    void file(const QString& relative, std::int64_t size = 0) const;
    // Creates a file by its raw name bytes inside an existing folder.
    void rawFile(const std::string& relativeFolder, const std::string& rawName,
                 std::int64_t size = 0) const;
    void symlink(const QString& target, const QString& relative) const;
    // Writes another byte into the file at `offset` and puts its times back, so that only its
    // content tells the change.
    void flipByteKeepingTimes(const QString& relative, std::int64_t offset = 1000) const;

private:
    QTemporaryDir dir_;
};
