#include "SearchDriver.h"

#include "base/PathText.h"
#include "base/SplitText.h"
#include "base/VectorState.h"
#include "digest/DigestStage.h"
#include "scope/ExclusionRule.h"
#include "walk/FolderScanner.h"
#include "walk/WorkerPool.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace {

// Lowers the flag on every way out, an exception included.
class SearchingFlag final {
public:
    explicit SearchingFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~SearchingFlag() { flag_ = false; }
    SearchingFlag(const SearchingFlag&) = delete;
    SearchingFlag& operator=(const SearchingFlag&) = delete;

private:
    bool& flag_;
};

// The searched folders that an exclusion mask matches by name: each is said once and left out.
std::vector<bool> excludedFolders(const TSearchFiles& settings, SearchProgress& progress) {
    std::vector<bool> excluded(std::size_t(settings.Folders.size()), false);
    const ExclusionRule rule(settings.Scope.Exclusions);
    if (rule.empty())
        return excluded;
    for (qsizetype i = 0; i < settings.Folders.size(); ++i) {
        const QByteArray folder = PathTextBytes(settings.Folders.at(i));
        if (folder.isEmpty() || !rule.excludesSearchedFolder(std::string_view(
                                    folder.constData(), std::size_t(folder.size()))))
            continue;
        excluded[std::size_t(i)] = true;
        progress.searchedFolderExcluded(folder);
    }
    return excluded;
}

} // namespace

void RunSearch(TSearchFiles& settings, RecordSink& records, SearchProgress& progress) {
    // A cancel click still queued from before is handled here, before the flag goes up, so it
    // cannot stop this search.
    progress.processMessages();
    const SearchingFlag searching(settings.Searching);

    const QStringList masks = SplitText(QStringLiteral(";"), settings.Masks);
    std::int64_t filesFound = 0;
    if (settings.Folders.size() != settings.Recurse.size())
        return;
    const std::vector<bool> excluded = excludedFolders(settings, progress);

    // One pool of workers for every folder and mask of the run; its threads start with the first
    // folder read ahead, with this thread's vector registers, which the pump may have left in use.
    ClearUpperVectorRegisters();
    WorkerPool pool;
    // An output that wants digests gets the records through the stage that reads the files.
    std::optional<DigestStage> digests;
    if (const std::optional<DigestAlgorithm> algorithm = records.needs().digest)
        digests.emplace(records, *algorithm, pool, settings.Searching, progress);
    RecordSink& sink = digests ? static_cast<RecordSink&>(*digests) : records;
    for (const QString& mask : masks) {
        if (!settings.Searching)
            break;
        for (qsizetype i = 0; i < settings.Folders.size(); ++i) {
            if (!settings.Searching)
                break;
            if (excluded[std::size_t(i)])
                continue;
            progress.processMessages();
            ScanFolder(settings, settings.Folders.at(i), mask, IsRecursive(settings.Recurse.at(i)),
                       sink, filesFound, progress, pool);
        }
    }
    sink.endRun();
}
