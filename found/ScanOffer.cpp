#include "ScanOffer.h"

#include "DateTime.h"
#include "ScanTexts.h"

#include <QFile>
#include <cmath>
#include <limits>
#include <QCoreApplication>

namespace dm {

TypeMatcher::TypeMatcher(const QList<QStringList> &tickedRows)
{
    std::uint16_t type = 0;
    for (const QStringList &subItems : tickedRows) {
        for (const QString &text : subItems)
            for (const QString &mask : SplitMaskText(text)) {
                const std::string bytes = QFile::encodeName(mask).toStdString();
                if (!PlaceMask::isPlace(bytes)) {
                    m_masks.push_back({FileMask(bytes), type, -1});
                    continue;
                }
                const PlaceMask &place = m_places.emplace_back(bytes);
                m_masks.push_back({place.name(), type, std::int32_t(m_places.size() - 1)});
            }
        if (type == std::numeric_limits<std::uint16_t>::max())
            break;
        ++type;
    }
}

std::uint16_t TypeMatcher::typeOf(std::string_view folder, std::string_view name)
{
    if (!m_places.empty() && (m_covers.empty() || folder != m_folder)) {
        m_folder.assign(folder);
        m_covers.resize(m_places.size());
        for (std::size_t p = 0; p < m_places.size(); ++p)
            m_covers[p] = m_places[p].accepts(m_places[p].stateOf(folder));
    }
    const bool ascii = isAscii(name);
    for (const Entry &e : m_masks)
        if ((e.place < 0 || m_covers[std::size_t(e.place)]) && e.mask.matches(name, ascii))
            return e.type;
    return 0;
}

QString TickedText(std::uint64_t files, std::uint64_t kiloBytes)
{
    return QCoreApplication::translate("Dustmote", "Отмечено: %1 (%2 KB)").arg(files).arg(kiloBytes);
}

} // namespace dm
