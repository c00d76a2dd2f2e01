// The view's interface is Qt's own table (or tree) interface, created by
// asking Qt for it while this file's factory stands aside, and wrapped: the
// wrapper hands out its own row cells, which answer the row action and pass
// everything else to Qt's cells. Qt's cells are looked up by id on each call,
// since Qt drops them whenever the model changes.

#include "AccessibleRows.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QHash>
#include <QPointer>
#include <QScopedValueRollback>

namespace {

const char kRowAction[] = "dmAccessibleRowActionTicks";

bool &standingAside()
{
    static bool aside = false;
    return aside;
}

// What both wrappers below pass on to Qt's interface unchanged.
class Forwarding : public QAccessibleInterface
{
public:
    Forwarding(QAccessible::Id qt, QAbstractItemView *view) : m_qt(qt), m_view(view) {}

    QAccessibleInterface *qt() const { return QAccessible::accessibleInterface(m_qt); }

    bool isValid() const override { return m_view && qt() && qt()->isValid(); }
    QWindow *window() const override { return qt() ? qt()->window() : nullptr; }
    QAccessibleInterface *parent() const override { return qt() ? qt()->parent() : nullptr; }
    QString text(QAccessible::Text t) const override { return qt() ? qt()->text(t) : QString(); }
    void setText(QAccessible::Text t, const QString &text) override
    {
        if (qt())
            qt()->setText(t, text);
    }
    QRect rect() const override { return qt() ? qt()->rect() : QRect(); }
    QAccessible::Role role() const override { return qt() ? qt()->role() : QAccessible::NoRole; }

protected:
    QAccessible::Id m_qt;
    QPointer<QAbstractItemView> m_view;
};

// One cell of the view: Qt's cell whose action ticks its row.
class RowCell : public Forwarding, public QAccessibleTableCellInterface, public QAccessibleActionInterface
{
public:
    using Forwarding::Forwarding;

    QObject *object() const override { return nullptr; }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessible::State state() const override
    {
        QAccessible::State s = qt() ? qt()->state() : QAccessible::State();
        if (!qt()) {
            s.invalid = true;
            return s;
        }
        // Qt reports a cell's tick but not that it can have one, and screen
        // readers present the tick only of what is checkable.
        if (m_view && m_view->model()) {
            const QModelIndex index = m_view->model()->index(rowIndex(), columnIndex(), m_view->rootIndex());
            if (index.flags() & Qt::ItemIsUserCheckable && index.data(Qt::CheckStateRole).isValid()) {
                s.checkable = true;
                s.checked = index.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
            }
        }
        return s;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface *>(this);
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface *>(this);
        return qt() ? qt()->interface_cast(type) : nullptr;
    }

    // The cell's place, from Qt's cell.
    QAccessibleTableCellInterface *qtCell() const { return qt() ? qt()->tableCellInterface() : nullptr; }
    bool isSelected() const override { return qtCell() && qtCell()->isSelected(); }
    QList<QAccessibleInterface *> columnHeaderCells() const override
    {
        return qtCell() ? qtCell()->columnHeaderCells() : QList<QAccessibleInterface *>();
    }
    QList<QAccessibleInterface *> rowHeaderCells() const override
    {
        return qtCell() ? qtCell()->rowHeaderCells() : QList<QAccessibleInterface *>();
    }
    int columnIndex() const override { return qtCell() ? qtCell()->columnIndex() : -1; }
    int rowIndex() const override { return qtCell() ? qtCell()->rowIndex() : -1; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return qtCell() ? qtCell()->table() : nullptr; }

