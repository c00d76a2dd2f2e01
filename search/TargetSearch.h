#pragma once
// The snapshot of one search: the folders to walk, each with its masks and
// flags, the excluded entries, and private copies of the entry tests. Built
// from the criteria when a search starts, so later changes to the criteria
// do not reach a running search.

#include "SearchCriteria.h"
#include "SearchRec.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dm {

// Absolute against the current folder, lexically normalised (symbolic links
// not resolved), ending in "/"; an empty path stays empty. Nothing for a
// relative path when the current folder cannot be told (it was deleted):
// such a path names no folder, least of all the root.
std::optional<std::string> NormalizeFolder(const std::string &Path);

// One folder to walk.
struct TTargetFolder
{
    std::string Folder;        // normalised, ending in "/"
    bool Subfolders = false;   // whether subfolders are entered
    TStringList FileMasks;     // enumerated in this folder, last to first
    std::uint16_t MinLevel = 0;
    std::uint16_t MaxLevel = 0;
};

// The folders to walk, in reverse order of first naming, and the excluded list.
class TTargetFolderList
{
public:
    std::size_t Count() const { return m_items.size(); }
    TTargetFolder &operator[](std::size_t i) { return *m_items[i]; }
    const TTargetFolder &operator[](std::size_t i) const { return *m_items[i]; }

    // The folder for NormalizeFolder(Path), created at the front when absent;
    // null when the path cannot be resolved.
    TTargetFolder *AddFolder(const std::string &Path);
    // Index of the first folder equal to Path (exactly: file names are
    // case-sensitive), or -1.
    int IndexOfFolder(const std::string &Path) const;
    // Whether an entry of ExcludedFiles (examined last to first) covers Name in Folder.
    bool IsExcluded(const std::string &Folder, const std::string &Name) const;

    TStringList ExcludedFiles;

private:
    std::vector<std::unique_ptr<TTargetFolder>> m_items;
};

// The snapshot of one search run.
class TTargetSearch
{
public:
    explicit TTargetSearch(const TSearchCriteria &Criteria);
    TTargetSearch(const TTargetSearch &) = delete;
    TTargetSearch &operator=(const TTargetSearch &) = delete;

    // The accept test: attribute, size (full 64 bits), dates, exclusion,
    // content, stopping at the first failure.
    bool AcceptFile(const std::string &Folder, const TSearchRec &FileInfo) const;

    TTargetFolderList TargetFolders;
    // The search's stop flag, which a content scan checks between chunks.
    const std::atomic<bool> *Stop = nullptr;
    TAttributeCriteria Attribute;
    TDateTimeCriteria TimeStamp;
    TSizeCriteria Size;
    TContentCriteria Content;
};

} // namespace dm
