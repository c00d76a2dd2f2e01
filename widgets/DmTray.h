#pragma once
// The program's icon in the notification area: minimising to it hides the main
// window, restoring brings the window back to the front. Where the desktop has
// no notification area the window is only minimised, so its taskbar entry
// stays and the user always has a way back.

#include <QObject>
#include <QSystemTrayIcon>

class QMenu;
class QWidget;

class TDmTrayIcon : public QObject
{
    Q_OBJECT
public:
    explicit TDmTrayIcon(QWidget *window);

    void setPopupMenu(QMenu *menu);
    void setIcon(const QIcon &icon);

    void MinimizeApp();
    void RestoreApp();

    // Whether the window is currently hidden in the notification area.
    bool Minimized() const { return m_minimized; }

private:
    QWidget *m_window;
    QSystemTrayIcon m_icon;
    bool m_minimized = false;
};
