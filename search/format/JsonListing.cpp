#include "format/JsonListing.h"

#include "base/PathText.h"
#include "format/JsonText.h"

#include <cstring>
#include <QByteArray>
#include <QSysInfo>

namespace {

std::string_view bytesOf(const QByteArray& bytes) {
    return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// A folder of the run as its records name it: without the "/" the search appends, "/" stays.
std::string_view withoutTrailingSlash(std::string_view folder) {
    if (folder.size() > 1 && folder.back() == '/')
        folder.remove_suffix(1);
    return folder;
}

void appendTimeField(std::string& out, std::string_view key, FileTime time) {
    out.push_back('"');
    out.append(key);
    out.append("\":\"");
    AppendUtcSeconds(out, time);
    out.push_back('"');
}

// `,"<key>":[{"path":…},…]`.
void appendFolderList(std::string& line, std::string_view key,
                      const std::vector<RunOutcome::Folder>& folders) {
    line.append(",\"");
    line.append(key);
    line.append("\":[");
    bool first = true;
    for (const RunOutcome::Folder& folder : folders) {
        line.append(first ? "{" : ",{");
        first = false;
        AppendJsonText(line, "path", withoutTrailingSlash(bytesOf(folder.path)));
        line.push_back('}');
    }
    line.push_back(']');
}

// `,"scope":{...}` with the parts of the scope that are set, when any is.
void appendScope(std::string& line, const SearchScope& scope) {
    if (!scope.any())
        return;
    line.append(R"(,"scope":{)");
    bool first = true;
    const auto next = [&] {
        if (!first)
            line.push_back(',');
        first = false;
    };
    if (scope.hasExclusions()) {
        next();
        AppendJsonText(line, "exclude", bytesOf(PathTextBytes(scope.Exclusions)));
    }
    if (scope.OneFileSystem) {
        next();
        line.append(R"("one_file_system":true)");
    }
    for (const auto& [key, value] :
         {std::pair{"max_depth", scope.MaxDepth}, std::pair{"min_size", scope.MinSize},
          std::pair{"max_size", scope.MaxSize}}) {
        if (value) {
            next();
            AppendJsonNumber(line, key, *value);
        }
    }
    for (const auto& [key, value] :
         {std::pair{"newer", scope.NewerThan}, std::pair{"older", scope.OlderThan}}) {
        if (value) {
            next();
            appendTimeField(line, key, *value);
        }
    }
    line.push_back('}');
}

} // namespace

std::string_view KindName(EntryRecord::Kind kind) {
    switch (kind) {
    case EntryRecord::Kind::Folder:
        return "folder";
    case EntryRecord::Kind::Link:
        return "link";
    case EntryRecord::Kind::Special:
        return "special";
    case EntryRecord::Kind::File:
    case EntryRecord::Kind::Dot:
        break;
    }
    return "file";
}

void JsonListing::begin(const TSearchFiles& settings, FileTime created, const Tool& tool) {
    std::string& line = lines_.beginLine();
    line.append(R"({"type":"inventory","format":2,"created":")");
    AppendUtcSeconds(line, created);
    line.append("\",");
    AppendJsonText(line, "host", bytesOf(QSysInfo::machineHostName().toUtf8()));
    line.append(R"(,"tool":{)");
    AppendJsonText(line, "name", tool.name);
    line.push_back(',');
    AppendJsonText(line, "version", tool.version);
    line.append(R"(},"searched":[)");
    for (qsizetype i = 0; i < settings.Folders.size(); ++i) {
        const bool recursive = IsFolderRecursive(settings, i);
        line.append(i == 0 ? "{" : ",{");
        AppendJsonText(line, "path", bytesOf(PathTextBytes(settings.Folders.at(i))));
        line.append(recursive ? R"(,"recursive":true})" : R"(,"recursive":false})");
    }
    line.append("],");
    AppendJsonText(line, "masks", bytesOf(PathTextBytes(settings.Masks)));
    if (digest_) {
        line.append(R"(,"hash":")");
        line.append(DigestInfo(*digest_).name);
        line.push_back('"');
    }
    if (kept_) {
        line.append(R"(,"kinds":[")");
        line.append(KindName(*kept_));
        line.append("\"]");
    }
    appendScope(line, settings.Scope);
    line.push_back('}');
    lines_.finishLine();
}

RecordSink::Needs JsonListing::needs() const {
    return Needs{
        .sizes = true, .times = true, .foldersFirst = true, .digest = digest_, .targets = true};
}

void JsonListing::beginFolder(std::string_view folderText) {
    folderJson_.assign("\"");
    folderValid_ = AppendJsonBody(folderJson_, folderText);
}

// `"path":"<folder><name>"`, and the exact bytes where they are not valid UTF-8.
void JsonListing::appendPath(std::string& line, const EntryRecord& record) {
    line.append(R"("path":)");
    line.append(folderJson_);
    const bool nameValid = AppendJsonBody(line, record.name);
    line.push_back('"');
    if (folderValid_ && nameValid)
        return;
    path_.assign(record.folder);
    path_.append(record.name);
    line.append(R"(,"path_bytes":")");
    AppendBase64(line, path_);
    line.push_back('"');
}

// Each kind has its keys: a file its size, a link its target; a value that could not be read is
// null, never a made-up 0 or 1970.
void JsonListing::entry(const EntryRecord& record) {
    if (record.kind == EntryRecord::Kind::Dot)
        return;
    std::string& line = lines_.beginLine();
    line.append(R"({"type":")");
    line.append(KindName(record.kind));
    line.append("\",");
    appendPath(line, record);
    switch (record.kind) {
    case EntryRecord::Kind::File:
        ++files_;
        if (record.sizeRead) {
            line.push_back(',');
            AppendJsonNumber(line, "size", record.size);
            AddSize(bytes_, record.size);
        } else {
            line.append(R"(,"size":null)");
        }
        break;
    case EntryRecord::Kind::Folder:
        ++folders_;
        break;
    case EntryRecord::Kind::Link:
        ++links_;
        line.push_back(',');
        if (record.targetRead)
            AppendJsonText(line, "target", record.target);
        else
            line.append(R"("target":null)");
        break;
    case EntryRecord::Kind::Special:
    case EntryRecord::Kind::Dot:
        ++special_;
        break;
    }
    line.push_back(',');
    AppendJsonTime(line, record.timeRead ? std::optional<FileTime>(record.modified) : std::nullopt);
    if (digest_ && record.kind == EntryRecord::Kind::File) {
        line.append(",\"");
        line.append(DigestInfo(*digest_).name);
        line.append("\":");
        if (record.digest.empty()) {
            line.append("null");
        } else {
            line.push_back('"');
            line.append(record.digest);
            line.push_back('"');
        }
    }
    line.push_back('}');
    lines_.finishLine();
}

void JsonListing::endFolder() {}

void JsonListing::endRun() {
    std::string& line = lines_.beginLine();
    line.append(R"({"type":"summary",)");
    AppendJsonNumber(line, "files", files_);
    line.push_back(',');
    AppendJsonNumber(line, "folders", folders_);
    line.push_back(',');
    AppendJsonNumber(line, "links", links_);
    line.push_back(',');
    AppendJsonNumber(line, "special", special_);
    line.push_back(',');
    line.append(R"("bytes":)");
    AppendByteTotal(line, bytes_);
    // The folders on other file systems that one file system kept the walk out of.
    if (!outcome_.foldersOnOtherFileSystems().empty())
        appendFolderList(line, "not_entered", outcome_.foldersOnOtherFileSystems());
    if (outcome_.complete()) {
        line.append(R"(,"complete":true})");
    } else {
        line.append(R"(,"complete":false)");
        if (outcome_.cancelled())
            line.append(R"(,"cancelled":true)");
        appendUnreadable(line);
        if (!outcome_.loops().empty())
            appendLoops(line);
        line.push_back('}');
    }
    lines_.finishLine();
}

void JsonListing::appendUnreadable(std::string& line) {
    line.append(R"(,"unreadable":[)");
    bool first = true;
    const auto appendFolders = [&](const std::vector<RunOutcome::Folder>& folders,
                                   std::string_view what) {
        for (const RunOutcome::Folder& folder : folders) {
            line.append(first ? "{" : ",{");
            first = false;
            AppendJsonText(line, "path", withoutTrailingSlash(bytesOf(folder.path)));
            line.append(R"(,"what":")");
            line.append(what);
            line.append(R"(",)");
            AppendJsonText(line, "reason",
                           folder.error == 0 ? "während des Lesens geändert"
                                             : std::strerror(folder.error));
            line.push_back('}');
        }
    };
    appendFolders(outcome_.unreadableFolders(), "folder");
    appendFolders(outcome_.foldersWithUnreadableSizes(), "sizes");
    appendFolders(outcome_.filesNotRead(), "file");
    line.push_back(']');
}

void JsonListing::appendLoops(std::string& line) {
    appendFolderList(line, "loops", outcome_.loops());
}
