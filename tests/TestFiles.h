#pragma once
// Small file helpers the tests of the savers share.

#include "FileStream.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

namespace dm::test {

inline QByteArray contentOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Replaces the file through the program's own atomic writer.
inline void save(const QString &path, const QByteArray &bytes)
{
    dm::AtomicFileWriter w(path);
    w.write(bytes);
    w.commit();
}

inline QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace dm::test
