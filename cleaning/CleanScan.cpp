#include "CleanScan.h"

#include "DateTime.h"
#include "ScanTexts.h"

#include <QFile>
#include <cmath>
#include <limits>

namespace dm {

TDateTimeValue AgeLimitBound(int days, const QDateTime &now)
{
    if (days <= 0)
        return 0;
    const QDateTime then = now.toLocalTime().addDays(-days);
    const QDate d = then.date();
    const QTime t = then.time();
    const TDateTimeValue bound = EncodeDateTime(d.year(), d.month(), d.day(), t.hour(), t.minute(),
                                                t.second(), t.msec());
    // A bound without a time part would stand for its whole day: a moment at
    // midnight is kept a moment by the least step above it.
    if (bound == std::trunc(bound))
        return std::nextafter(bound, std::numeric_limits<double>::infinity());
    return bound;
}

ScanSetup SetCleanCriteria(TSearchCriteria &criteria, const QList<QStringList> &tickedRows,
                           const QByteArray &location, int ageLimitDays, const QDateTime &now)
{
    ScanSetup setup;
    setup.maskList = BuildMaskList(tickedRows);
    const std::string masks = QFile::encodeName(setup.maskList).toStdString();
    const std::vector<std::string> targets = ScanTargets(location.toStdString(), masks);
    const std::vector<std::string> places = ScanPlaces(masks);
    TFileCriteria &files = criteria.Files();
    files.setFileName(masks);
    files.setLocation({});
    files.setIncluded(targets);
    files.setPlaces(places);
    files.setSubfolders(true);
    criteria.TimeStamp().setModifiedBefore(AgeLimitBound(ageLimitDays, now));
    setup.severalLines = targets.size() + places.size() > 1;
    return setup;
}

ScanExclusions ScanExclusions::forScan(const QByteArray &location)
{
    ScanExclusions exclusions;
    exclusions.m_keep = KeepFilter(KeepList::load(), location.toStdString());
    exclusions.m_trash = TrashFolders::ofThisUser();
    return exclusions;
}

} // namespace dm
