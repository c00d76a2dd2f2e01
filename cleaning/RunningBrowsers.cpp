#include "RunningBrowsers.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <csignal>
#include <unistd.h>
#include <QCoreApplication>

namespace dm {

namespace {

struct ChromiumKind
{
    const char *name;
    const char *folder; // below ~/.config and ~/.cache
};

constexpr ChromiumKind kChromium[] = {
    {"Chromium", "chromium"},
    {"Chrome", "google-chrome"},
    {"Chrome", "google-chrome-beta"},
    {"Chrome", "google-chrome-unstable"},
    {"Brave", "BraveSoftware/Brave-Browser"},
    {"Edge", "microsoft-edge"},
    {"Edge", "microsoft-edge-beta"},
    {"Edge", "microsoft-edge-dev"},
    {"Vivaldi", "vivaldi"},
    {"Vivaldi", "vivaldi-snapshot"},
};

} // namespace

BrowserCaches::BrowserCaches(const QByteArray &home)
{
    const QByteArray base = home.endsWith('/') ? home : home + '/';
    // Firefox as packaged by the distribution, and as a snap.
    for (const QByteArray &root : {QByteArray(), QByteArray("snap/firefox/common/")}) {
        m_browsers.push_back({QStringLiteral("Firefox"),
                              {base + root + ".cache/mozilla/firefox/", base + root + ".mozilla/firefox/"},
                              base + root + ".mozilla/firefox/",
                              {}});
    }
    for (const ChromiumKind &kind : kChromium) {
        const QByteArray folder(kind.folder);
        m_browsers.push_back({QString::fromLatin1(kind.name),
                              {base + ".cache/" + folder + '/', base + ".config/" + folder + '/'},
                              {},
                              base + ".config/" + folder + "/SingletonLock"});
    }
}

int BrowserCaches::browserOf(const QByteArray &folder) const
{
    for (std::size_t b = 0; b < m_browsers.size(); ++b)
        for (const QByteArray &cache : m_browsers[b].folders)
            if (folder.startsWith(cache))
                return int(b);
    return -1;
}

QString BrowserCaches::name(int browser) const
{
    return m_browsers[std::size_t(browser)].name;
}

bool BrowserCaches::running(int browser) const
{
    const Browser &b = m_browsers[std::size_t(browser)];
    if (!b.singletonLock.isEmpty())
        return lockHeld(b.singletonLock, '-');
    const QDir profiles(QFile::decodeName(b.profiles));
    for (const QString &profile : profiles.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden))
        if (lockHeld(b.profiles + QFile::encodeName(profile) + "/lock", '+'))
            return true;
    return false;
}

bool lockHeld(const QByteArray &lockLink, char beforePid)
{
    char target[256];
    const ssize_t n = ::readlink(lockLink.constData(), target, sizeof target - 1);
    if (n <= 0)
        return false;
    const QByteArray text(target, qsizetype(n));
    bool ok = false;
    const long pid = text.mid(text.lastIndexOf(beforePid) + 1).toLong(&ok);
    if (!ok || pid <= 0 || pid > 0x3FFFFFFF)
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

QString RunningBrowsersLine(const QStringList &names)
{
    if (names.isEmpty())
        return {};
    return names.size() == 1
        ? QCoreApplication::translate("Dustmote", "Браузер %1 сейчас запущен: его кэш лучше удалять, когда браузер закрыт.")
              .arg(names.first())
        : QCoreApplication::translate("Dustmote", "Браузеры %1 сейчас запущены: их кэш лучше удалять, когда браузеры закрыты.")
              .arg(names.join(QStringLiteral(", ")));
}

} // namespace dm
