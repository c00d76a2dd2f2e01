#pragma once
// Browsers whose cache a deletion reaches while they run. Deleting a cache
// under a running browser is what users are warned about: the deletion
// confirmation then names the browser. A browser runs when its profile lock
// is held: a symbolic link whose target ends in the holder's process id
// (Firefox's "lock" in each profile, "SingletonLock" in a Chromium-based
// browser's data folder) naming a process that is alive.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace dm {

class BrowserCaches
{
public:
    // home: the user's home folder, without a final "/".
    explicit BrowserCaches(const QByteArray &home);

    // The browser whose cache or data holds a folder (ending in "/"), or -1.
    int browserOf(const QByteArray &folder) const;
    // The browser's name as users know it.
    QString name(int browser) const;
    // Whether it runs now.
    bool running(int browser) const;
    int count() const { return int(m_browsers.size()); }

private:
    struct Browser
    {
        QString name;
        std::vector<QByteArray> folders; // ending in "/"
        QByteArray profiles;             // Firefox: the folder of its profiles
        QByteArray singletonLock;        // Chromium: the lock in its data folder
    };
    std::vector<Browser> m_browsers;
};

// Whether a profile lock (a symbolic link ending "+pid" or "-pid") names a
// process that is alive.
bool lockHeld(const QByteArray &lockLink, char beforePid);

// The line the deletion confirmation adds for running browsers; empty when
// none runs.
QString RunningBrowsersLine(const QStringList &names);

} // namespace dm
