#pragma once
// What a clean scans, the same for the window and the command line: the
// ticked types' masks below one folder as the engine's criteria, files older
// than the age limit, and the folders and files no scan offers (the keep
// list's, and the trash's: what lies there is the trash's business).

#include "KeepList.h"
#include "SearchCriteria.h"
#include "TrashFolders.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <string>

namespace dm {

// The latest last write a file may have to be at least `days` days old at
// `now` (calendar days in local time, as the engine compares), for the date
// criteria's ModifiedBefore; 0 (no bound) when days is 0 or less. A file
// exactly that old is listed; one written in the future never is.
TDateTimeValue AgeLimitBound(int days, const QDateTime &now);

// Sets the engine's criteria to search `location` and all below it for the
// ticked types' masks (each type's sub-item texts), with the age limit's
// bound. The folder reaches the engine as included lines, one per mask,
// never through the location list, which would cut a name holding ";" into
// several places and trim its blanks. Returns the mask list the types make.
struct ScanSetup
{
    QString maskList;
    // Whether the engine was given more than one starting line: then a file
    // may be reported once for each mask that matches it.
    bool severalLines = false;
};
ScanSetup SetCleanCriteria(TSearchCriteria &criteria, const QList<QStringList> &tickedRows,
                           const QByteArray &location, int ageLimitDays, const QDateTime &now);

// The folders and files a scan leaves out. Read by the scan's worker.
class ScanExclusions
{
public:
    ScanExclusions() = default;
    // The keep list as stored now, and this user's trash folders as mounted now.
    static ScanExclusions forScan(const QByteArray &location);

    // Whether the walk leaves the folder (ending in "/") and all below it.
    bool skipsFolder(const std::string &folder) const
    {
        return m_keep.skipsFolder(folder) || m_trash.contains(folder);
    }
    // Whether a file found in a folder the walk entered is kept.
    bool skipsFile(const std::string &folder, const std::string &name) { return m_keep.skipsFile(folder, name); }

private:
    KeepFilter m_keep;
    TrashFolders m_trash;
};

} // namespace dm
