#include "ActionLinks.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>

namespace dm {

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

} // namespace dm
