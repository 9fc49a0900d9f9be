#pragma once

#include "output/LineSink.h"
#include "output/LineStream.h"

#include <functional>
#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>
#include <sys/stat.h>

// Writes a list as a text file: UTF-8 without byte-order mark, every line followed by a carriage
// return and a line feed. A regular file is written beside its target and put in place only when
// every byte has been written, so a failed save leaves an existing file of that name untouched
// and no partial file behind; the replacement keeps the old file's permission bits (and owner,
// where we may set it). Where no file can be made beside an existing file, it is not written at
// all: written in place, a full disk or an end halfway would cost the old list. A target that
// is no regular file (a pipe, a device, one of our own descriptors such as /dev/stdout) is
// written in place and never replaced, and so is an open descriptor handed over (standard
// output). Lines go out in large pieces (LineStream) through WriteAll; the first write that fails
// ends the writing.
class ListFileWriter final : public LineSink {
public:
    // `fileName` as bytes, or as text (see PathText.h).
    explicit ListFileWriter(QByteArray fileName);
    explicit ListFileWriter(const QString& fileName);
    // Writes through `fd`, which stays open, at its own position.
    explicit ListFileWriter(int fd);
    ~ListFileWriter();
    ListFileWriter(const ListFileWriter&) = delete;
    ListFileWriter& operator=(const ListFileWriter&) = delete;

    // What went wrong, for a caller that words it itself; error() holds the system's reason.
    enum class Failure {
        None,
        CannotCreate,   // the target could not be opened or created
        UntrustedLink,  // its name leads through another user's link in a sticky folder
        NotReplaced,    // an existing file stays, since no new file can be made beside it
        OtherUsersFile, // an existing file of another user in a sticky folder stays (EPERM)
        ProtectedFile,  // an existing file marked immutable or append-only stays (EPERM)
        WriteFailed,    // a write, or putting the file in place, failed
        ReaderGone,     // the reader of a pipe has gone (EPIPE)
    };

    // What ends each line: CR LF unless set otherwise (a NUL byte for a list of exact names).
    void setLineEnd(std::string_view lineEnd) { lines_.setLineEnd(lineEnd); }
    // Asked while opening blocks (a FIFO waits for its reader); true gives up.
    using StopRequested = std::function<bool()>;
    // Empty on success, else "Cannot create file <full name>", or why an existing file is not
    // replaced.
    QString open(const StopRequested& stopRequested = {});
    // open gave up because `stopRequested` said so.
    bool stopped() const { return stopped_; }
    void append(std::string_view utf8Line) override;
    // Empty on success, else "Stream write error"; a replaced target is then unchanged.
    QString commit();
    // The target is an existing regular file that commit would replace.
    bool replacesExistingFile() const { return replacesExisting_; }
    // For a list that a stop cut short: commit leaves an existing target as it is and puts the
    // list beside it under a name that says it is incomplete and names no existing file
    // (IncompleteName), so that a stop never costs a complete list.
    void keepExistingFile() { keepExisting_ = replacesExisting_; }
    // After commit: the name the list went to instead of the target, as messages show it; empty
    // when it went to the target.
    QString shownKeptBesideName() const;
    // Opening or a write has failed; commit will say so.
    bool failed() const { return failure_ != Failure::None; }
    Failure failure() const { return failure_; }
    // The errno of the failure.
    int error() const { return error_; }
    // The open target is a terminal, written in place.
    bool writesToTerminal() const;
    // The target's full name as messages show it.
    QString shownFullName() const;

    // Why the existing file `fileName` stays: no new file can be made beside it (errno `error`).
    static QString notReplacedMessage(const QString& fileName, int error);

private:
    static QString cannotCreateMessage(const QString& fileName);
    static QString writeErrorMessage();

    enum class Mode { Closed, Through, Temporary, UnnamedTemporary };

    QString openTarget(const StopRequested& stopRequested);
    bool openInPlace(const StopRequested& stopRequested);
    QString openReplacement();
    bool openBeside(const QByteArray& finalName);
    static Failure obstacleToReplacing(const QByteArray& finalName, const struct stat& old);
    void keepModeOf(const struct stat& old);
    bool putInPlace();
    bool putBeside();
    bool nameUnnamed();
    void discard();
    void write(std::string_view text);
    QString cannotCreate(int error);
    void fail(Failure failure, int error);

    QByteArray fileName_;
    int givenFd_ = -1;     // the descriptor handed over, written through a duplicate
    QByteArray finalName_; // a replaced file: its name with symbolic links resolved
    QByteArray temporaryName_;
    Mode mode_ = Mode::Closed;
    int fd_ = -1;
    LineStream lines_;
    Failure failure_ = Failure::None;
    int error_ = 0;
    bool stopped_ = false;
    bool replacesExisting_ = false;
    bool keepExisting_ = false;
    QByteArray besideName_; // where the list went instead, with keepExistingFile
};

// Appends a full stop to an error message whose last character comes after the full stop in
// character-code order (a letter or a digit does), as the error box shows it.
QString WithFullStop(const QString& message);
