#include "FolderRead.h"

#include "PseudoFileSystem.h"

#include <QScopeGuard>

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dm {

namespace {

// Buffers larger than this are given back after the folder that needed them.
constexpr std::size_t kKeptBufferBytes = 256 << 10;
constexpr std::uint32_t kNotFound = 0xFFFFFFFF;

// Sockets, FIFOs and devices are never reported; skip them before matching.
bool neverReported(unsigned char type)
{
    return type == DT_SOCK || type == DT_FIFO || type == DT_CHR || type == DT_BLK;
}

bool stopped(const std::atomic<bool> *stop)
{
    return stop && stop->load(std::memory_order_relaxed);
}

std::uint32_t appendName(std::string &names, const char *name, std::size_t length)
{
    const auto offset = static_cast<std::uint32_t>(names.size());
    names.append(name, length + 1); // with its NUL
    return offset;
}

bool placeCovers(const PlaceRules &rules, std::size_t mask, const PlaceMask::State *state)
{
    const std::int32_t place = rules.placeOf[mask];
    return place < 0 || (state && rules.places[std::size_t(place)].accepts(state[place]));
}

void stepPlaces(const PlaceRules &rules, const PlaceMask::State *state, std::string_view name, bool ascii,
                std::vector<PlaceMask::State> &out)
{
    for (std::size_t p = 0; p < rules.places.size(); ++p) {
        const PlaceMask &place = rules.places[p];
        out.push_back(place.step(state ? state[p] : place.start(), name, ascii));
    }
}

} // namespace

std::size_t FolderRead::bytes() const
{
    return sizeof(FolderRead) + names.capacity() + found.capacity() * sizeof(Found)
        + hits.capacity() * sizeof(std::uint32_t) + children.capacity() * sizeof(FolderNode)
        + childPlaces.capacity() * sizeof(PlaceMask::State);
}

ReadResult readFolder(ReadScratch &scratch, int parentFd, const char *name, bool followLink,
                      std::uint64_t parentDevice, ReadWants wants, const std::atomic<bool> *stop,
                      FolderRead &out)
{
    DirectoryListing &listing = scratch.listing;
    // The folder stays open only where handed to out.fd below.
    const auto release = qScopeGuard([&listing] {
        listing.close();
        listing.releaseIfLarger(kKeptBufferBytes);
    });

    if (!listing.read(parentFd, name, followLink))
        return (errno == EMFILE || errno == ENFILE) ? ReadResult::NoDescriptor : ReadResult::Unlistable;
    const int fd = listing.fd();
    struct stat st;
    if (::fstat(fd, &st) != 0 || (st.st_dev != parentDevice && isPseudoFileSystem(fd)))
        return ReadResult::Unlistable;
    out.listed = true;
    out.device = st.st_dev;
    out.inode = st.st_ino;

    const PlaceRules *rules = (wants.rules && !wants.rules->empty()) ? wants.rules : nullptr;
    if (wants.masks && !wants.masks->empty()) {
        std::vector<std::uint32_t> &foundOf = scratch.foundOf;
        foundOf.assign(listing.size(), kNotFound);
        for (std::size_t k = wants.masks->size(); k-- > 0 && !stopped(stop);) {
            // A place mask's pass runs only in the folders its place covers,
            // told once per folder from the folder's state.
            if (rules && !placeCovers(*rules, k, wants.placeState))
                continue;
            const FileMask &mask = (*wants.masks)[k];
            for (std::size_t e = 0; e < listing.size(); ++e) {
                const DirectoryListing::Entry &entry = listing[e];
                if (neverReported(entry.type) || !mask.matches(listing.nameView(entry), entry.ascii))
                    continue;
                if (foundOf[e] == kNotFound) {
                    FindData data;
                    if (!statEntry(fd, listing.name(entry), data) || stopped(stop))
                        continue; // looked at again by the next mask that matches it
                    foundOf[e] = static_cast<std::uint32_t>(out.found.size());
                    out.found.push_back({appendName(out.names, listing.name(entry), entry.length),
                                         entry.length, data});
                }
                out.hits.push_back(foundOf[e]);
            }
        }
    }
    if (wants.subfolders) {
        for (std::size_t e = 0; e < listing.size() && !stopped(stop); ++e) {
            const DirectoryListing::Entry &entry = listing[e];
            const char *entryName = listing.name(entry);
            if (isFolderEntry(fd, entryName, entry.type)) {
                FolderNode node;
                node.name = appendName(out.names, entryName, entry.length);
                node.length = entry.length;
                out.children.push_back(std::move(node));
                if (rules)
                    stepPlaces(*rules, wants.placeState, listing.nameView(entry), entry.ascii, out.childPlaces);
            }
        }
    }
    if (!out.children.empty() || (wants.filesNeedFolder && !out.hits.empty()))
        out.fd = std::make_shared<FolderFd>(listing.takeFd());
    return ReadResult::Listed;
}

} // namespace dm
