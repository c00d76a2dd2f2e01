#include "ActionLinks.h"

#include "ErrorBox.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QMouseEvent>
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

// Runs fn on a click: a left press and release both on the widget. A release
// left over from another window, or the second press of a double click, is no
// new click.
class ClickHook : public QObject
{
public:
    ClickHook(QWidget *widget, std::function<void()> fn)
        : QObject(widget), m_widget(widget), m_fn(std::move(fn))
    {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        const auto left = [event] {
            return static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
        };
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            m_pressed = left();
            break;
        case QEvent::MouseButtonDblClick:
            m_pressed = false;
            break;
        case QEvent::MouseButtonRelease:
            if (left() && std::exchange(m_pressed, false)
                && m_widget->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint()))
                runGuarded(m_fn);
            break;
        default:
            break;
        }
        return false;
    }

private:
    QWidget *m_widget;
    std::function<void()> m_fn;
    bool m_pressed = false;
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
    new ClickHook(widget, std::move(fn));
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

void onMouseEnter(QWidget *widget, std::function<void()> fn)
{
    new EnterHook(widget, std::move(fn));
}

} // namespace dm
