#include "TrashEmpty.h"

#include "FolderListing.h"
#include "Trash.h"
#include "TrashFolders.h"
#include "TrashRestore.h"
#include "UniqueFd.h"

#include <QString>
#include <cerrno>
#include <functional>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include <QCoreApplication>

namespace dm {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;


// Visits the tree below an open folder depth first, one listing per level
// (kept for the walk), folders after their contents. visit(dirFd, name, st)
// is called for every entry; folders are entered unless it returns false.
template <typename Visit, typename Leave>
void walkBelow(int rootFd, const std::function<bool()> &stop, Visit visit, Leave leave)
{
    struct Level
    {
        DirectoryListing listing;
        std::size_t next = 0;
    };
    std::vector<std::unique_ptr<Level>> levels;
    levels.push_back(std::make_unique<Level>());
    if (!levels.back()->listing.read(rootFd, "."))
        return;
    while (!levels.empty() && !(stop && stop())) {
        Level &at = *levels.back();
        if (at.next >= at.listing.size()) {
            levels.pop_back();
            if (!levels.empty()) {
                Level &up = *levels.back();
                leave(up.listing.fd(), up.listing.name(up.listing[up.next - 1]));
            }
            continue;
        }
        const int fd = at.listing.fd();
        const char *name = at.listing.name(at.listing[at.next++]);
        struct stat st;
        if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (!visit(fd, name, st) || !S_ISDIR(st.st_mode))
            continue;
        auto below = std::make_unique<Level>();
        if (below->listing.read(fd, name)) // never through a link
            levels.push_back(std::move(below));
        else
            leave(fd, name);
    }
}

// A trash folder's own folder, files/ and info/, reached as the deletion
// reaches them: without links, and a shared trash only when its owner is
// root or the user. What another user could have swapped in is never
// counted or emptied.
struct OpenTrash
{
    UniqueFd top, files, info;
};

bool openTrash(const QByteArray &trash, OpenTrash *out)
{
    TrashBinFolders bin;
    if (openTrashFolders(trash, false, &bin) != 0)
        return false;
    out->files.reset(::openat(bin.files.get(), ".", kFolderFlags));
    out->info.reset(::openat(bin.info.get(), ".", kFolderFlags));
    out->top.reset(::openat(bin.files.get(), "..", kFolderFlags));
    return out->files && out->info && out->top;
}

} // namespace

TrashContents measureTrash(const QList<QByteArray> &trashFolders, const std::function<bool()> &stop)
{
    TrashContents contents;
    for (const QByteArray &trash : trashFolders) {
        OpenTrash opened;
        if (!openTrash(trash, &opened))
            continue;
        walkBelow(
            opened.files.get(), stop,
            [&](int, const char *, const struct stat &st) {
                if (!S_ISDIR(st.st_mode)) {
                    ++contents.files;
                    contents.bytes += std::uint64_t(st.st_size);
                }
                return true;
            },
            [](int, const char *) {});
    }
    return contents;
}

EmptyOutcome emptyTrash(const QList<QByteArray> &trashFolders, std::atomic<std::size_t> *done)
{
    EmptyOutcome outcome;
    auto failed = [&outcome] {
        ++outcome.failed;
        if (!outcome.firstError)
            outcome.firstError = errno;
    };
    for (const QByteArray &trash : trashFolders) {
        OpenTrash opened;
        if (!openTrash(trash, &opened))
            continue;
        // The files first, then their records: a record never outlives its
        // file for long, and one left without a file is harmless.
        for (const UniqueFd *folder : {&opened.files, &opened.info}) {
            walkBelow(
                folder->get(), {},
                [&](int dirFd, const char *name, const struct stat &st) {
                    if (S_ISDIR(st.st_mode))
                        return true; // removed once empty, by leave
                    if (::unlinkat(dirFd, name, 0) != 0 && errno != ENOENT) {
                        failed();
                        return false;
                    }
                    ++outcome.removed;
                    if (done)
                        done->fetch_add(1, std::memory_order_relaxed);
                    return false;
                },
                [&](int dirFd, const char *name) {
                    if (::unlinkat(dirFd, name, AT_REMOVEDIR) != 0 && errno != ENOENT)
                        failed();
                });
        }
        // A cache of the sizes of trashed folders, stale now.
        if (::unlinkat(opened.top.get(), "directorysizes", 0) != 0 && errno != ENOENT)
            failed();
    }
    return outcome;
}

QString TrashText(const TrashContents &contents)
{
    return QCoreApplication::translate("Dustmote", "Корзина: %1 файлов(ла), %2KB")
        .arg(contents.files)
        .arg((contents.bytes + 1023) / 1024);
}

void TrashSurvey::run()
{
    m_contents = measureTrash(m_folders ? *m_folders : TrashFolders::ofThisUser().own(),
                              [this] { return stopRequested(); });
}

void TrashEmptying::run()
{
    m_outcome = emptyTrash(m_folders ? *m_folders : TrashFolders::ofThisUser().own(), &m_done);
    // The last deletion's files were in the trash: there is nothing to bring
    // back now, and a restore would only report every file missing.
    if (hasTrashRecord())
        m_recordCleared = saveTrashRecord({});
}

} // namespace dm
