#include "ListSyntax.h"

#include "NameMatch.h"

#include <algorithm>

namespace dm {

namespace {

// An ASCII text seen with its letters lowered.
struct LoweredAscii
{
    std::string_view text;
    char32_t operator[](std::size_t i) const { return lowerAscii(static_cast<unsigned char>(text[i])); }
};

// MatchWildcard's rule over texts whose letters are already folded.
template <typename Text, typename Mask>
bool wildcard(const Text &s, std::size_t n, const Mask &mask, std::size_t m)
{
    std::size_t i = 0;
    for (; i < n && i < m; ++i) {
        if (mask[i] == U'*')
            return true;
        if (mask[i] != U'?' && s[i] != mask[i])
            return false;
    }
    if (i < n)
        return false;
    while (i < m && (mask[i] == U'*' || mask[i] == U'?'))
        ++i;
    return i == m;
}

// Base and extension (with its dot) of a name or mask: the extension begins
// at the last "." after the last separator.
std::pair<std::string_view, std::string_view> splitExtension(std::string_view s)
{
    const std::size_t sep = LastSeparator(s);
    const std::size_t dot = s.rfind('.');
    if (dot == std::string_view::npos || (sep != std::string_view::npos && dot < sep))
        return {s, {}};
    return {s.substr(0, dot), s.substr(dot)};
}

} // namespace

std::vector<std::string> SplitEntries(std::string_view List, bool CaseSensitive)
{
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start <= List.size()) {
        std::size_t end = List.find(';', start);
        if (end == std::string_view::npos)
            end = List.size();
        std::string_view piece = List.substr(start, end - start);
        while (!piece.empty() && static_cast<unsigned char>(piece.front()) <= 32)
            piece.remove_prefix(1);
        while (!piece.empty() && static_cast<unsigned char>(piece.back()) <= 32)
            piece.remove_suffix(1);
        if (!piece.empty()) {
            bool seen = false;
            for (const std::string &kept : result)
                if (CaseSensitive ? kept == piece : equalsIgnoreCase(kept, piece)) {
                    seen = true;
                    break;
                }
            if (!seen)
                result.emplace_back(piece);
        }
        start = end + 1;
    }
    return result;
}

bool TakeSubfolderPrefix(std::string &Entry, bool Default)
{
    if (!Entry.empty() && (Entry.front() == '<' || Entry.front() == '>')) {
        const bool result = Entry.front() == '>';
        Entry.erase(0, 1);
        return result;
    }
    return Default;
}

std::size_t LastSeparator(std::string_view Path)
{
    return Path.rfind('/');
}

std::string_view FolderPart(std::string_view Path)
{
    const std::size_t sep = LastSeparator(Path);
    return sep == std::string_view::npos ? std::string_view() : Path.substr(0, sep + 1);
}

std::string_view NamePart(std::string_view Path)
{
    const std::size_t sep = LastSeparator(Path);
    return sep == std::string_view::npos ? Path : Path.substr(sep + 1);
}

bool MatchWildcard(std::string_view S, std::string_view Mask)
{
    if (isAscii(S) && isAscii(Mask))
        return wildcard(LoweredAscii{S}, S.size(), LoweredAscii{Mask}, Mask.size());
    // Characters, not bytes, for "?"; letters outside ASCII compare exactly.
    thread_local std::u32string s, mask;
    foldName(S, s, true);
    foldName(Mask, mask, true);
    return wildcard(s, s.size(), mask, mask.size());
}

bool MatchFileName(std::string_view Name, std::string_view Mask)
{
    auto [nameBase, nameExt] = splitExtension(Name);
    const auto [maskBase, maskExt] = splitExtension(Mask);
    if (maskExt.empty())
        return MatchWildcard(nameBase, maskBase);
    if (nameExt.empty())
        nameExt = ".";
    return MatchWildcard(nameExt, maskExt) && MatchWildcard(nameBase, maskBase);
}

bool IsExcludedBy(std::string_view Folder, std::string_view Name, std::string_view E)
{
    const std::string_view p = FolderPart(E);
    // Paths have no drive part here, so P is a plain suffix of Folder, ASCII
    // letters without regard to case, every other byte exactly.
    if (!p.empty()
        && (Folder.size() < p.size()
            || !std::equal(p.begin(), p.end(), Folder.end() - std::ptrdiff_t(p.size()), [](char a, char b) {
                   return lowerAscii(static_cast<unsigned char>(a)) == lowerAscii(static_cast<unsigned char>(b));
               })))
        return false;
    const std::string_view m = NamePart(E);
    return m.empty() || MatchFileName(Name, m);
}

} // namespace dm
