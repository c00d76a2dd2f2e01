#pragma once
// The syntax of the name, location, included and excluded lists, and the
// matching of excluded entries against found files. Paths use "/" as the one
// separator; there are no drives or shares, so a drive part is always empty
// and ":" is an ordinary character.

#include <string>
#include <string_view>
#include <vector>

namespace dm {

// Cuts List at every ";", trims bytes 0..32 from both ends of each piece,
// drops empty pieces and pieces equal to an earlier one: without regard to
// case for masks, exactly for folders (CaseSensitive), since folder names
// differing only in case are different folders here.
std::vector<std::string> SplitEntries(std::string_view List, bool CaseSensitive = false);

// Removes a leading "<" (returns false) or ">" (returns true) from Entry;
// without either, Entry is unchanged and Default is returned.
bool TakeSubfolderPrefix(std::string &Entry, bool Default);

// Position of the last folder separator of Path, or npos.
std::size_t LastSeparator(std::string_view Path);

// The folder part of Path, up to and including its last separator (empty
// without one), and the part after it.
std::string_view FolderPart(std::string_view Path);
std::string_view NamePart(std::string_view Path);

// "*" matches the rest at once, "?" any one character (or nothing at the
// end), other characters equal with ASCII letters folded; letters outside
// ASCII compare exactly (so "Ёлка" is not "ёлка").
bool MatchWildcard(std::string_view S, std::string_view Mask);

// Base and extension matched separately; a mask without an extension ignores
// the name's extension, a name without one counts as having ".".
bool MatchFileName(std::string_view Name, std::string_view Mask);

// Whether the excluded entry E ("folder/mask", either part may be empty) covers
// the entry Name found in Folder (which ends in "/"). The folder part is
// compared as a plain suffix of Folder, letters by the same case rule.
bool IsExcludedBy(std::string_view Folder, std::string_view Name, std::string_view E);

} // namespace dm
