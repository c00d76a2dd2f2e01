// The walk: depth-first, pre-order. Each folder is read once (one getdents
// pass into a listing kept per depth); the mask passes, last mask to first,
// and the subfolder pass all run over that one listing. An entry's status is
// fetched only when its name matched a mask; the subfolder pass goes by the
// entry type the kernel gives. Symbolic links are never entered, and folders
// of kernel pseudo file systems are never read.

#include "FindFile.h"
#include "TargetSearch.h"

#include "DateTime.h"
#include "FolderListing.h"
#include "NameMatch.h"
#include "PseudoFileSystem.h"

#include <dirent.h>
#include <fcntl.h>

namespace dm {

namespace {

// Sockets, FIFOs and devices are never reported; skip them before matching.
bool neverReported(unsigned char type)
{
    return type == DT_SOCK || type == DT_FIFO || type == DT_CHR || type == DT_BLK;
}

} // namespace

DirectoryListing &TFindFile::listingFor(std::size_t level)
{
    while (m_listings.size() <= level)
        m_listings.push_back(std::make_unique<DirectoryListing>());
    return *m_listings[level];
}

void TFindFile::RunSearch()
{
    TTargetFolderList &targets = m_search->TargetFolders;
    std::size_t i = targets.Count();
    while (!AbortRequested() && i > 0) {
        --i;
        m_folderLevel.store(0, std::memory_order_relaxed);
        m_current = &targets[i];
        m_masks.clear();
        for (const std::string &mask : m_current->FileMasks)
            m_masks.emplace_back(mask);
        SearchIn(m_current->Folder);
    }
}

void TFindFile::SearchIn(const std::string &Folder)
{
    m_path = Folder;
    // A folder left empty by the path expansion is the current folder.
    const std::string open = Folder.empty() ? std::string(".") : Folder;
    searchFolder(AT_FDCWD, open.c_str(), 0);
}

void TFindFile::searchFolder(int parentFd, const char *name, unsigned long parentDevice)
{
    const std::uint16_t level = static_cast<std::uint16_t>(m_folderLevel.load(std::memory_order_relaxed) + 1);
    const std::size_t pathLength = m_path.size();
    DirectoryListing &listing = listingFor(level);

    // Restores the level and the path and closes the folder however the step is left.
    struct Guard
    {
        TFindFile *self;
        DirectoryListing &listing;
        std::size_t pathLength;
        ~Guard()
        {
            listing.close();
            self->m_path.resize(pathLength);
            self->m_folderLevel.store(static_cast<std::uint16_t>(self->m_folderLevel.load(std::memory_order_relaxed) - 1),
                                      std::memory_order_relaxed);
        }
    };
    m_folderLevel.store(level, std::memory_order_relaxed);
    Guard guard{this, listing, pathLength};

    const TFolderIgnore ignore = DoFolderChange(m_path);
    const TTargetFolder &target = *m_current;
    const bool searchFiles = (ignore == fiNone || ignore == fiJustSubfolders)
        && level >= target.MinLevel && !m_masks.empty();
    const bool searchSubfolders = target.Subfolders && (ignore == fiNone || ignore == fiJustThis)
        && (target.MaxLevel == 0 || level < target.MaxLevel);
    if ((!searchFiles && !searchSubfolders) || AbortRequested())
        return;
    // A target folder is the one the user named, even through a link; a
    // link met inside the walk is never entered.
    if (!listing.read(parentFd, name, parentFd == AT_FDCWD))
        return;
    const unsigned long device = listing.device();
    if (device != parentDevice && isPseudoFileSystem(listing.fd()))
        return;
    const int fd = listing.fd();

    if (searchFiles) {
        std::size_t k = m_masks.size();
        while (!AbortRequested() && k > 0) {
            const FileMask &mask = m_masks[--k];
            for (std::size_t e = 0; e < listing.size(); ++e) {
                const DirectoryListing::Entry &entry = listing[e];
                if (neverReported(entry.type) || !mask.matches(listing.nameView(entry), entry.ascii))
                    continue;
                const char *entryName = listing.name(entry);
                if (statEntry(fd, entryName, m_rec.FindData)) {
                    m_rec.Name.assign(entryName, entry.length);
                    m_rec.Attr = m_rec.FindData.Attributes;
                    m_rec.Size = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_rec.FindData.FileSize));
                    m_rec.Time = UnixToDosDateTime(m_rec.FindData.LastWriteSeconds);
                    if (AcceptFile(m_path, m_rec))
                        DoFileMatch(m_path, m_rec);
                }
                if (AbortRequested())
                    break;
            }
        }
    }

    if (searchSubfolders && !AbortRequested()) {
        for (std::size_t e = 0; e < listing.size(); ++e) {
            const DirectoryListing::Entry &entry = listing[e];
            const char *entryName = listing.name(entry);
            if (!isFolderEntry(fd, entryName, entry.type))
                continue;
            m_path.append(entryName, entry.length);
            m_path += '/';
            searchFolder(fd, entryName, device);
            m_path.resize(pathLength);
            if (AbortRequested())
                break;
        }
    }
}

} // namespace dm
