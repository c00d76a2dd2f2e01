#pragma once
// What the tray icon needs of the desktop's notification area, behind one
// small interface: the program uses QSystemTrayIcon, tests drive clicks,
// balloon messages and the area coming and going without a real desktop.

#include <QIcon>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>
#include <memory>

/// Icon kind of a balloon message; the values are those the desktop expects
/// (no icon, information, warning, error).
enum TDmTrayBalloonIcon { tbiNone = 0, tbiInfo = 1, tbiWarning = 2, tbiError = 3 };

/// The notification area as the tray icon sees it: one icon, its tooltip and
/// one balloon message at a time.
class TDmTrayPlatform : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    /// Whether the desktop has a notification area now.
    virtual bool isAvailable() const = 0;
    /// Puts the icon into the area, or has it put there as soon as an area
    /// exists; false when the desktop refuses it.
    virtual bool addIcon() = 0;
    /// Takes the icon out of the area; false when the desktop refuses it.
    virtual bool removeIcon() = 0;
    /// Image of the icon; may be set before the icon is added.
    virtual void setIcon(const QIcon &icon) = 0;
    /// Tooltip of the icon; empty for none.
    virtual void setToolTip(const QString &text) = 0;
    /// Shows a balloon message on the icon for msecs milliseconds (0: until it
    /// is clicked or taken down), replacing any other.
    virtual void showMessage(const QString &title, const QString &text, TDmTrayBalloonIcon icon,
                             int msecs) = 0;
    /// Takes down the balloon being shown, if any.
    virtual void hideMessage() = 0;

signals:
    /// The user clicked the icon in the way Qt reports.
    void activated(QSystemTrayIcon::ActivationReason reason);
    /// The user clicked the balloon being shown.
    void messageClicked();
    /// The balloon's time ran out.
    void messageTimedOut();
    /// The balloon was taken down otherwise (hideMessage, icon removed).
    void messageHidden();
    /// A notification area appeared (true) or went away (false).
    void availableChanged(bool available);
};

namespace dm {

/// The notification area of the running desktop, through QSystemTrayIcon.
std::unique_ptr<TDmTrayPlatform> createSystemTrayPlatform();

} // namespace dm