    // The box's cell names its action as the desktop's accessibility bus
    // does: screen readers tell a cell's tick, "checked" or "not checked",
    // only when its action is "toggle", and Qt hands the name over unchanged.
    // The row's other cells keep Qt's "Toggle", which does the same but is
    // not taken for a box, so a row read aloud tells its tick once.
    static bool isToggle(const QString &name) { return name.compare(toggleAction(), Qt::CaseInsensitive) == 0; }
    QStringList actionNames() const override
    {
        return {columnIndex() == 0 ? dm::kRowToggleAction : toggleAction()};
    }
    QStringList keyBindingsForAction(const QString &name) const override
    {
        return isToggle(name) ? QStringList{QStringLiteral("Space")} : QStringList();
    }
    void doAction(const QString &name) override
    {
        if (!isToggle(name) || !isValid())
            return;
        QAbstractItemModel *model = m_view->model();
        const QModelIndex box = model->index(rowIndex(), 0, m_view->rootIndex());
        const bool ticked = box.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
        model->setData(box, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }
};

// The view: Qt's interface, whose cells are handed out as RowCells.
class RowsView : public Forwarding, public QAccessibleTableInterface
{
public:
    RowsView(QAccessibleInterface *qt, QAbstractItemView *view) : Forwarding(QAccessible::uniqueId(qt), view)
    {
        followModel();
    }
    ~RowsView() override
    {
        QObject::disconnect(m_ticks);
        for (QAccessible::Id id : std::as_const(m_cells))
            QAccessible::deleteAccessibleInterface(id);
        QAccessible::deleteAccessibleInterface(m_qt);
    }

    QAccessibleTableInterface *qtTable() const { return qt() ? qt()->tableInterface() : nullptr; }

    // Qt's cell as this view's cell; anything else as it is.
    QAccessibleInterface *wrap(QAccessibleInterface *qtCell) const
    {
        if (!qtCell || qtCell->object() || !qtCell->tableCellInterface())
            return qtCell;
        const QAccessible::Id qtId = QAccessible::uniqueId(qtCell);
        if (QAccessibleInterface *known = QAccessible::accessibleInterface(m_cells.value(qtId)))
            return known;
        auto *cell = new RowCell(qtId, m_view);
        m_cells.insert(qtId, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }
    static const QAccessibleInterface *unwrap(const QAccessibleInterface *iface)
    {
        const auto *cell = dynamic_cast<const RowCell *>(iface);
        return cell ? cell->qt() : iface;
    }
    QList<QAccessibleInterface *> wrapAll(QList<QAccessibleInterface *> list) const
    {
        for (QAccessibleInterface *&iface : list)
            iface = wrap(iface);
        return list;
    }
    // Drops the cells whose Qt cells are gone.
    void forgetGoneCells()
    {
        for (auto it = m_cells.begin(); it != m_cells.end();) {
            if (QAccessible::accessibleInterface(it.key())) {
                ++it;
            } else {
                QAccessible::deleteAccessibleInterface(it.value());
                it = m_cells.erase(it);
            }
        }
    }

    QObject *object() const override { return m_view; }
    QList<QPair<QAccessibleInterface *, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override
    {
        return qt() ? qt()->relations(match)
                    : QList<QPair<QAccessibleInterface *, QAccessible::Relation>>();
    }
    QAccessibleInterface *focusChild() const override { return qt() ? wrap(qt()->focusChild()) : nullptr; }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        return qt() ? wrap(qt()->childAt(x, y)) : nullptr;
    }
    QAccessibleInterface *child(int index) const override { return qt() ? wrap(qt()->child(index)) : nullptr; }
    int childCount() const override { return qt() ? qt()->childCount() : 0; }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return qt() ? qt()->indexOfChild(unwrap(child)) : -1;
    }
    QAccessible::State state() const override { return qt() ? qt()->state() : QAccessible::State(); }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface *>(this);
        return qt() ? qt()->interface_cast(type) : nullptr;
    }

