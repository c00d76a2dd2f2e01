#pragma once
// How much the user's trash holds, and emptying it, on threads of their own:
// a trash of a few hundred thousand files takes a while either way. Every
// entry is reached by descriptors from its trash folder, never through a
// link (a link in the trash is removed, never followed), and sizes are the
// entries' own (fstatat without following links).

#include "BackgroundTask.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace dm {

struct TrashContents
{
    std::uint64_t files = 0; // every entry but folders, at any depth of files/
    std::uint64_t bytes = 0; // their sizes
};

// What the trash folders (each ending in "/") hold now; stops early, with
// what it counted, once stop() says so.
TrashContents measureTrash(const QList<QByteArray> &trashFolders, const std::function<bool()> &stop = {});

struct EmptyOutcome
{
    std::uint64_t removed = 0; // entries but folders
    std::uint64_t failed = 0;  // entries (folders too) that could not be removed
    int firstError = 0;        // errno of the first of those
};

// Removes everything in files/ and info/ of each trash folder, and its cache
// of folder sizes; the folders themselves stay. `done` counts removed files.
EmptyOutcome emptyTrash(const QList<QByteArray> &trashFolders, std::atomic<std::size_t> *done = nullptr);

// "Корзина: N файлов (X KB)".
QString TrashText(const TrashContents &contents);

// measureTrash on a thread of its own. Without folders given, the user's own
// (TrashFolders::ofThisUser), looked up there too: the mounts are examined
// one by one, and a hung network mount must not hold up the window.
class TrashSurvey : public BackgroundTask
{
public:
    explicit TrashSurvey(std::optional<QList<QByteArray>> folders = {}) : m_folders(std::move(folders)) {}
    ~TrashSurvey() override { finish(); }
    // After finished().
    const TrashContents &contents() const { return m_contents; }

private:
    void run() override;
    const std::optional<QList<QByteArray>> m_folders;
    TrashContents m_contents;
};

// emptyTrash on a thread of its own, then the record of the last deletion to
// the trash cleared: what it lists is gone.
class TrashEmptying : public BackgroundTask
{
public:
    explicit TrashEmptying(std::optional<QList<QByteArray>> folders = {}) : m_folders(std::move(folders)) {}
    ~TrashEmptying() override { finish(); }
    // After finished().
    const EmptyOutcome &outcome() const { return m_outcome; }
    bool recordCleared() const { return m_recordCleared; }

private:
    void run() override;
    const std::optional<QList<QByteArray>> m_folders;
    EmptyOutcome m_outcome;
    bool m_recordCleared = true;
};

} // namespace dm
