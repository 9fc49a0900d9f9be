#pragma once

#include "records/RecordSink.h"
#include "run/RunOutcome.h"
#include "run/SearchSettings.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The folders and files of a run as a tree: each searched folder at the top, below it every
// folder the records name (one with matching entries, a subfolder its parent lists, one the run
// could not read), each holding its own files. A folder that several masks visit, or that two
// searched folders reach, holds each file once; subfolders and files keep the listing's order
// (upper-case names, ties by their bytes). Each folder knows its files and their bytes including
// all its subfolders'.
class SnapshotTree final : public RecordSink {
public:
    struct File {
        std::size_t nameOffset = 0;  // in the folder's `names`
        std::size_t extraOffset = 0; // in the folder's `extras`
        std::uint32_t nameLength = 0;
        std::int64_t size = 0;
        std::int64_t seconds = 0; // modification time
    };

    struct Folder {
        std::string name; // the bytes of its name; a folder at the top: its path as searched
        int parent = -1;
        std::vector<int> children;
        std::string names; // its files' names back to back
        std::string extras;
        std::vector<File> files;
        bool timeKnown = false;
        std::int64_t seconds = 0;
        bool searched = false; // its entries are in the run; else only its name is
        bool unreadable = false;
        bool sizesUnreadable = false;
        bool loop = false; // leads back onto a folder above it, so it was not entered
        int visits = 0;
        std::int64_t totalFiles = 0;
        std::int64_t totalBytes = 0;
    };

    // Appends a file's texts for the extra columns to `out`, each ending in "\n".
    using ExtraTexts = std::function<void(const EntryRecord& record, std::string& out)>;

    explicit SnapshotTree(const TSearchFiles& settings, ExtraTexts extraTexts = {});

    // Sizes and times.
    Needs needs() const override;
    void beginFolder(std::string_view folderText) override;
    void entry(const EntryRecord& record) override;
    void endFolder() override;
    void endRun() override;

    // After the run: marks what `outcome` says the run could not read, puts each folder's
    // entries in order and adds up the totals.
    void finish(const RunOutcome& outcome);

    // The folders, each before its subfolders, the subfolders of a folder in order (after
    // finish).
    const std::vector<int>& order() const { return order_; }
    const Folder& folder(int index) const { return folders_[static_cast<std::size_t>(index)]; }
    std::string_view fileName(const Folder& folder, const File& file) const;
    // The folders at the top.
    const std::vector<int>& tops() const { return tops_; }
    std::size_t folderCount() const { return folders_.size(); }

private:
    int folderOf(std::string_view folderText);
    int addFolder(std::string_view folderText, int parent);
    void markSearched(int index, bool withSubfolders);
    void putInOrder(Folder& folder);

    std::vector<Folder> folders_;
    std::unordered_map<std::string, int> byText_;         // folder text ("/"-ended) to folder
    std::unordered_map<std::string, bool> searchedTexts_; // searched folder text, with subfolders
    std::vector<int> tops_;
    std::vector<int> order_;
    ExtraTexts extraTexts_;
    int current_ = -1;
    std::string text_; // the folder text of the folder begun last
};
