#pragma once
// The steps on the list file (format in ListFileCodec.h): the
// checklist loaded into a list view at start and saved from it at close.
//
// Writing replaces the file atomically. Reading a file that is not a list, or
// that ends before its counts are satisfied, first keeps a copy of it beside
// the original, so that the save at close never destroys what it could not read.

#include "ListFileCodec.h"

#include <QList>
#include <QString>

namespace dm {

// What the list file routines need of a report-style list view.
class ListViewAccess
{
public:
    virtual ~ListViewAccess() = default;
    virtual int rowCount() const = 0;
    virtual ListRow row(int index) const = 0;
    // Empties the view and appends the rows in order, all unticked.
    virtual void replaceRows(const QList<ListRow> &rows) = 0;
    // Tells the user why the file could not be read ("Ошибка ввода/вывода"):
    // the window in a message box, the command line on stderr.
    virtual void tellReadError(const QString &text) const = 0;
};

// Throws EFCreateError when the file cannot be written; the old file stays.
void SaveListViewToFile(const ListViewAccess &view, const QString &path);

// Replaces the view's rows with the file's. A missing file, a wrong magic or a
// cut-off file are told in a message box; a file that exists but cannot be
// opened throws EFOpenError.
void LoadListViewFromFile(ListViewAccess &view, const QString &path);

} // namespace dm
