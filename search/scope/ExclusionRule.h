#pragma once

#include "scope/MaskMatcher.h"

#include <QString>
#include <string_view>
#include <vector>

// What the exclusion masks leave out of the entries of one folder, by their names.
class FolderExclusion final {
public:
    bool empty() const { return (names_ == nullptr || names_->empty()) && tails_.empty(); }
    // `upperKey` is the name's upper-case key (UpperKey in Utf8Text.h).
    bool excludesKey(std::string_view upperKey) const;

private:
    friend class ExclusionRule;
    const std::vector<MaskMatcher>* names_ = nullptr;
    std::vector<const MaskMatcher*> tails_; // the last names of the path masks that reach here
};

// The exclusion masks of a search (SearchScope::Exclusions), matched as the masks are, name by
// name. A mask without "/" leaves out every file and folder of that name wherever it lies, the
// searched folder itself included; a mask with "/" the files and folders whose path below the
// searched folder it matches name for name ("Projekte/*/build": "*" and "?" stay within one
// name; a "/" at its start or end changes nothing). Empty masks leave out nothing.
class ExclusionRule final {
public:
    explicit ExclusionRule(const QString& masks);

    bool empty() const { return names_.empty() && paths_.empty(); }
    // The searched folder `folderPath` (its exact bytes) is left out by the last name in it.
    bool excludesSearchedFolder(std::string_view folderPath) const;
    // What is left out of the entries of the folder `relativeFolder` below the searched folder
    // ("" for the searched folder itself, else its path ending in "/"). The result refers to
    // this rule.
    FolderExclusion forFolder(std::string_view relativeFolder) const;
    // The entry `relativePath` below the searched folder ("a/b/c"), or a folder on the way to
    // it, is left out.
    bool excludesPath(std::string_view relativePath) const;

private:
    std::vector<MaskMatcher> names_;
    std::vector<std::vector<MaskMatcher>> paths_; // each path mask name by name
};
