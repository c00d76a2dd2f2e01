#include "DmTrayPlatform.h"

#include <QApplication>
#include <algorithm>
#include <QTimer>
#include <QWidget>

namespace {

// How often the presence of a notification area is checked: often enough that
// a window hidden in the tray comes back soon after the area goes away.
constexpr int kAvailabilityPollMs = 2000;

// Whether Qt shows its own balloon window (the X11 embedding path) rather
// than handing the message to the desktop's notification service. Only the
// former can be taken down again: Qt offers no call to withdraw a message.
bool qtBalloonShown()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [](const QWidget *w) {
        return w->isVisible() && qstrcmp(w->metaObject()->className(), "QBalloonTip") == 0;
    });
}

class SystemTrayPlatform : public TDmTrayPlatform
{
public:
    SystemTrayPlatform()
    {
        m_available = QSystemTrayIcon::isSystemTrayAvailable();
        connect(&m_icon, &QSystemTrayIcon::activated, this, &TDmTrayPlatform::activated);
        connect(&m_icon, &QSystemTrayIcon::messageClicked, this, [this] {
            if (!m_balloonUp)
                return;
            m_balloonUp = false;
            m_balloonTimer.stop();
            emit messageClicked();
        });
        m_balloonTimer.setSingleShot(true);
        connect(&m_balloonTimer, &QTimer::timeout, this, [this] {
            m_balloonUp = false;
            emit messageTimedOut();
        });
        // Qt's X11 path docks a shown icon by itself when an area appears;
        // the check is for the program's own decisions (hide the window or not).
        connect(&m_poll, &QTimer::timeout, this, [this] {
            const bool now = QSystemTrayIcon::isSystemTrayAvailable();
            if (now != m_available) {
                m_available = now;
                emit availableChanged(now);
            }
        });
        m_poll.start(kAvailabilityPollMs);
    }

    bool isAvailable() const override { return m_available; }

    bool addIcon() override
    {
        // Qt reports no failure: with no area yet the icon appears once one does.
        m_icon.show();
        return true;
    }

    bool removeIcon() override
    {
        hideMessage();
        m_icon.hide();
        return true;
    }

    void setIcon(const QIcon &icon) override { m_icon.setIcon(icon); }
    void setToolTip(const QString &text) override { m_icon.setToolTip(text); }

    void showMessage(const QString &title, const QString &text, TDmTrayBalloonIcon icon,
                     int msecs) override
    {
        m_icon.showMessage(title, text, QSystemTrayIcon::MessageIcon(icon), msecs);
        m_balloonUp = true;
        if (msecs > 0)
            m_balloonTimer.start(msecs);
        else
            m_balloonTimer.stop();
    }

    void hideMessage() override
    {
        if (!m_balloonUp)
            return;
        m_balloonUp = false;
        m_balloonTimer.stop();
        // An empty message takes Qt's own balloon down; a desktop notification
        // would instead show up empty, so it is left to its own time-out.
        if (qtBalloonShown())
            m_icon.showMessage(QString(), QString(), QSystemTrayIcon::NoIcon, 0);
        emit messageHidden();
    }

private:
    QSystemTrayIcon m_icon;
    QTimer m_poll, m_balloonTimer;
    bool m_available = false;
    bool m_balloonUp = false;
};

} // namespace

namespace dm {

std::unique_ptr<TDmTrayPlatform> createSystemTrayPlatform()
{
    return std::make_unique<SystemTrayPlatform>();
}

} // namespace dm
