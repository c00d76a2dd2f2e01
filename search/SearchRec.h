#pragma once
// The found-file record handed to the accept test and the file-match event.

#include "FolderListing.h"

#include <cstdint>
#include <string>

namespace dm {

// Attribute bits that the enumeration never returns (volume labels).
inline constexpr std::uint32_t kExcludedAttributes = faVolumeId;

// One found entry. The engine reuses the record for the next entry: a handler
// may read it during its call only.
struct TSearchRec
{
    // Local last-write time, packed (date in the high word, time in the low
    // word); outside 1980..2107 clamped to the nearest representable value.
    std::int32_t Time = 0;
    // Low 32 bits of the size; the full size is FindData.FileSize.
    std::int32_t Size = 0;
    // 0x01 read-only, 0x02 hidden, 0x10 directory, 0x20 archive.
    std::uint32_t Attr = 0;
    // The entry's name without folder.
    std::string Name;
    // Attribute bits the enumeration skips.
    std::uint32_t ExcludeAttr = kExcludedAttributes;
    // The open folder the entry was found in (a descriptor to open the entry
    // relative to, as the walk does) when the search looks into contents,
    // else -1.
    int FindHandle = -1;
    // The full status: attributes, 64-bit size and the three file times.
    ::dm::FindData FindData;
};

} // namespace dm
