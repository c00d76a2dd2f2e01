// The tray icon and its owner window: minimising to the notification area
// and back, also when the window system minimises or restores the window,
// and giving the window back to the taskbar whenever the icon goes away.

#include "DmTray.h"

#include "ErrorBox.h"

#include <QApplication>
#include <QScopedValueRollback>
#include <QWidget>
#include <QWindowStateChangeEvent>

void TDmTrayIcon::MinimizeApp()
{
    if (m_window) {
        const QScopedValueRollback guard(m_changingState, true);
        if (!m_window->isMinimized())
            m_window->showMinimized();
    }
    finishMinimize();
}

void TDmTrayIcon::finishMinimize()
{
    if (m_sessionEnded && m_enabled)
        addIcon(false);
    if (m_window && canHideWindow()) {
        m_window->hide();
        m_hiddenInTray = true;
    }
    DoMinimizeApp();
}

bool TDmTrayIcon::canHideWindow() const
{
    // Hiding is safe only while the icon is there to bring the window back.
    return m_enabled && m_hideOnMinimize && m_iconAdded && !m_sessionEnded
           && m_platform->isAvailable();
}

void TDmTrayIcon::RestoreApp()
{
    if (m_window) {
        const QScopedValueRollback guard(m_changingState, true);
        if (m_window->isMinimized() || m_hiddenInTray) {
            m_hiddenInTray = false;
            m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
            m_window->show();
            m_window->activateWindow();
        }
        if (m_enabled && m_window->isVisible()) {
            m_window->raise();
            m_window->activateWindow();
        }
        // A modal window of the program comes back in front of it, also when
        // the window system had minimised it: never left without a way back.
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal != m_window && m_window->isVisible()) {
            if (modal->isMinimized())
                modal->showNormal();
            modal->raise();
            modal->activateWindow();
        }
    }
    DoRestoreApp();
}

void TDmTrayIcon::SessionEnding()
{
    if (!m_iconAdded)
        return;
    m_platform->removeIcon();
    m_iconAdded = false;
    m_sessionEnded = true;
    giveWindowBack();
}

void TDmTrayIcon::giveWindowBack()
{
    // Without the icon a window hidden in the tray could never be reached
    // again: it returns to the taskbar, still minimised.
    if (!m_hiddenInTray || !m_window)
        return;
    m_hiddenInTray = false;
    const QScopedValueRollback guard(m_changingState, true);
    m_window->showMinimized();
}

void TDmTrayIcon::availableChanged(bool available)
{
    if (!available)
        giveWindowBack();
    else if (m_enabled && !m_loading && !m_sessionEnded)
        addIcon(false); // as after the desktop's panel restarts
}

bool TDmTrayIcon::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window)
        return false;
    if (event->type() == QEvent::WindowStateChange && !m_changingState) {
        const auto *change = static_cast<QWindowStateChangeEvent *>(event);
        const bool was = change->oldState() & Qt::WindowMinimized;
        const bool now = m_window->isMinimized();
        // The rest runs once the window system has finished the change.
        if (!was && now) {
            QMetaObject::invokeMethod(this, [this] {
                if (m_window && m_window->isMinimized() && !m_hiddenInTray)
                    dm::runGuarded([this] { finishMinimize(); });
            }, Qt::QueuedConnection);
        } else if (was && !now) {
            QMetaObject::invokeMethod(this, [this] {
                if (m_window && !m_window->isMinimized())
                    dm::runGuarded([this] { RestoreApp(); });
            }, Qt::QueuedConnection);
        }
    } else if (event->type() == QEvent::WindowActivate && m_sessionEnded && m_enabled) {
        addIcon(false); // the session went on
    }
    return false;
}
