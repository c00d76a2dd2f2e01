#include "DmGroupBarAccessible.h"
#include "DmGroupBar.h"
#include "ErrorBox.h"

#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QWindow>

namespace {

class GroupAccessible : public QAccessibleWidget
{
public:
    explicit GroupAccessible(TDmGroup *group) : QAccessibleWidget(group, QAccessible::Grouping) {}

    TDmGroup *group() const { return static_cast<TDmGroup *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && group()->accessibleName().isEmpty())
            return group()->Caption();
        return QAccessibleWidget::text(t);
    }

    int childCount() const override { return group()->Items().Count(); }

    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        return QAccessible::queryAccessibleInterface(group()->Items(index));
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        auto *item = child ? qobject_cast<TDmGroupItem *>(child->object()) : nullptr;
        return item && item->Group() == group() ? item->Index() : -1;
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint pos = group()->mapFromGlobal(QPoint(x, y));
        for (TDmGroupItem *item : group()->Items()) {
            if (item->Visible() && (item->TextRect().contains(pos) || item->ImageRect().contains(pos)))
                return QAccessible::queryAccessibleInterface(item);
        }
        return nullptr;
    }
};

class ItemAccessible : public QAccessibleObject, public QAccessibleActionInterface
{
public:
    explicit ItemAccessible(TDmGroupItem *item) : QAccessibleObject(item) {}

    TDmGroupItem *item() const { return static_cast<TDmGroupItem *>(object()); }

    QWindow *window() const override
    {
        QWidget *top = item()->Group()->window();
        return top ? top->windowHandle() : nullptr;
    }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(item()->Group());
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return item()->Caption();
        case QAccessible::Description:
            return item()->Hint();
        default:
            return QString();
        }
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override
    {
        const QRect box = item()->TextRect().united(item()->ImageRect());
        if (box.isEmpty())
            return QRect();
        return QRect(item()->Group()->mapToGlobal(box.topLeft()), box.size());
    }

    QAccessible::Role role() const override { return QAccessible::Link; }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        const TDmGroupItem *it = item();
        s.disabled = !it->Enabled();
        s.invisible = !it->Visible() || !it->Group()->isVisible();
        s.linked = true;
        s.hotTracked = it->State() == gisHot;
        s.pressed = it->State() == gisPressed;
        s.selected = it->Selected();
        const TDmGroupBar *bar = it->Group()->GroupBar();
        s.focusable = it->Enabled() && it->Visible();
        s.focused = bar && bar->hasFocus() && bar->FocusedItem() == it;
        return s;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface *>(this);
        return nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString &name) override
    {
        // The same rule as the mouse: a disabled or hidden link does nothing.
        TDmGroupItem *it = item();
        if (name == pressAction() && it->Enabled() && it->Visible())
            dm::runGuarded([it] { it->Click(); });
    }

    QStringList keyBindingsForAction(const QString &) const override { return {}; }
};

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (className == QLatin1String("TDmGroupItem"))
        return new ItemAccessible(static_cast<TDmGroupItem *>(object));
    if (className == QLatin1String("TDmGroup"))
        return new GroupAccessible(static_cast<TDmGroup *>(object));
    if (className == QLatin1String("TDmGroupBar"))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Pane);
    return nullptr;
}

} // namespace

void installDmGroupBarAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}
