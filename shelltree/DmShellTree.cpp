// The shell folder tree: the view, its filling and refreshing, keys, context
// menu and dragging. The file operations are in DmShellTreeOps.cpp.

#include "DmShellTree.h"
#include "ErrorBox.h"
#include "GioShell.h"
#include "ShellClipboard.h"
#include "ShellItemDelegate.h"

#include <QClipboard>
#include <algorithm>
#include <QContextMenuEvent>
#include <QDrag>
#include <QGuiApplication>
#include <QHash>
#include <QMenu>
#include <QMouseEvent>
#include <QCoreApplication>

namespace {

using Model = TDmShellModel;

int kindOf(const QModelIndex &index)
{
    return index.isValid() ? index.data(Model::KindRole).toInt() : -1;
}

} // namespace

TDmShellTree::TDmShellTree(QWidget *parent) : TDmShellTree(parent, std::make_unique<TDmGioShell>())
{
}

TDmShellTree::TDmShellTree(QWidget *parent, std::unique_ptr<TDmShellNamespace> shell)
    : QTreeView(parent), m_shell(std::move(shell)), m_model(new TDmShellModel(m_shell.get(), this))
{
    setModel(m_model);
    setHeaderHidden(true);
    setRootIsDecorated(false);  // no button or line at the top level
    setIndentation(19);
    setUniformRowHeights(true);  // a folder of thousands of subfolders lays out at once
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectItems);
    setEditTriggers(EditKeyPressed | SelectedClicked);  // F2, or a slow second click
    setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_Hover);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(DragDrop);
    setDragDropOverwriteMode(true);  // drops land on folders, never between them
    setItemDelegate(new ShellItemDelegate(this));
    setStyle(createShellTreeStyle(this));

    m_refreshTimer.setSingleShot(true);
    connect(&m_refreshTimer, &QTimer::timeout, this, dm::guarded([this] { RefreshTree(); }));
    connect(m_model, &TDmShellModel::changeNoticed, this, [this] { changeNoticed(); });
    connect(m_model, &TDmShellModel::readingStarted, this, dm::guarded([this] { DoFillStart(); }));
    connect(m_model, &TDmShellModel::readingFinished, this,
            dm::guarded([this] { DoFillComplete(); }));
    connect(m_model, &TDmShellModel::renameRequested, this,
            dm::guarded([this](const QModelIndex &index, const QString &name) { rename(index, name); }));
    connect(m_model, &TDmShellModel::dropRequested, this,
            dm::guarded([this](const QMimeData *data, Qt::DropAction action, const QModelIndex &target) {
                drop(data, action, target);
            }));
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, [this] { restoreSelection(); });
    // Filled once the window exists, like a control that posts itself a message.
    QMetaObject::invokeMethod(this, dm::guarded([this] {
        if (m_model->isEmpty())
            FillTree();
    }), Qt::QueuedConnection);
}

TDmShellTree::~TDmShellTree()
{
    m_pathWalk.reset();
    // Nodes and their pending reads go before the namespace they came from.
    delete m_model;
}

QString TDmShellTree::SelectedPathName() const
{
    try {
        const QModelIndexList selected =
            selectionModel() ? selectionModel()->selectedIndexes() : QModelIndexList();
        return selected.isEmpty() ? QString() : selected.first().data(Model::PathRole).toString();
    } catch (...) {
        return {};
    }
}

QByteArray TDmShellTree::SelectedPathBytes() const
{
    try {
        const QModelIndexList selected =
            selectionModel() ? selectionModel()->selectedIndexes() : QModelIndexList();
        return selected.isEmpty() ? QByteArray()
                                  : selected.first().data(Model::PathBytesRole).toByteArray();
    } catch (...) {
        return {};
    }
}

void TDmShellTree::FillTree()
{
    if (busy()) {
        m_refreshDue = true;
        return;
    }
    m_model->fill();
    const QModelIndex root = m_model->rootIndex();
    expand(root);
    selectQuietly(root);  // a pending SelectPath walks the new tree
}

void TDmShellTree::SelectPath(const QByteArray &path, std::function<void(bool found)> done)
{
    cancelPathWalk();
    if (m_model->isEmpty())
        FillTree();
    TDmShellPathWalk::Hooks hooks;
    hooks.open = [this](const QModelIndex &index) { expand(index); };
    hooks.reach = [this](const QModelIndex &index) {
        for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
            expand(up);
        selectQuietly(index);
        scrollTo(index);
    };
    hooks.done = [this, done = std::move(done)](bool found) {
        cancelPathWalk();  // before the caller hears of it: it may select another path
        if (done)
            done(found);
    };
    m_pathWalk = std::make_unique<TDmShellPathWalk>(m_model, dm::normalisedFolderPath(path),
                                                    std::move(hooks));
}

