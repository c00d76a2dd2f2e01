// The walk: depth-first, pre-order, without recursion. Each folder is read
// once (one getdents pass); the mask passes, last mask to first, run over
// that listing at once, and the names of its subfolders are kept on the
// walk's own stack until they have been entered. An entry's status is
// fetched only when its name matched a mask; the subfolder pass goes by the
// entry type the kernel gives. Symbolic links are never entered, and folders
// of kernel pseudo file systems are never read.
//
// The stack and the reads ahead of the walk are ReadAhead's: the walk raises
// a folder's event, takes its read (done ahead by a helper, or here), and
// reports its files from it. Depth costs memory only: every folder is opened
// relative to its parent, and only the deepest frames keep theirs open.

#include "FindFile.h"
#include "ReadAhead.h"
#include "TargetSearch.h"

#include "DateTime.h"

#include <QScopeGuard>

#include <algorithm>
#include <climits>
#include <sys/resource.h>

namespace dm {

unsigned long TFindFile::RaiseOpenFileLimit()
{
    struct rlimit limit;
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 0;
    const rlim_t wanted = rlim_t(ReadAhead::kLimitShare * ReadAhead::kWindowFolders);
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted) {
        const rlim_t before = limit.rlim_cur;
        limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, limit.rlim_max);
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
            limit.rlim_cur = before;
    }
    return limit.rlim_cur == RLIM_INFINITY ? ULONG_MAX : static_cast<unsigned long>(limit.rlim_cur);
}

void TFindFile::RunSearch()
{
    // Built before the walk, so that the helpers it starts are joined however
    // the walk ends (an abort or an exception included).
    ReadAhead readAhead(static_cast<unsigned>(std::max(m_readThreads, 1) - 1), &m_abortRequested);
    m_readAhead = &readAhead;
    struct Reset
    {
        TFindFile *self;
        ~Reset() { self->m_readAhead = nullptr; }
    } reset{this};

    TTargetFolderList &targets = m_search->TargetFolders;
    std::size_t i = targets.Count();
    while (!AbortRequested() && i > 0) {
        --i;
        setLevel(0);
        m_current = &targets[i];
        SearchIn(m_current->Folder);
    }
}

void TFindFile::setLevel(std::size_t level)
{
    m_level = level;
    m_folderLevel.store(static_cast<std::uint16_t>(level < 0xFFFF ? level : 0xFFFF),
                        std::memory_order_relaxed);
}

void TFindFile::SearchIn(const std::string &Folder)
{
    // Called outside RunSearch: the walk reads alone.
    std::unique_ptr<ReadAhead> own;
    if (!m_readAhead) {
        own = std::make_unique<ReadAhead>(0, &m_abortRequested);
        m_readAhead = own.get();
    }
    ReadAhead &ra = *m_readAhead;
    // Leaves every frame and restores the level however the walk is left.
    const auto guard = qScopeGuard([this, &ra, level = m_level, owned = own != nullptr] {
        ra.clear();
        setLevel(level);
        if (owned)
            m_readAhead = nullptr;
    });

    auto plan = std::make_shared<ReadPlan>();
    for (const std::string &mask : m_current->FileMasks) {
        if (!PlaceMask::isPlace(mask)) {
            plan->masks.emplace_back(mask);
            plan->rules.placeOf.push_back(-1);
            continue;
        }
        // A mask that names a place: its name part is matched in the folders
        // its folder part covers, which each read tells from its state.
        PlaceMask &place = plan->rules.places.emplace_back(mask);
        plan->masks.push_back(place.name());
        plan->rules.placeOf.push_back(std::int32_t(plan->rules.places.size() - 1));
        plan->targetPlaces.push_back(place.stateOf(Folder));
    }
    if (plan->rules.empty())
        plan->rules.placeOf.clear();
    plan->minLevel = m_current->MinLevel;
    plan->maxLevel = m_current->MaxLevel;
    plan->subfolders = m_current->Subfolders;
    plan->filesNeedFolder = m_search->Content.PhraseLength() > 0;
    ra.setPlan(std::move(plan));

    m_path = Folder;
    enterFolder(nullptr);
    while (ra.depth() > 0) {
        const ReadAhead::Frame &top = ra.top();
        if (AbortRequested() || top.next >= top.read->children.size()) {
            ra.pop();
            if (ra.depth() > 0)
                m_path.resize(ra.top().pathLength);
            setLevel(m_level - 1);
            continue;
        }
        m_path.resize(top.pathLength);
        if (!ra.topOpen() && !ra.reopenTop(m_path)) {
            ra.skipRest(); // the folder is gone or was replaced
            continue;
        }
        FolderNode &child = ra.nextChild();
        m_path.append(top.read->name(child), child.length);
        m_path += '/';
        enterFolder(&child);
    }
}

// The target folder when child is null.
void TFindFile::enterFolder(FolderNode *child)
{
    ReadAhead &ra = *m_readAhead;
    setLevel(m_level + 1);
    const TFolderIgnore ignore = DoFolderChange(m_path);
    ReadWants wants = ra.plan().wants(m_level);
    if (ignore != fiNone && ignore != fiJustSubfolders)
        wants.masks = nullptr;
    if (ignore != fiNone && ignore != fiJustThis)
        wants.subfolders = false;
    std::shared_ptr<FolderRead> read;
    if (!child && !ra.plan().targetPlaces.empty())
        wants.placeState = ra.plan().targetPlaces.data();
    if ((wants.masks || wants.subfolders) && !AbortRequested())
        read = child ? ra.take(*child, wants) : ra.readTarget(m_path, wants);
    if (read && read->listed) {
        if (wants.masks)
            reportFiles(*read);
        if (wants.subfolders && !AbortRequested() && !read->children.empty()) {
            ra.push(child, std::move(read), m_level, m_path.size());
            return;
        }
    }
    ra.done(child, std::move(read));
    setLevel(m_level - 1);
}

void TFindFile::reportFiles(const FolderRead &read)
{
    m_rec.FindHandle = read.fd ? read.fd->get() : -1;
    for (const std::uint32_t hit : read.hits) {
        const FolderRead::Found &found = read.found[hit];
        m_rec.Name.assign(read.names.data() + found.name, found.length);
        m_rec.FindData = found.data;
        m_rec.Attr = found.data.Attributes;
        m_rec.Size = static_cast<std::int32_t>(static_cast<std::uint32_t>(found.data.FileSize));
        m_rec.Time = UnixToDosDateTime(found.data.LastWriteSeconds);
        if (AcceptFile(m_path, m_rec))
            DoFileMatch(m_path, m_rec);
        if (AbortRequested())
            break;
    }
    m_rec.FindHandle = -1;
}

} // namespace dm
