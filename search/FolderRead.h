#pragma once
// One read of one folder, in the compact form the walk consumes: the names
// that matched a mask with their status, in the order the walk reports them,
// and the subfolders to enter. Made by the walk itself or, ahead of it, by a
// reader of the read-ahead (ReadAhead.h); nothing but reads happen here.

#include "FolderListing.h"
#include "NameMatch.h"
#include "PlaceMask.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dm {

struct FolderRead;

// An open folder, shared by the walk and the readers through a shared_ptr and
// closed with its last holder.
using FolderFd = UniqueFd;

// A subfolder still to be entered. The state belongs to the read-ahead.
struct FolderNode
{
    enum State : std::uint8_t {
        Unread,   // nobody read it yet
        Reading,  // a reader is at it
        Ready,    // read: `read` holds the result
        Deferred, // readers could not open it (no descriptor left): the walk reads it
        Taken,    // the walk has it
        Dropped,  // the walk will not enter it; a read in flight is thrown away
    };
    std::uint32_t name = 0;   // offset of the NUL-terminated name in the parent's names
    std::uint32_t length = 0;
    State state = Unread;
    bool childrenWanted = true; // false once the walk was told to skip its subfolders
    std::shared_ptr<FolderRead> read;
};

// The place masks among a plan's masks (PlaceMask.h).
struct PlaceRules
{
    std::vector<PlaceMask> places;
    std::vector<std::int32_t> placeOf; // per mask: its place, or -1 for a name mask

    bool empty() const { return places.empty(); }
};

// Which parts of a folder a read takes.
struct ReadWants
{
    const std::vector<FileMask> *masks = nullptr; // null: no files wanted
    bool subfolders = false;
    // With place masks: the rules, and the folder's own state per place
    // (its parent's childPlaces, or the walk's for a target folder).
    const PlaceRules *rules = nullptr;
    const PlaceMask::State *placeState = nullptr;
    // The files found are opened relative to their folder (a content search),
    // so a folder with some stays open until they are reported. Otherwise only
    // a folder with subfolders does: closing the rest at once, where they
    // were read, made a cold walk 5 to 10 % faster.
    bool filesNeedFolder = false;
};

struct FolderRead : std::enable_shared_from_this<FolderRead>
{
    // A found entry: its name in `names` and its status.
    struct Found
    {
        std::uint32_t name;
        std::uint32_t length;
        FindData data;
    };

    // The folder, kept open while a subfolder, or a found entry opened
    // relative to it (ReadWants::filesNeedFolder), may need it.
    std::shared_ptr<FolderFd> fd;
    bool listed = false;  // opened, identified, and not a kernel pseudo file system
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::string names;            // each name ended by a NUL
    std::vector<Found> found;     // each matched entry once
    std::vector<std::uint32_t> hits; // indices into found: last mask's pass first
    std::vector<FolderNode> children; // real subfolders, in listing order
    // With place masks: each child's state per place, children in order.
    std::vector<PlaceMask::State> childPlaces;
    std::size_t charged = 0;      // bytes counted against the read-ahead window

    const char *name(const FolderNode &node) const { return names.data() + node.name; }
    // The place states of one of the children (rules: the plan's).
    const PlaceMask::State *placeStateOf(const FolderNode &node, const PlaceRules *rules) const
    {
        if (!rules || rules->empty() || childPlaces.empty())
            return nullptr;
        return childPlaces.data() + std::size_t(&node - children.data()) * rules->places.size();
    }
    // Heap bytes held, roughly.
    std::size_t bytes() const;
};

// Per-thread buffers of readFolder.
struct ReadScratch
{
    DirectoryListing listing;
    std::vector<std::uint32_t> foundOf; // listing entry -> found index
};

enum class ReadResult { Listed, Unlistable, NoDescriptor };

// Opens `name` relative to parentFd (a final link followed only with
// followLink) and reads it whole into out. A folder on another device than
// parentDevice is left unread when it is a kernel pseudo file system. The
// mask passes run last mask to first, entries in listing order, and each
// matching entry is examined once. Gives up early, leaving out incomplete,
// once *stop is set. NoDescriptor: the process is out of descriptors.
ReadResult readFolder(ReadScratch &scratch, int parentFd, const char *name, bool followLink,
                      std::uint64_t parentDevice, ReadWants wants, const std::atomic<bool> *stop,
                      FolderRead &out);

} // namespace dm