void TDmShellTree::cancelPathWalk()
{
    // Deleted from the event loop: this may run inside the walk's own call.
    if (m_pathWalk) {
        m_pathWalk->cancel();
        m_pathWalk.release()->deleteLater();
    }
}

void TDmShellTree::selectQuietly(const QModelIndex &index)
{
    ++m_quietSelection;
    setCurrentIndex(index);
    --m_quietSelection;
}

void TDmShellTree::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QTreeView::selectionChanged(selected, deselected);
    // The user chose another node (by mouse, keys or assistive technology):
    // a pending SelectPath gives way to that choice.
    if (m_pathWalk && m_quietSelection == 0
        && !selectionModel()->isSelected(m_pathWalk->reached()))
        cancelPathWalk();
}

void TDmShellTree::RefreshTree()
{
    m_refreshTimer.stop();
    if (busy()) {
        m_refreshDue = true;
        return;
    }
    m_refreshDue = false;
    if (m_model->isEmpty())
        FillTree();
    else
        m_model->refresh();
}

void TDmShellTree::DoFillStart()
{
    viewport()->setCursor(Qt::BusyCursor);
    if (OnFillStart)
        OnFillStart(this);
}

void TDmShellTree::DoFillComplete()
{
    viewport()->unsetCursor();
    if (OnFillComplete)
        OnFillComplete(this);
}

bool TDmShellTree::busy() const
{
    return m_dragging || m_menuOpen || state() == EditingState;
}

void TDmShellTree::changeNoticed()
{
    if (m_dragging || m_menuOpen) {
        m_refreshDue = true;  // refreshed once the drag or the menu is over
        return;
    }
    m_refreshTimer.start(hasFocus() ? kRefreshFocusedMs : kRefreshUnfocusedMs);
}

void TDmShellTree::runDueRefresh()
{
    if (m_refreshDue && !busy())
        RefreshTree();
}

void TDmShellTree::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    // A selected node that goes away hands the selection to the nearest
    // folder that stays, its parent, rather than to a sibling the user never
    // picked (what the view itself would do).
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    for (QModelIndex i = selected.value(0); i.isValid(); i = i.parent())
        if (i.parent() == parent && i.row() >= start && i.row() <= end)
            m_reselect = parent;
    ++m_quietSelection;  // until restoreSelection(), once the rows are gone
    QTreeView::rowsAboutToBeRemoved(parent, start, end);
}

void TDmShellTree::restoreSelection()
{
    if (m_reselect.isValid())
        setCurrentIndex(m_reselect);
    m_reselect = QPersistentModelIndex();
    m_quietSelection = std::max(0, m_quietSelection - 1);
}

void TDmShellTree::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex current = currentIndex();
    const auto mods = event->modifiers() & ~Qt::KeypadModifier;
    std::function<void()> action;
    if (event->key() == Qt::Key_F5 && mods == Qt::NoModifier)
        action = [this] { RefreshTree(); };
    else if (event->key() == Qt::Key_F10 && mods == Qt::ShiftModifier)
        action = [this] {  // the desktop's other menu key
            QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(), mapToGlobal(QPoint()));
            contextMenuEvent(&menu);
        };
    else if (event->key() == Qt::Key_Delete && mods == Qt::ShiftModifier)
        action = [&] { deleteForGood(current); };  // before Cut, which Shift+Del also is
    else if (event->key() == Qt::Key_Delete && mods == Qt::NoModifier)
        action = [&] { trash(current); };
    else if (event->matches(QKeySequence::Cut))
        action = [&] { copyToClipboard(current, true); };
    else if (event->matches(QKeySequence::Copy))
        action = [&] { copyToClipboard(current, false); };
    else if (event->matches(QKeySequence::Paste))
        action = [&] { paste(current); };
    if (!action) {
        QTreeView::keyPressEvent(event);
        return;
    }
    event->accept();
    dm::runGuarded(action);
}

