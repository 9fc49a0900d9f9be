#include "CheckRun.h"

#include "base/PathText.h"
#include "base/Utf8Text.h"
#include "ChecksumCheck.h"
#include "CliProgress.h"
#include "ErrorOutput.h"
#include "ExitStatus.h"
#include "output/ListFileWriter.h"
#include "OutputErrors.h"
#include "records/RecordSink.h"
#include "run/ReadRate.h"
#include "SearchDriver.h"
#include "SearchFromOptions.h"
#include "StopSignals.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The problems on standard output, each path as a listing shows it (one line, whatever its
// bytes); the malformed lines on standard error.
class CheckOutput final : public ChecksumCheckReport {
public:
    CheckOutput(LineSink& out, QByteArray listName, CliProgress& progress)
        : out_(out), listName_(std::move(listName)), progress_(progress) {}

    void differs(const ChecksumEntry& entry) override { line("FEHLER: ", entry.path); }
    void missing(const ChecksumEntry& entry) override { line("fehlt: ", entry.path); }
    void unreadable(const ChecksumEntry& entry, int) override {
        line("nicht lesbar: ", entry.path);
    }
    void malformed(std::size_t number, const std::string& reason) override {
        progress_.finish();
        PrintErrorLine(listName_ + ": Zeile " + QByteArray::number(qulonglong(number)) + ": " +
                       QByteArray::fromStdString(reason));
    }
    bool keepGoing(std::int64_t bytesRead) override {
        progress_.readProgress(bytesRead, -1);
        progress_.processMessages();
        return !StopRequested();
    }
    void line(std::string_view what, std::string_view path) {
        std::string& text = out_.beginLine();
        text.append(what);
        AppendDisplayText(text, path);
        out_.finishLine();
    }

private:
    LineSink& out_;
    QByteArray listName_;
    CliProgress& progress_;
};

// The regular files of the searched folders that the list does not name (a checksum list has no
// line for a link, pipe or device), looked at relative to the folder the search holds.
class NewFiles final : public RecordSink {
public:
    NewFiles(const std::unordered_set<std::string>& named, CheckOutput& output)
        : named_(named), output_(output) {}

    Needs needs() const override {
        return {.sizes = false, .times = false, .foldersFirst = false, .openFolder = true};
    }
    void beginFolder(std::string_view) override {}
    void entry(const EntryRecord& record) override {
        struct stat st {};
        if (record.kind != EntryRecord::Kind::File ||
            ::fstatat(record.folderFd, std::string(record.name).c_str(), &st,
                      AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode))
            return;
        path_.assign(record.folder);
        path_.append(record.name);
        if (named_.contains(NormalizedListPath(path_)))
            return;
        ++count_;
        output_.line("neu: ", path_);
    }
    void endFolder() override {}
    void endRun() override {}
    std::int64_t count() const { return count_; }

private:
    const std::unordered_set<std::string>& named_;
    CheckOutput& output_;
    std::string path_;
    std::int64_t count_ = 0;
};

int openList(const QByteArray& name) {
    if (name == "-")
        return STDIN_FILENO;
    return ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
}

QString countsText(const ChecksumCheckCounts& counts, std::optional<std::int64_t> newFiles) {
    QString text = QStringLiteral("%1 in Ordnung, %2 falsch, %3 fehlen, %4 nicht lesbar")
                       .arg(counts.matching)
                       .arg(counts.differing)
                       .arg(counts.missing)
                       .arg(counts.unreadable);
    if (newFiles)
        text += QStringLiteral(", %1 neu").arg(*newFiles);
    return text;
}

int statusOf(const ChecksumCheckCounts& counts, std::int64_t newFiles) {
    if (StopRequested() || counts.stopped)
        return ExitStatus::Interrupted;
    if (counts.listError != 0 || counts.malformed > 0)
        return ExitStatus::UsageError;
    const bool allWell =
        counts.differing == 0 && counts.missing == 0 && counts.unreadable == 0 && newFiles == 0;
    return allWell ? ExitStatus::Success : ExitStatus::ListsDiffer;
}

} // namespace

QString CheckUsageError(const CliOptions& options) {
    if (!options.check)
        return {};
    if (options.compare)
        return QStringLiteral("\"--check\" und \"--compare\" gehen nicht zusammen");
    if (options.output)
        return QStringLiteral("\"--check\" schreibt auf die Standardausgabe; \"--output\" passt "
                              "nicht dazu");
    if (options.format != OutputFormat::Text || options.simple || options.nullTerminated)
        return QStringLiteral("\"--check\" schreibt seine Ergebnisse als Text; eine Ausgabeform "
                              "passt nicht dazu");
    if (options.hash)
        return QStringLiteral("\"--check\" nimmt das Verfahren aus der Liste; \"--hash\" passt "
                              "nicht dazu");
    return {};
}

int RunCheck(const CliOptions& options) {
    const QByteArray listName = *options.check;
    const int fd = openList(listName);
    if (fd < 0) {
        PrintErrorLine(listName + ": " + std::strerror(errno));
        return ExitStatus::UsageError;
    }
    ListFileWriter output(STDOUT_FILENO);
    output.setLineEnd("\n");
    output.open();
    FillSearchSettings(SearchFiles, options);
    CliRun run(SearchFiles, GivenFolders(options), !options.quiet && ::isatty(STDERR_FILENO) == 1,
               !options.quiet);
    CheckOutput report(output, listName == "-" ? QByteArray("Standardeingabe") : listName,
                       run.shown);
    std::unordered_set<std::string> named;
    const bool withFolders = !options.folderDefaulted;
    const ChecksumCheckCounts counts =
        CheckChecksumList(fd, report, withFolders ? &named : nullptr);
    if (fd != STDIN_FILENO)
        ::close(fd);
    if (counts.listError != 0)
        PrintErrorLine(listName + ": " + std::strerror(counts.listError));
    std::optional<std::int64_t> newFiles;
    if (withFolders && !counts.stopped && !StopRequested()) {
        NewFiles scan(named, report);
        RunSearch(SearchFiles, scan, run.progress);
        newFiles = scan.count();
    }
    run.shown.finish();
    output.append("");
    const QByteArray summary = countsText(counts, newFiles).toUtf8();
    output.append(std::string_view(summary.constData(), std::size_t(summary.size())));
    if (const int status = CommitOutput(output, true); status != ExitStatus::Success)
        return status;
    return statusOf(counts, newFiles.value_or(0));
}
