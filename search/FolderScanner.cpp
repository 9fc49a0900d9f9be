#include "FolderScanner.h"

#include "FolderSnapshot.h"
#include "ListingFormat.h"
#include "MaskMatcher.h"
#include "PathText.h"
#include "SearchProgress.h"
#include "Utf8Text.h"

#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Totals {
    std::int64_t& bytes;
    std::int64_t& files;
    std::int64_t& folders;
};

struct OutputFlags {
    bool recursive;
    bool fullPath;
    bool showExtensions;
    bool extended;
};

// One ScanFolder call: the walk over a folder and its subfolders. The path of the folder being
// listed lives in one buffer that grows by a name on each descent and shrinks on the way back;
// each level keeps its snapshot until its subfolder pass is done.
class FolderScanner final {
public:
    FolderScanner(TSearchFiles& settings, const QString& mask, OutputFlags flags,
                  ResultLines& lines, Totals totals)
        : settings_(settings), mask_(mask), flags_(flags), lines_(lines), totals_(totals),
          progress_(CurrentSearchProgress()) {}

    void scanTop(const QByteArray& folder) {
        path_.assign(folder.constData(), static_cast<std::size_t>(folder.size()));
        scan(0);
    }

private:
    void scan(std::size_t depth);
    bool onDescentChain(const FolderSnapshot& snapshot) const;
    QByteArray currentPath() const {
        return QByteArray(path_.data(), static_cast<qsizetype>(path_.size()));
    }
    void reportProgress();
    void listEntries(const FolderSnapshot& snapshot);
    void handleEntry(const FolderSnapshot& snapshot, const FolderSnapshot::Entry& entry);
    void finishExtendedFolder();
    void descend(const FolderSnapshot& snapshot, std::size_t depth);

    TSearchFiles& settings_;
    MaskMatcher mask_;
    OutputFlags flags_;
    ResultLines& lines_;
    Totals totals_;
    SearchProgress& progress_;

    std::string path_;                     // the folder text of the current level, ending in "/"
    std::deque<FolderSnapshot> snapshots_; // one per depth, reused from folder to folder
    std::vector<std::pair<dev_t, ino_t>> chain_;
    ResultLines fileLines_;
    std::int64_t folderFiles_ = 0;
    std::int64_t folderBytes_ = 0;
};

void FolderScanner::scan(std::size_t depth) {
    if (!settings_.Searching)
        return;
    if (path_.empty() || path_.back() != '/')
        path_.push_back('/');
    if (snapshots_.size() <= depth)
        snapshots_.emplace_back();
    FolderSnapshot& snapshot = snapshots_[depth];
    const auto start =
        depth == 0 ? FolderSnapshot::Start::FollowLink : FolderSnapshot::Start::NoFollow;
    if (!snapshot.read(path_.c_str(), start, mask_, flags_.extended)) {
        progress_.folderUnreadable(currentPath(), snapshot.error());
        return;
    }
    if (snapshot.sizeError() != 0)
        progress_.folderSizesUnreadable(currentPath(), snapshot.sizeError());
    // A folder already on the way down (a bind mount looping back) is not entered again.
    if (snapshot.count() == 0)
        return;
    if (onDescentChain(snapshot)) {
        progress_.folderLoop(currentPath());
        return;
    }
    chain_.emplace_back(snapshot.device(), snapshot.inode());
    if (snapshot.matchedCount() > 0)
        listEntries(snapshot);
    descend(snapshot, depth);
    chain_.pop_back();
}

bool FolderScanner::onDescentChain(const FolderSnapshot& snapshot) const {
    for (const auto& [device, inode] : chain_) {
        if (device == snapshot.device() && inode == snapshot.inode())
            return true;
    }
    return false;
}

void FolderScanner::reportProgress() {
    const QString folder = QString::fromStdString(DisplayText(path_));
    progress_.setSearchCaption(QStringLiteral("Suchen in %1").arg(folder));
    progress_.setFoundCaption(QStringLiteral("Elemente gefunden: %1").arg(totals_.files));
}

void FolderScanner::listEntries(const FolderSnapshot& snapshot) {
    reportProgress();
    if (flags_.extended) {
        AppendFolderHeading(lines_, path_);
        ++totals_.folders;
        fileLines_.clear();
        folderFiles_ = 0;
        folderBytes_ = 0;
    }
    // The first matching entry is handled at once; before each further one the search tests
    // for a cancel and pumps messages.
    bool first = true;
    for (std::size_t i = 0; i < snapshot.count(); ++i) {
        const FolderSnapshot::Entry& entry = snapshot.entry(i);
        if (!entry.matched)
            continue;
        if (!first) {
            if (!settings_.Searching)
                break;
            progress_.processMessagesSoon();
        }
        first = false;
        handleEntry(snapshot, entry);
    }
    if (flags_.extended)
        finishExtendedFolder();
}

void FolderScanner::handleEntry(const FolderSnapshot& snapshot,
                                const FolderSnapshot::Entry& entry) {
    const std::string_view name = snapshot.name(entry);
    const bool isFile = !entry.directory && !FolderSnapshot::isDotEntry(name);
    if (flags_.extended) {
        // Directories, "." and ".." show size 0; the size lookup pumps messages once.
        const std::int64_t size = isFile ? entry.size : 0;
        progress_.processMessagesSoon();
        if (isFile)
            AppendFileLine(fileLines_, size, name);
        else
            AppendDirectoryLine(lines_, name);
        totals_.bytes += size;
        folderBytes_ += size;
        if (isFile) {
            ++totals_.files;
            ++folderFiles_;
        }
    } else {
        AppendSimpleLine(lines_, path_, name, flags_.fullPath, flags_.showExtensions);
        if (isFile)
            ++totals_.files;
    }
}

// Directory lines went straight to the result after the heading; the file lines follow them,
// then the folder's sum when it has at least one file line.
void FolderScanner::finishExtendedFolder() {
    lines_.append(fileLines_);
    if (!fileLines_.isEmpty())
        AppendFolderSum(lines_, folderFiles_, folderBytes_);
}

// The subfolder pass takes every entry of the folder, whether or not its name matches the mask,
// so folders are entered even when their names don't match.
void FolderScanner::descend(const FolderSnapshot& snapshot, std::size_t depth) {
    const std::size_t folderLength = path_.size();
    for (std::size_t i = 0; i < snapshot.count(); ++i) {
        if (!settings_.Searching)
            break;
        const FolderSnapshot::Entry& entry = snapshot.entry(i);
        const std::string_view name = snapshot.name(entry);
        if (!entry.directory || FolderSnapshot::isDotEntry(name) || !flags_.recursive)
            continue;
        progress_.processMessagesSoon();
        path_.append(name);
        scan(depth + 1);
        path_.resize(folderLength);
    }
}

} // namespace

void ScanFolder(TSearchFiles& settings, const QString& folder, const QString& mask, bool recursive,
                bool fullPath, bool showExtensions, bool extended, ResultLines& lines,
                std::int64_t& totalBytes, std::int64_t& totalFiles, std::int64_t& totalFolders) {
    // An empty folder text names no folder (it would otherwise become "/", the whole disk).
    if (!settings.Searching || folder.isEmpty())
        return;
    const QString effectiveMask = mask.isEmpty() ? QStringLiteral("*.*") : mask;
    FolderScanner scanner(settings, effectiveMask,
                          OutputFlags{recursive, fullPath, showExtensions, extended}, lines,
                          Totals{totalBytes, totalFiles, totalFolders});
    scanner.scanTop(PathTextBytes(folder));
}
