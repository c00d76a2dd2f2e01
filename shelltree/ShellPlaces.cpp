#include "ShellPlaces.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QCoreApplication>

namespace dm {

QString desktopFolder()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QFileInfo(desktop).isDir())
        return QDir::cleanPath(desktop);
    return QDir::cleanPath(QDir::homePath());
}

QList<TDmShellMount> userPlaces(const QString &desktop)
{
    struct Folder
    {
        QStandardPaths::StandardLocation location;
        const char *icon;
    };
    static const Folder folders[] = {
        {QStandardPaths::DocumentsLocation, "folder-documents"},
        {QStandardPaths::DownloadLocation, "folder-download"},
        {QStandardPaths::MusicLocation, "folder-music"},
        {QStandardPaths::PicturesLocation, "folder-pictures"},
        {QStandardPaths::MoviesLocation, "folder-videos"},
        {QStandardPaths::TemplatesLocation, "folder-templates"},
        {QStandardPaths::PublicShareLocation, "folder-publicshare"},
    };
    const QString home = QDir::cleanPath(QDir::homePath());
    QStringList seen{desktop};
    QList<TDmShellMount> places;
    if (home != desktop) {
        places.append({home, QCoreApplication::translate("Dustmote", "Домашняя папка"), {QStringLiteral("user-home")}});
        seen << home;
    }
    for (const Folder &folder : folders) {
        // Unset user folders point at the home folder: those are left out.
        const QString path = QDir::cleanPath(QStandardPaths::writableLocation(folder.location));
        if (path.isEmpty() || seen.contains(path) || path == home || !QFileInfo(path).isDir())
            continue;
        seen << path;
        places.append({path, QFileInfo(path).fileName(),
                       {QString::fromLatin1(folder.icon), QStringLiteral("folder")}});
    }
    return places;
}

} // namespace dm
