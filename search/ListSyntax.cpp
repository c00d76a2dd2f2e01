#include "ListSyntax.h"

#include "NameMatch.h"

namespace dm {

namespace {

constexpr char upperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

bool endsWithIgnoreAsciiCase(std::string_view s, std::string_view suffix)
{
    if (s.size() < suffix.size())
        return false;
    const std::string_view tail = s.substr(s.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (upperAscii(tail[i]) != upperAscii(suffix[i]))
            return false;
    return true;
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

std::string_view DrivePart(std::string_view)
{
    return {};
}

bool MatchDrive(std::string_view DF, std::string_view DE)
{
    if (DE.size() >= 2 && DE[0] == '/' && DE[1] == '/')
        return MatchWildcard(DF, DE);
    if (!DE.empty() && (DE[0] == '*' || DE[0] == '?'))
        return true;
    if (DF.empty() || DE.empty())
        return false;
    return upperAscii(DF[0]) == upperAscii(DE[0]);
}

bool MatchWildcard(std::string_view S, std::string_view Mask)
{
    std::size_t i = 0;
    for (; i < S.size() && i < Mask.size(); ++i) {
        if (Mask[i] == '*')
            return true;
        if (Mask[i] != '?' && upperAscii(S[i]) != upperAscii(Mask[i]))
            return false;
    }
    if (i < S.size())
        return false;
    while (i < Mask.size() && (Mask[i] == '*' || Mask[i] == '?'))
        ++i;
    return i == Mask.size();
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
    std::string_view p = FolderPart(E);
    if (!p.empty()) {
        const std::string_view de = DrivePart(p);
        const std::string_view df = DrivePart(Folder);
        if (!de.empty()) {
            if (!MatchDrive(df, de))
                return false;
            p.remove_prefix(de.size());
        }
        if (!p.empty()
            && (Folder.size() < df.size() + p.size() || !endsWithIgnoreAsciiCase(Folder, p)))
            return false;
    }
    const std::string_view m = NamePart(E);
    return m.empty() || MatchFileName(Name, m);
}

} // namespace dm