void TDmShellTree::contextMenuEvent(QContextMenuEvent *event)
{
    // The menu acts on the node under the mouse; the selection stays.
    const QPersistentModelIndex index(event->reason() == QContextMenuEvent::Mouse
                                          ? indexAt(event->pos()) : currentIndex());
    const int kind = kindOf(index);
    if (kind < 0 || kind == snkRoot)
        return;
    const bool folder = kind == snkFolder, hasPath = kind != snkVirtual;
    const bool canPaste = hasPath
        && !dm::shellClipItems(QGuiApplication::clipboard()->mimeData()).sources.isEmpty();
    const QPoint at = event->reason() == QContextMenuEvent::Mouse
        ? event->globalPos()
        : viewport()->mapToGlobal(visualRect(index).bottomLeft() + QPoint(visualRect(index).height(), 0));
    QMenu menu(this);
    QHash<QAction *, std::function<void()>> runs;
    auto add = [&](const QString &text, const QKeySequence &keys, bool enabled,
                   std::function<void()> run) {
        QAction *action = menu.addAction(text);
        action->setShortcut(keys);
        action->setEnabled(enabled);
        runs.insert(action, std::move(run));
        return action;
    };
    menu.setDefaultAction(add(QCoreApplication::translate("Dustmote", "Открыть"), {}, hasPath,
                              [this, index] { openInFileManager(index); }));
    menu.addSeparator();
    add(QCoreApplication::translate("Dustmote", "Вырезать"), QKeySequence::Cut, folder,
        [this, index] { copyToClipboard(index, true); });
    add(QCoreApplication::translate("Dustmote", "Копировать"), QKeySequence::Copy, folder,
        [this, index] { copyToClipboard(index, false); });
    add(QCoreApplication::translate("Dustmote", "Вставить"), QKeySequence::Paste, canPaste, [this, index] { paste(index); });
    menu.addSeparator();
    add(QCoreApplication::translate("Dustmote", "Переименовать"), Qt::Key_F2, index.data(Model::CanRenameRole).toBool(),
        [this, index] { QTreeView::edit(QModelIndex(index)); });
    add(QCoreApplication::translate("Dustmote", "Удалить"), Qt::Key_Delete, folder, [this, index] { trash(index); });
    menu.addSeparator();
    add(QCoreApplication::translate("Dustmote", "Обновить"), Qt::Key_F5, true, [this] { RefreshTree(); });
    m_menuOpen = true;
    QAction *chosen = menu.exec(at);
    m_menuOpen = false;
    // The command runs once the menu is gone; its node may have gone meanwhile.
    if (chosen && index.isValid())
        dm::runGuarded(runs.value(chosen));
    runDueRefresh();
}

bool TDmShellTree::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    if (trigger == EditKeyPressed && kindOf(index) == snkFolder
        && !index.data(Model::CanRenameRole).toBool()) {
        showError(QCoreApplication::translate("Dustmote", "Папку «%1» переименовать нельзя: файловая система этого не "
                                 "разрешает.").arg(index.data().toString()));
        return false;
    }
    return QTreeView::edit(index, trigger, event);
}

void TDmShellTree::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTreeView::closeEditor(editor, hint);
    runDueRefresh();
}

void TDmShellTree::startDrag(Qt::DropActions)
{
    const QModelIndex index = currentIndex();
    QMimeData *data = m_model->mimeData({index});
    if (!data)
        return;
    // The tree's own drag: a folder moved away by another program is noticed
    // on disk, never removed from the model by the view.
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    drag->setPixmap(index.data(Qt::DecorationRole).value<QIcon>().pixmap(iconSize().isValid() ? iconSize() : QSize(16, 16)));
    m_dragging = true;
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
    m_dragging = false;
    runDueRefresh();
}

void TDmShellTree::mousePressEvent(QMouseEvent *event)
{
    // A right click opens the menu of the node under the mouse and leaves
    // the selection where it was.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    // A press on the blank area below the nodes keeps the selection, as on
    // every desktop tree: the next scan must still have its folder.
    if (!indexAt(event->position().toPoint()).isValid()) {
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
}

QItemSelectionModel::SelectionFlags TDmShellTree::selectionCommand(const QModelIndex &index,
                                                                   const QEvent *event) const
{
    // Nothing the user does empties the selection (Ctrl with a click or
    // Space would deselect the chosen folder): one folder is always chosen.
    const QItemSelectionModel::SelectionFlags command = QTreeView::selectionCommand(index, event);
    if (!index.isValid() || command.testFlag(QItemSelectionModel::Deselect)
        || command.testFlag(QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
    return command;
}

void TDmShellTree::focusInEvent(QFocusEvent *event)
{
    QTreeView::focusInEvent(event);
    viewport()->update();  // the selection's highlight follows the focus
}

void TDmShellTree::focusOutEvent(QFocusEvent *event)
{
    QTreeView::focusOutEvent(event);
    viewport()->update();
}
