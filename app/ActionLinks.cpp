#include "ActionLinks.h"

#include "Contrast.h"

#include "ErrorBox.h"

#include <QAbstractButton>
#include <QAction>
#include <QEvent>
#include <QMenu>
#include <utility>

namespace dm {
namespace {

// Runs fn when the pointer enters widget; lives as long as the widget.
class EnterHook : public QObject
{
public:
    EnterHook(QWidget *widget, std::function<void()> fn) : QObject(widget), m_fn(std::move(fn))
    {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Enter)
            runGuarded(m_fn);
        return false;
    }

private:
    std::function<void()> m_fn;
};

} // namespace

void bindButton(QAbstractButton *button, QAction *action)
{
    const auto follow = [button, action] {
        button->setText(action->text());
        button->setEnabled(action->isEnabled());
        button->setVisible(action->isVisible());
    };
    follow();
    QObject::connect(action, &QAction::changed, button, dm::guarded(follow));
    QObject::connect(button, &QAbstractButton::clicked, action, &QAction::trigger);
}

QAction *addActionItem(QMenu *menu, QAction *action, const QIcon &icon, const QString &caption)
{
    if (caption.isEmpty()) {
        if (!icon.isNull())
            action->setIcon(icon);
        menu->addAction(action);
        return action;
    }
    auto *item = new QAction(icon, caption, menu);
    const auto follow = [item, action] {
        item->setEnabled(action->isEnabled());
        item->setVisible(action->isVisible());
    };
    follow();
    QObject::connect(action, &QAction::changed, item, dm::guarded(follow));
    QObject::connect(item, &QAction::triggered, action, &QAction::trigger);
    menu->addAction(item);
    return item;
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    setReadableTextColour(widget, colour, kLargeContrast);
}

void onMouseEnter(QWidget *widget, std::function<void()> fn)
{
    new EnterHook(widget, std::move(fn));
}

} // namespace dm
