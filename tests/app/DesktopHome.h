#pragma once
// A home folder laid out like a real Linux desktop's: junk with junk names,
// the caches of the desktop, the browsers and the tools, and beside each the
// files a user keeps (profiles, databases, bookmarks, passwords, settings),
// plus a trash holding files with junk names. Paths are relative to the home.

#include <QString>
#include <QStringList>

namespace dm::test {

struct DesktopType
{
    QString description; // of the starting catalog's type
    QStringList junk;    // what the type finds
    QStringList kept;    // what stands beside it and is never found
};

inline QList<DesktopType> desktopTypes()
{
    return {
        {"Кэш эскизов изображений рабочего стола",
         {".cache/thumbnails/normal/0a1b2c.png", ".cache/thumbnails/large/3d4e5f.png",
          ".cache/thumbnails/x-large/6a7b8c.png", ".cache/thumbnails/fail/gnome-thumbnail-factory/9d.png",
          ".thumbnails/normal/aa11.png"},
         {"Изображения/thumbnails/семья.png", "Изображения/.cache/thumbnails.png", ".cache/thumbnailsrc",
          "Документы/thumbnails/list.odt"}},
        {"Кэш браузера Firefox",
         {".cache/mozilla/firefox/x1y2z3.default-release/cache2/entries/0A1B2C3D4E5F",
          ".cache/mozilla/firefox/x1y2z3.default-release/cache2/index",
          ".cache/mozilla/firefox/x1y2z3.default-release/cache2/doomed/1",
          ".cache/mozilla/firefox/x1y2z3.default-release/startupCache/startupCache.8.little",
          "snap/firefox/common/.cache/mozilla/firefox/ab.default/cache2/entries/FF00"},
         {".mozilla/firefox/x1y2z3.default-release/places.sqlite",
          ".mozilla/firefox/x1y2z3.default-release/key4.db", ".mozilla/firefox/x1y2z3.default-release/prefs.js",
          ".mozilla/firefox/x1y2z3.default-release/logins.json",
          ".mozilla/firefox/x1y2z3.default-release/cookies.sqlite",
          ".mozilla/firefox/x1y2z3.default-release/sessionstore.jsonlz4", ".mozilla/firefox/profiles.ini",
          ".mozilla/firefox/x1y2z3.default-release/storage/default/https+++mail/idb/1.sqlite",
          ".cache/mozilla/firefox/x1y2z3.default-release/safebrowsing/google4/goog-phish.vlpset"}},
        {"Кэш браузеров Chromium, Chrome, Brave, Edge и Vivaldi",
         {".cache/chromium/Default/Cache/Cache_Data/f_000001", ".cache/chromium/Default/Cache/Cache_Data/index",
          ".cache/chromium/Default/Code Cache/js/a1b2c3_0", ".config/chromium/Default/GPUCache/data_0",
          ".cache/google-chrome/Profile 1/Cache/Cache_Data/data_1", ".config/google-chrome/Default/GPUCache/index",
          ".cache/BraveSoftware/Brave-Browser/Default/Cache/Cache_Data/f_00000a",
          ".config/BraveSoftware/Brave-Browser/Default/Code Cache/wasm/index",
          ".cache/microsoft-edge/Default/Cache/Cache_Data/data_0", ".cache/vivaldi/Default/Cache/Cache_Data/data_2"},
         {".config/chromium/Default/Bookmarks", ".config/chromium/Default/Login Data",
          ".config/chromium/Default/Preferences", ".config/chromium/Default/History",
          ".config/chromium/Default/Cookies", ".config/chromium/Default/Web Data", ".config/chromium/Local State",
          ".config/chromium/Default/Extensions/abc/1.0/manifest.json",
          ".config/google-chrome/Default/Bookmarks", ".config/google-chrome/Default/Login Data",
          ".config/BraveSoftware/Brave-Browser/Default/Preferences", ".config/microsoft-edge/Default/Bookmarks",
          ".config/vivaldi/Default/Login Data", "Документы/Cache/план.odt"}},
        {"Кэш скомпилированных модулей Python",
         {"проекты/сайт/__pycache__/views.cpython-311.pyc", ".local/lib/python3.11/site-packages/x/__pycache__/a.cpython-311.opt-1.pyc"},
         {"проекты/сайт/views.py", "проекты/сайт/__pycache__/README"}},
        {"Кэш загрузок менеджера пакетов pip",
         {".cache/pip/http-v2/a/b/c/d/e/0123abcd", ".cache/pip/wheels/ab/cd/pkg-1.0-py3-none-any.whl",
          ".cache/pip/selfcheck/8a2b.json"},
         {".config/pip/pip.conf", ".local/lib/python3.11/site-packages/pip/__init__.py"}},
        {"Кэш загрузок менеджера пакетов npm",
         {".npm/_cacache/content-v2/sha512/ab/cd/0123", ".npm/_cacache/index-v5/12/34/5678"},
         {".npmrc", "проекты/сайт/package.json", "проекты/сайт/node_modules/left-pad/index.js"}},
        {"Кэш приложений Flatpak",
         {".var/app/org.mozilla.firefox/cache/mozilla/firefox/p.default/cache2/entries/01",
          ".var/app/org.gimp.GIMP/cache/gimp/2.10/thumb.png", ".var/app/com.spotify.Client/cache/spotify/Data/ab.file"},
         {".var/app/org.mozilla.firefox/.mozilla/firefox/p.default/places.sqlite",
          ".var/app/org.gimp.GIMP/config/GIMP/2.10/gimprc", ".var/app/com.spotify.Client/data/prefs"}},
    };
}

// Junk by name that the older types find, and ordinary files nothing finds.
inline QStringList desktopNamedJunk()
{
    return {"Документы/отчёт.odt~", "Документы/.отчёт.odt.swp", "Загрузки/образ.iso.part", "Загрузки/a.tmp",
            ".xsession-errors", "проекты/сайт/m.pyc"};
}

inline QStringList desktopOrdinary()
{
    return {"Документы/отчёт.odt", "Изображения/море.jpg", ".bashrc", ".config/user-dirs.dirs",
            "проекты/сайт/main.cpp", "Музыка/песня.ogg"};
}

// What lies in the home trash (below .local/share/Trash): junk by name and
// by place, never to be found.
inline QStringList desktopTrash()
{
    return {"files/старый.tmp", "files/папка/.cache/thumbnails/normal/b.png", "files/x.pyc",
            "info/старый.tmp.trashinfo", "info/папка.trashinfo", "info/x.pyc.trashinfo"};
}

} // namespace dm::test
