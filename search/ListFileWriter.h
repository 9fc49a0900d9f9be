#pragma once

#include <QSaveFile>
#include <QString>

#include <string>
#include <string_view>

// Writes a list as a text file: UTF-8 without byte-order mark, every line followed by a carriage
// return and a line feed. The file is written beside its target and put in place only when
// every byte has been written, so a failed save leaves an existing file of that name untouched
// and no partial file behind.
class ListFileWriter final {
public:
    explicit ListFileWriter(const QString& fileName);
    ListFileWriter(const ListFileWriter&) = delete;
    ListFileWriter& operator=(const ListFileWriter&) = delete;

    // Empty on success, else "Cannot create file <full name>".
    QString open();
    void writeLine(std::string_view utf8Line);
    void writeLine(const QString& line);
    // Empty on success, else "Stream write error"; the target is then unchanged.
    QString commit();

    static QString cannotCreateMessage(const QString& fileName);
    static QString writeErrorMessage();

private:
    void flushBuffer();

    QSaveFile file_;
    std::string buffer_;
    bool failed_ = false;
};

// Appends a full stop to an error message whose last character comes after the full stop in
// character-code order (a letter or a digit does), as the error box shows it.
QString WithFullStop(const QString& message);
