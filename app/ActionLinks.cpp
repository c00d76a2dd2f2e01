#include "ActionLinks.h"

#include "ErrorBox.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QMouseEvent>

namespace dm {
namespace {

// Watches one widget for one kind of event; lives as long as the widget.
class EventHook : public QObject
{
public:
    EventHook(QWidget *widget, QEvent::Type type, std::function<void()> fn)
        : QObject(widget), m_widget(widget), m_type(type), m_fn(std::move(fn))
    {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_widget || event->type() != m_type)
            return false;
        if (m_type == QEvent::MouseButtonPress || m_type == QEvent::MouseButtonRelease) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() != Qt::LeftButton || !m_widget->rect().contains(mouse->position().toPoint()))
                return false;
        }
        runGuarded(m_fn);
        return false;
    }

private:
    QWidget *m_widget;
    QEvent::Type m_type;
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
    QObject::connect(action, &QAction::changed, button, follow);
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
    QObject::connect(action, &QAction::changed, item, follow);
    QObject::connect(item, &QAction::triggered, action, &QAction::trigger);
    menu->addAction(item);
    return item;
}

void onClick(QWidget *widget, std::function<void()> fn)
{
    new EventHook(widget, QEvent::MouseButtonRelease, std::move(fn));
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

void onMouseEnter(QWidget *widget, std::function<void()> fn)
{
    new EventHook(widget, QEvent::Enter, std::move(fn));
}

} // namespace dm
