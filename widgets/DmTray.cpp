#include "DmTray.h"

#include <QMenu>
#include <QWidget>

TDmTrayIcon::TDmTrayIcon(QWidget *window) : QObject(window), m_window(window)
{
    connect(&m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger || r == QSystemTrayIcon::DoubleClick)
            RestoreApp();
    });
}

void TDmTrayIcon::setPopupMenu(QMenu *menu)
{
    m_icon.setContextMenu(menu);
}

void TDmTrayIcon::setIcon(const QIcon &icon)
{
    m_icon.setIcon(icon);
}

void TDmTrayIcon::MinimizeApp()
{
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        m_icon.show();
        m_window->hide();
        m_minimized = true;
    } else {
        m_window->showMinimized();
    }
}

void TDmTrayIcon::RestoreApp()
{
    if (m_minimized) {
        m_minimized = false;
        m_icon.hide();
    }
    m_window->showNormal();
    m_window->raise();
    m_window->activateWindow();
}