    QAccessibleInterface *caption() const override { return qtTable() ? qtTable()->caption() : nullptr; }
    QAccessibleInterface *summary() const override { return qtTable() ? qtTable()->summary() : nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override
    {
        return qtTable() ? wrap(qtTable()->cellAt(row, column)) : nullptr;
    }
    int selectedCellCount() const override { return qtTable() ? qtTable()->selectedCellCount() : 0; }
    QList<QAccessibleInterface *> selectedCells() const override
    {
        return qtTable() ? wrapAll(qtTable()->selectedCells()) : QList<QAccessibleInterface *>();
    }
    QString columnDescription(int column) const override
    {
        return qtTable() ? qtTable()->columnDescription(column) : QString();
    }
    QString rowDescription(int row) const override { return qtTable() ? qtTable()->rowDescription(row) : QString(); }
    int selectedColumnCount() const override { return qtTable() ? qtTable()->selectedColumnCount() : 0; }
    int selectedRowCount() const override { return qtTable() ? qtTable()->selectedRowCount() : 0; }
    int columnCount() const override { return qtTable() ? qtTable()->columnCount() : 0; }
    int rowCount() const override { return qtTable() ? qtTable()->rowCount() : 0; }
    QList<int> selectedColumns() const override { return qtTable() ? qtTable()->selectedColumns() : QList<int>(); }
    QList<int> selectedRows() const override { return qtTable() ? qtTable()->selectedRows() : QList<int>(); }
    bool isColumnSelected(int column) const override { return qtTable() && qtTable()->isColumnSelected(column); }
    bool isRowSelected(int row) const override { return qtTable() && qtTable()->isRowSelected(row); }
    bool selectRow(int row) override { return qtTable() && qtTable()->selectRow(row); }
    bool selectColumn(int column) override { return qtTable() && qtTable()->selectColumn(column); }
    bool unselectRow(int row) override { return qtTable() && qtTable()->unselectRow(row); }
    bool unselectColumn(int column) override { return qtTable() && qtTable()->unselectColumn(column); }
    void modelChange(QAccessibleTableModelChangeEvent *event) override
    {
        if (qtTable())
            qtTable()->modelChange(event);
        forgetGoneCells();
        followModel(); // a new model comes with a reset
    }

private:
    // A tick changed by a key, a click or the program is told as the cell's
    // checked state changing, which screen readers speak.
    void followModel()
    {
        if (!m_view || m_view->model() == m_ticksModel)
            return;
        QObject::disconnect(m_ticks);
        m_ticksModel = m_view->model();
        if (m_ticksModel)
            m_ticks = QObject::connect(m_ticksModel, &QAbstractItemModel::dataChanged, m_view,
                                       [this](const QModelIndex &from, const QModelIndex &to,
                                              const QList<int> &roles) { ticksChanged(from, to, roles); });
    }

    void ticksChanged(const QModelIndex &from, const QModelIndex &to, const QList<int> &roles)
    {
        if (!m_view || from.parent() != m_view->rootIndex() || from.column() > 0
            || (!roles.isEmpty() && !roles.contains(Qt::CheckStateRole)))
            return;
        // Only the current row's: a tick-all of a million rows tells no one
        // about each of them.
        const QModelIndex current = m_view->currentIndex();
        if (!current.isValid() || current.row() < from.row() || current.row() > to.row())
            return;
        QAccessible::State changed;
        changed.checked = true;
        for (int column : {0, current.column()}) {
            if (QAccessibleInterface *cell = cellAt(current.row(), column)) {
                QAccessibleStateChangeEvent event(cell, changed);
                QAccessible::updateAccessibility(&event);
            }
            if (current.column() == 0)
                break;
        }
        // A reader that took the list, not its row, as what has the focus
        // (the list has just been entered), or a cell without the box (a
        // row clicked on its folder or size: a reader presents only the
        // checked state of what has the focus, and only of a box) hears the
        // change only from the row: its box's cell is told as focused, and
        // read with its tick.
        if (m_view->hasFocus()) {
            if (QAccessibleInterface *cell = cellAt(current.row(), 0)) {
                QAccessibleEvent focus(cell, QAccessible::Focus);
                QAccessible::updateAccessibility(&focus);
            }
        }
    }

    mutable QHash<QAccessible::Id, QAccessible::Id> m_cells; // Qt's cell -> ours
    QMetaObject::Connection m_ticks;
    QPointer<QAbstractItemModel> m_ticksModel;
};

QAccessibleInterface *rowsFactory(const QString &className, QObject *object)
{
    auto *view = qobject_cast<QAbstractItemView *>(object);
    if (!view || standingAside() || className != QLatin1String(object->metaObject()->className()))
        return nullptr;
    if (!view->property(kRowAction).toBool())
        return nullptr;
    QAccessibleInterface *qt = nullptr;
    {
        const QScopedValueRollback aside(standingAside(), true);
        qt = QAccessible::queryAccessibleInterface(object);
    }
    if (!qt || !qt->tableInterface())
        return nullptr; // not a table after all: Qt's own interface stays
    return new RowsView(qt, view);
}

} // namespace

namespace dm {

void setAccessibleRowActionTicks(QAbstractItemView *view)
{
    static const bool installed = [] {
        QAccessible::installFactory(rowsFactory);
        return true;
    }();
    Q_UNUSED(installed);
    view->setProperty(kRowAction, true);
}

} // namespace dm
