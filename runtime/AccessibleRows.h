#pragma once
// What a screen reader's action on a row of a list or tree view does. Qt's
// own action on a row ("Toggle") selects or deselects it; in a checklist it
// must tick the row, as Space does, and in a tree whose selection says what
// the program works on it must select and never leave nothing selected.
//
// Qt's accessible table stays in charge of everything else (names, cells,
// headers, events): the view's interface wraps it and changes only the rows'
// action and, for a tree, row deselection.

class QAbstractItemView;

namespace dm {

enum class RowAction {
    raToggleCheck, // the row's check box (column 0) is ticked or cleared
    raSelect,      // the row is selected; selecting a selected row keeps it
};

// Gives the rows of `view` (a flat list, or a tree with one column of
// items) `action` for assistive technology. Call it first thing in the
// view's constructor, before anything asks for the view's interface.
void setAccessibleRowAction(QAbstractItemView *view, RowAction action);

} // namespace dm
