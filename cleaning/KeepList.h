#pragma once
// The files and folders the user asked never to be offered again. Kept per
// user in a small file, $XDG_DATA_HOME/Dustmote/KeepList, beside the record of
// the last deletion to the trash: the paths are the file system's bytes,
// which the settings store would have to escape, and the whole list is
// replaced atomically at each change.
//
// A scan reads the list through a KeepFilter, built once before its walk and
// only read by the worker: a kept folder is never entered, a kept file never
// reported.

#include <QByteArray>
#include <QString>
#include <string>
#include <unordered_set>
#include <vector>

namespace dm {

struct KeptItem
{
    QByteArray path; // a folder's ends in "/"
    bool folder = false;
    bool operator==(const KeptItem &) const = default;
};

class KeepList
{
public:
    // $XDG_DATA_HOME/Dustmote/KeepList.
    static QString file();
    // The stored list; empty when there is none or it cannot be read (only
    // a regular file of sane size is). Read again only once the file has
    // changed; any thread.
    static KeepList load();
    // Replaces the stored list atomically; false when it could not be written.
    bool save() const;

    const std::vector<KeptItem> &items() const { return m_items; }
    bool empty() const { return m_items.empty(); }
    // Adds an item (a folder's path gains its "/"); false when it is kept already.
    bool add(KeptItem item);
    // Removes the items at the given positions.
    void removeAt(std::vector<int> positions);

    // Whether a file named by its folder (ending in "/") and name is kept,
    // itself or through a folder above it.
    bool keeps(const QByteArray &folder, const QByteArray &name) const;

private:
    // The list a file's bytes hold, in time linear in their length.
    static KeepList parse(const QByteArray &bytes);
    std::vector<KeptItem> m_items;
};

class KeepFilter
{
public:
    KeepFilter() = default;
    // root: the folder the scan searches; a kept folder above it keeps all.
    KeepFilter(const KeepList &list, std::string root);

    bool empty() const { return m_folders.empty() && m_files.empty(); }
    // Whether the walk must leave the folder (ending in "/") and all below it.
    bool skipsFolder(const std::string &folder) const;
    // Whether a file found in a folder the walk entered is kept. Worker only.
    bool skipsFile(const std::string &folder, const std::string &name);

private:
    std::unordered_set<std::string> m_folders;
    std::unordered_set<std::string> m_files;
    std::string m_root;
    std::string m_key; // the worker's reused lookup key
};

} // namespace dm
