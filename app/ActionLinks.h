#pragma once
// Controls bound to an action show its caption and enabled and visible state,
// follow later changes, and execute the action when used.

#include <QColor>
#include <QIcon>
#include <QString>
#include <functional>

class QAbstractButton;
class QAction;
class QMenu;
class QWidget;

namespace dm {

void bindButton(QAbstractButton *button, QAction *action);

// Adds action to menu with an image; with a caption of its own the entry is a
// proxy that keeps that caption but follows the action's state.
QAction *addActionItem(QMenu *menu, QAction *action, const QIcon &icon = {},
                       const QString &caption = {});

// Sets the colour widget draws its text in.
void setTextColour(QWidget *widget, const QColor &colour);

// Runs fn whenever the pointer enters widget.
void onMouseEnter(QWidget *widget, std::function<void()> fn);

} // namespace dm
