#pragma once
// What the found list offers beyond the engine's finds: the catalog type each
// found file counts for, and the text of what is ticked.

#include "NameMatch.h"
#include "PlaceMask.h"
#include "SearchCriteria.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

// The catalog type a found file counts for: the first ticked type, in the
// catalog's order, one of whose masks matches it (a place mask by its folder
// and name). Used by one thread at a time: it remembers the last folder.
class TypeMatcher
{
public:
    TypeMatcher() = default;
    // The ticked types' mask texts, as BuildMaskList takes them.
    explicit TypeMatcher(const QList<QStringList> &tickedRows);

    // The type's position among the ticked ones; 0 when none matches (the
    // engine found the file by one of these masks, so that does not happen).
    // folder: the file's folder, as the engine reports it.
    std::uint16_t typeOf(std::string_view folder, std::string_view name);

private:
    struct Entry
    {
        FileMask mask;
        std::uint16_t type;
        std::int32_t place; // index into m_places, or -1 for a name mask
    };
    std::vector<Entry> m_masks;
    std::vector<PlaceMask> m_places;
    // Which places cover m_folder: told once per folder, not per file.
    std::string m_folder;
    std::vector<bool> m_covers;
};

// "Отмечено: N (X KB)".
QString TickedText(std::uint64_t files, std::uint64_t kiloBytes);

} // namespace dm
