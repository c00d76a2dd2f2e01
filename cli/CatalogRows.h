#pragma once
// The catalog as the command line reads it: the window's list file, its
// troubles told on stderr, its types chosen by name or number.

#include "ListFile.h"

#include <cstdio>
#include <optional>

namespace dm {

class CatalogRows : public ListViewAccess
{
public:
    explicit CatalogRows(std::FILE *err) : m_err(err) {}

    // False, after telling why, when the file holds no type to clean.
    bool load(const QString &path);

    int rowCount() const override { return int(m_rows.size()); }
    ListRow row(int index) const override { return m_rows[index]; }
    void replaceRows(const QList<ListRow> &rows) override { m_rows = rows; }
    void tellReadError(const QString &text) const override;

    // " 3  Временные файлы  (*.tmp; *.temp)": a type as --list-types shows it.
    QString describe(int index) const;
    // The masks of the types named (captions, any case, or numbers from 1);
    // every type's when none is named. nullopt after telling which name
    // matches no type.
    std::optional<QList<QStringList>> masksOf(const QStringList &names) const;

private:
    std::FILE *m_err;
    QList<ListRow> m_rows;
};

} // namespace dm
