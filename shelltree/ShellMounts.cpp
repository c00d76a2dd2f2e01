#include "ShellMounts.h"

#include <QFile>
#include <QFileInfo>
#include <QCoreApplication>

namespace dm {

namespace {

// A mount point as the table writes it: blank, tab, newline and backslash
// as three octal digits after a backslash.
QByteArray unescaped(const QByteArray &field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        bool octal = false;
        const int code = field[i] == '\\' && i + 3 < field.size() ? field.mid(i + 1, 3).toInt(&octal, 8) : 0;
        if (octal && code > 0 && code < 256) {
            out += char(code);
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

} // namespace

QString mountPointWithin(const QString &folder)
{
    const QFileInfo info(folder);
    if (info.isSymLink())
        return {};
    const QString real = info.canonicalFilePath();
    if (real.isEmpty())
        return {};
    const QByteArray root = QFile::encodeName(real);
    const QByteArray below = root.endsWith('/') ? root : root + '/';
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return {};
    // "id parent major:minor root mount-point options ...": one mount a line.
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 5)
            continue;
        const QByteArray point = unescaped(fields[4]);
        if (point == root || point.startsWith(below))
            return QFile::decodeName(point);
    }
    return {};
}

QString mountRefusal(const QString &folder, const QString &what)
{
    const QString point = mountPointWithin(folder);
    if (point.isEmpty())
        return {};
    const QString name = QFileInfo(folder).fileName();
    if (point == QFileInfo(folder).canonicalFilePath())
        return QCoreApplication::translate("Dustmote", "Папку «%1» нельзя %2: к ней подключена файловая система. "
                              "Сначала отключите её.").arg(name, what);
    return QCoreApplication::translate("Dustmote", "Папку «%1» нельзя %2: в ней подключена другая файловая система "
                          "(«%3»). Сначала отключите её.").arg(name, what, point);
}

} // namespace dm
