#include "ChecksumCheck.h"

#include "digest/DigestWindow.h"
#include "walk/WorkerPool.h"

#include <cerrno>
#include <chrono>
#include <deque>
#include <map>
#include <memory>

namespace {

// Files named and not yet checked, at most.
constexpr std::size_t maxWaiting = 1024;

class Checker final {
public:
    Checker(ChecksumCheckReport& report, std::unordered_set<std::string>* named)
        : report_(report), named_(named) {}

    ChecksumCheckCounts run(int listFd);

private:
    struct Waiting {
        ChecksumEntry entry;
        DigestWindow* window;
    };

    DigestWindow& windowFor(DigestAlgorithm algorithm);
    void checkOldest();
    void tell(const Waiting& waiting, const FileDigest& digest);
    std::int64_t bytesRead() const;

    ChecksumCheckReport& report_;
    std::unordered_set<std::string>* named_;
    ChecksumCheckCounts counts_;
    std::deque<Waiting> waiting_;
    WorkerPool pool_;
    std::map<DigestAlgorithm, std::unique_ptr<DigestWindow>> windows_; // after the pool
};

ChecksumCheckCounts Checker::run(int listFd) {
    ChecksumListReader reader(listFd);
    for (;;) {
        ChecksumEntry entry;
        std::string reason;
        const ChecksumListReader::Result result = reader.next(entry, reason);
        if (result == ChecksumListReader::Result::End)
            break;
        if (result == ChecksumListReader::Result::ReadError) {
            counts_.listError = reader.error();
            break;
        }
        if (result == ChecksumListReader::Result::Malformed) {
            ++counts_.malformed;
            report_.malformed(entry.line, reason);
            continue;
        }
        if (named_)
            named_->insert(NormalizedListPath(entry.path));
        DigestWindow& window = windowFor(entry.algorithm);
        window.push(nullptr, entry.path);
        waiting_.push_back({std::move(entry), &window});
        while (waiting_.size() >= maxWaiting && !counts_.stopped)
            checkOldest();
        if (counts_.stopped || !report_.keepGoing(bytesRead())) {
            counts_.stopped = true;
            break;
        }
    }
    while (!waiting_.empty() && !counts_.stopped)
        checkOldest();
    return counts_;
}

DigestWindow& Checker::windowFor(DigestAlgorithm algorithm) {
    std::unique_ptr<DigestWindow>& window = windows_[algorithm];
    if (!window) {
        window = std::make_unique<DigestWindow>(pool_, algorithm, DigestLink::Follow,
                                                pool_.tuning().digestFilesInFlight);
    }
    return *window;
}

void Checker::checkOldest() {
    Waiting waiting = std::move(waiting_.front());
    waiting_.pop_front();
    const auto goOn = [this] { return report_.keepGoing(bytesRead()); };
    while (!waiting.window->waitOldest(pool_.tuning().waitSlice, goOn)) {
        if (!report_.keepGoing(bytesRead())) {
            counts_.stopped = true;
            for (const auto& [algorithm, window] : windows_)
                window->stop();
            return;
        }
    }
    tell(waiting, waiting.window->takeOldest());
}

void Checker::tell(const Waiting& waiting, const FileDigest& digest) {
    switch (digest.outcome) {
    case FileDigest::Outcome::Read:
        if (digest.hex == waiting.entry.hex) {
            ++counts_.matching;
        } else {
            ++counts_.differing;
            report_.differs(waiting.entry);
        }
        return;
    case FileDigest::Outcome::Unreadable:
        if (digest.error == ENOENT) {
            ++counts_.missing;
            report_.missing(waiting.entry);
            return;
        }
        ++counts_.unreadable;
        report_.unreadable(waiting.entry, digest.error);
        return;
    case FileDigest::Outcome::NotRegular:
    case FileDigest::Outcome::Changed:
        ++counts_.unreadable;
        report_.unreadable(waiting.entry, 0);
        return;
    case FileDigest::Outcome::Stopped:
        counts_.stopped = true;
        return;
    }
}

std::int64_t Checker::bytesRead() const {
    std::int64_t bytes = 0;
    for (const auto& [algorithm, window] : windows_)
        bytes += window->bytesRead();
    return bytes;
}

} // namespace

ChecksumCheckReport::~ChecksumCheckReport() = default;

ChecksumCheckCounts CheckChecksumList(int listFd, ChecksumCheckReport& report,
                                      std::unordered_set<std::string>* named) {
    Checker checker(report, named);
    return checker.run(listFd);
}

std::string NormalizedListPath(std::string_view path) {
    std::string normal;
    if (path.starts_with('/'))
        normal.push_back('/');
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view part = path.substr(start, end - start);
        if (!part.empty() && part != ".") {
            if (!normal.empty() && normal.back() != '/')
                normal.push_back('/');
            normal.append(part);
        }
        start = end + 1;
    }
    return normal;
}
