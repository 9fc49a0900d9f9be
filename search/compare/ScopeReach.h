#pragma once

#include "compare/ListingReader.h"
#include "scope/ExclusionRule.h"

#include <cstddef>
#include <cstdint>
#include <QString>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

// Whether the search of one list would have listed an entry that another list has. What lies
// outside a list's scope it never shows: a file or folder that its exclusion masks leave out (or
// one below such a folder), an entry deeper than its depth, a file outside its size or time
// range (or one whose size or time the other list does not give), and, with one file system,
// whatever lies below a folder on another file system. Such an entry is neither new nor gone.
// The folders not entered for another file system are known from an inventory in JSON Lines or
// a search; from a text listing only as the folders it shows without ever listing what is in
// them.
class ScopeReach final {
public:
    // `listing` must outlive this object.
    explicit ScopeReach(const SavedListing& listing);

    // The list has a scope, and its header names the folders it searched.
    bool limits() const { return limits_; }
    // Entry i of `set` (another list's entries) lies within the list's scope.
    bool reaches(const PathSet& set, std::size_t i) const;
    // The list's scope, and whether the folders it did not enter for another file system are
    // guessed from what it shows (a text listing).
    const SearchScope& scope() const { return listing_.scope; }
    bool guessesOtherFileSystems() const {
        return limits_ && listing_.scope.OneFileSystem && !listing_.notEnteredKnown;
    }

private:
    bool reachesBelow(std::string_view relativeFolder, std::string_view name, const PathSet& set,
                      std::size_t i) const;
    bool keepsFile(const PathSet& set, std::size_t i) const;
    bool enteredAll(std::string_view searched, std::string_view folder) const;

    const SavedListing& listing_;
    const ExclusionRule exclusions_;
    bool limits_ = false;
    std::vector<std::string> searched_; // the folders searched, as FolderKey spells them
    // With one file system, from a text listing: the folders it shows ("<folder><name>/") and
    // those it lists the entries of.
    std::unordered_set<std::string> shownFolders_;
    std::unordered_set<std::string_view> listedFolders_;
};

// The "Hinweis:" on two lists of different scopes: what differs and how many entries
// (`outside`) stayed out of the count; empty when the scopes agree and nothing stayed out.
QString ScopeNote(const ScopeReach& earlier, const ScopeReach& later, std::int64_t outside);
