#pragma once
// A screen reader's action on a row of a checklist. Qt's own action on a row
// ("Toggle") selects or deselects it; in a checklist it must tick the row or
// clear it, as Space does.
//
// Qt's accessible table stays in charge of everything else (names, cells,
// headers, selection, events): the view's interface wraps it and changes only
// the rows' action.

class QAbstractItemView;

#include <QString>

namespace dm {

// The rows' action, as the accessibility bus of the desktop names it.
inline const QString kRowToggleAction = QStringLiteral("toggle");

// Makes the row action of `view` (a flat list or table whose column 0 holds
// the check boxes) tick or clear the row. Call it first thing in the view's
// constructor, before anything asks for the view's interface.
void setAccessibleRowActionTicks(QAbstractItemView *view);

} // namespace dm
