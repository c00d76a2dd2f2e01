#include "TargetSearch.h"

#include "ListSyntax.h"

#include <cerrno>
#include <unistd.h>

namespace dm {

std::optional<std::string> NormalizeFolder(const std::string &Path)
{
    if (Path.empty())
        return std::string();
    std::string full;
    if (Path.front() != '/') {
        std::vector<char> cwd(4096);
        while (!::getcwd(cwd.data(), cwd.size())) {
            if (errno != ERANGE)
                return std::nullopt;
            cwd.resize(cwd.size() * 2);
        }
        if (cwd[0] != '/')
            return std::nullopt; // "(unreachable)": outside this process's root
        full = cwd.data();
        full += '/';
    }
    full += Path;

    // Lexical: drop empty and "." steps, let ".." remove the step before it.
    std::string out = "/";
    std::size_t pos = 0;
    while (pos < full.size()) {
        std::size_t end = full.find('/', pos);
        if (end == std::string::npos)
            end = full.size();
        const std::string_view step(full.data() + pos, end - pos);
        if (step == "..") {
            if (out.size() > 1) {
                out.pop_back();
                out.erase(out.rfind('/') + 1);
            }
        } else if (!step.empty() && step != ".") {
            out.append(step);
            out += '/';
        }
        pos = end + 1;
    }
    return out;
}

TTargetFolder *TTargetFolderList::AddFolder(const std::string &Path)
{
    const std::optional<std::string> folder = NormalizeFolder(Path);
    if (!folder)
        return nullptr;
    const int i = IndexOfFolder(*folder);
    if (i >= 0)
        return m_items[static_cast<std::size_t>(i)].get();
    auto item = std::make_unique<TTargetFolder>();
    item->Folder = *folder;
    m_items.insert(m_items.begin(), std::move(item));
    return m_items.front().get();
}

int TTargetFolderList::IndexOfFolder(const std::string &Path) const
{
    // File names are case-sensitive here: "/x/A/" and "/x/a/" are two
    // folders, and folding them together would leave one of them unsearched.
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i]->Folder == Path)
            return static_cast<int>(i);
    return -1;
}

bool TTargetFolderList::IsExcluded(const std::string &Folder, const std::string &Name) const
{
    for (auto it = ExcludedFiles.rbegin(); it != ExcludedFiles.rend(); ++it)
        if (IsExcludedBy(Folder, Name, *it))
            return true;
    return false;
}

TTargetSearch::TTargetSearch(const TSearchCriteria &Criteria)
{
    const TFileCriteria &files = Criteria.Files();
    TargetFolders.ExcludedFiles = files.Excluded();

    for (const std::string &line : files.Included()) {
        std::string entry = line;
        const bool subfolders = TakeSubfolderPrefix(entry, files.Subfolders());
        TTargetFolder *t = TargetFolders.AddFolder(std::string(FolderPart(entry)));
        if (!t)
            continue;
        t->FileMasks.emplace_back(NamePart(entry));
        t->Subfolders = subfolders;
        t->MinLevel = files.MinLevel();
        t->MaxLevel = files.MaxLevel();
    }

    const std::vector<std::string> masks = SplitEntries(files.FileName());
    for (std::string location : SplitEntries(files.Location(), true)) {
        const bool subfolders = TakeSubfolderPrefix(location, files.Subfolders());
        TTargetFolder *t = TargetFolders.AddFolder(location);
        if (!t)
            continue;
        t->FileMasks.insert(t->FileMasks.end(), masks.begin(), masks.end());
        t->Subfolders = subfolders;
        t->MinLevel = files.MinLevel();
        t->MaxLevel = files.MaxLevel();
    }

    if (!files.Places().empty())
        for (std::size_t i = 0; i < TargetFolders.Count(); ++i) {
            TStringList &masks = TargetFolders[i].FileMasks;
            masks.insert(masks.end(), files.Places().begin(), files.Places().end());
        }

    Attribute.Assign(&Criteria.Attribute());
    TimeStamp.Assign(&Criteria.TimeStamp());
    Size.Assign(&Criteria.Size());
    Content.Assign(&Criteria.Content());
    if (Content.PhraseLength() > 0) {
        TFileAttributes set = Attribute.Attributes();
        set.exclude(ffDirectory);
        Attribute.setAttributes(set);
    }
}

bool TTargetSearch::AcceptFile(const std::string &Folder, const TSearchRec &FileInfo) const
{
    if (!Attribute.Matches(FileInfo.Attr))
        return false;
    if (!Size.Matches(FileInfo.FindData.FileSize))
        return false;
    if (!TimeStamp.Matches(FileInfo.FindData.CreationTime, FileInfo.FindData.LastWriteTime,
                           FileInfo.FindData.LastAccessTime))
        return false;
    if (TargetFolders.IsExcluded(Folder, FileInfo.Name))
        return false;
    if (Content.PhraseLength() < 1)
        return true;
    // Opened relative to the folder, as the walk does, so that no path
    // length limit applies.
    return FileInfo.FindHandle >= 0 ? Content.Matches(FileInfo.FindHandle, FileInfo.Name, Stop)
                                    : Content.Matches(Folder + FileInfo.Name);
}

} // namespace dm
