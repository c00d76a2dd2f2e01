#include "CatalogRows.h"

#include "CleanRun.h"
#include "Exception.h"

#include <QCoreApplication>

namespace dm {

bool CatalogRows::load(const QString &path)
{
    try {
        LoadListViewFromFile(*this, path);
    } catch (const Exception &e) {
        tellReadError(e.message());
        return false;
    }
    if (m_rows.isEmpty()) {
        tellReadError(QCoreApplication::translate("Dustmote", "В списке типов файлов «%1» нет ни одного типа").arg(path));
        return false;
    }
    return true;
}

void CatalogRows::tellReadError(const QString &text) const
{
    sayLine(m_err, QStringLiteral("dustmote-clean: ") + text);
}

QString CatalogRows::describe(int index) const
{
    const ListRow &r = m_rows[index];
    return QStringLiteral("%1  %2  (%3)")
        .arg(index + 1, 3)
        .arg(r.caption, r.subItems.join(QStringLiteral("; ")));
}

std::optional<QList<QStringList>> CatalogRows::masksOf(const QStringList &names) const
{
    QList<QStringList> masks;
    if (names.isEmpty()) {
        for (const ListRow &r : m_rows)
            masks.append(r.subItems);
        return masks;
    }
    std::vector<bool> chosen(m_rows.size());
    for (const QString &name : names) {
        bool isNumber = false;
        const int number = name.toInt(&isNumber);
        bool matched = false;
        for (qsizetype i = 0; i < m_rows.size(); ++i)
            if (isNumber ? number == i + 1 : m_rows[i].caption.compare(name, Qt::CaseInsensitive) == 0)
                chosen[i] = matched = true;
        if (!matched) {
            sayLine(m_err, QCoreApplication::translate("Dustmote", "dustmote-clean: в списке нет типа «%1»; "
                                                                   "все типы: dustmote-clean --list-types")
                               .arg(name));
            return std::nullopt;
        }
    }
    // In the catalog's order, as the window ticks them.
    for (qsizetype i = 0; i < m_rows.size(); ++i)
        if (chosen[i])
            masks.append(m_rows[i].subItems);
    return masks;
}

} // namespace dm
