#include "KeepList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>

namespace dm {

namespace {

constexpr char kHeader[] = "Dustmote keep list 1";

} // namespace

QString KeepList::file()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Dustmote/KeepList");
}

KeepList KeepList::load()
{
    KeepList list;
    QFile in(file());
    if (!in.open(QIODevice::ReadOnly))
        return list;
    const QList<QByteArray> lines = in.readAll().split('\n');
    if (lines.value(0) != kHeader)
        return list;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines[i];
        if (line.size() < 3 || line[1] != ' ' || (line[0] != 'D' && line[0] != 'F'))
            continue;
        const QByteArray path = QByteArray::fromPercentEncoding(line.mid(2));
        if (path.startsWith('/'))
            list.add({path, line[0] == 'D'});
    }
    return list;
}

bool KeepList::save() const
{
    const QString path = file();
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    QByteArray text = QByteArray(kHeader) + '\n';
    for (const KeptItem &item : m_items)
        text += (item.folder ? "D " : "F ") + item.path.toPercentEncoding("/") + '\n';
    out.write(text);
    return out.commit();
}

bool KeepList::add(KeptItem item)
{
    if (item.folder && !item.path.endsWith('/'))
        item.path += '/';
    if (std::find(m_items.begin(), m_items.end(), item) != m_items.end())
        return false;
    m_items.push_back(std::move(item));
    return true;
}

void KeepList::removeAt(std::vector<int> positions)
{
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    for (auto it = positions.rbegin(); it != positions.rend(); ++it)
        if (*it >= 0 && std::size_t(*it) < m_items.size())
            m_items.erase(m_items.begin() + *it);
}

bool KeepList::keeps(const QByteArray &folder, const QByteArray &name) const
{
    return std::any_of(m_items.begin(), m_items.end(), [&](const KeptItem &item) {
        return item.folder ? folder.startsWith(item.path)
                           : item.path.size() == folder.size() + name.size()
                && item.path.startsWith(folder) && item.path.endsWith(name);
    });
}

KeepFilter::KeepFilter(const KeepList &list, std::string root) : m_root(std::move(root))
{
    if (!m_root.empty() && m_root.back() != '/')
        m_root += '/';
    for (const KeptItem &item : list.items())
        (item.folder ? m_folders : m_files).insert(item.path.toStdString());
}

bool KeepFilter::skipsFolder(const std::string &folder) const
{
    if (m_folders.empty())
        return false;
    if (m_folders.count(folder))
        return true;
    // Below the root the walk never enters a kept folder, so only the root
    // itself can lie under one.
    if (folder != m_root)
        return false;
    for (std::size_t slash = folder.find('/'); slash != std::string::npos && slash + 1 < folder.size();
         slash = folder.find('/', slash + 1))
        if (m_folders.count(folder.substr(0, slash + 1)))
            return true;
    return false;
}

bool KeepFilter::skipsFile(const std::string &folder, const std::string &name)
{
    if (m_files.empty())
        return false;
    m_key.assign(folder).append(name);
    return m_files.count(m_key) != 0;
}

} // namespace dm
