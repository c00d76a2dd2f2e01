#pragma once
// Controls bound to an action show its caption and enabled and visible state,
// follow later changes, and execute the action when used.

#include <QIcon>
#include <QString>

class QAbstractButton;
class QAction;
class QMenu;

namespace dm {

void bindButton(QAbstractButton *button, QAction *action);

// Adds action to menu with an image; with a caption of its own the entry is a
// proxy that keeps that caption but follows the action's state.
QAction *addActionItem(QMenu *menu, QAction *action, const QIcon &icon = {},
                       const QString &caption = {});

} // namespace dm
