#pragma once
// The program's icon in the notification area. It stays there while the
// program runs; minimising hides the main window (and so its taskbar entry),
// leaving the icon as the way back; clicks on the icon restore the window or
// open a popup menu; balloon messages appear on the icon.
//
// Where the desktop has no notification area (or the icon is not in it), the
// window is only minimised and keeps its taskbar entry, so the user always
// has a way back. The icon appears by itself once an area does.
//
// Clicks as Qt reports them, and the click kinds they stand for, in order:
//   left click (Trigger)      ticLeftClick, then ticLeftClickUp
//   left double click         ticLeftDblClick
//   context request           ticRightClick, then ticRightClickUp
//   middle click              none
// Qt reports no right double click, so ticRightDblClick never matches.

#include "DmTrayPlatform.h"
#include "Exception.h"
#include "ImageList.h"

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

/// Raised when the icon cannot be added to or removed from the notification area.
class EDmTrayIconError : public dm::Exception
{
public:
    using Exception::Exception;
};

/// Click kinds on the icon; ticNone matches no click.
enum TDmTrayIconClicks {
    ticNone,
    ticLeftClick,
    ticLeftDblClick,
    ticLeftClickUp,
    ticRightClick,
    ticRightDblClick,
    ticRightClickUp
};

/// The tray icon of one window (its owner's window). Configure it, then call
/// Loaded() once, as loading a window's description ends.
class TDmTrayIcon : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool Animate READ Animate WRITE setAnimate)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(bool HideOnMinimize READ HideOnMinimize WRITE setHideOnMinimize)
    Q_PROPERTY(QString Hint READ Hint WRITE setHint)
    Q_PROPERTY(QMenu *PopupMenu READ PopupMenu WRITE setPopupMenu)
    Q_PROPERTY(TImageList *Icons READ Icons WRITE setIcons)
    Q_PROPERTY(int IconIndex READ IconIndex WRITE setIconIndex)
    Q_PROPERTY(int Interval READ Interval WRITE setInterval)
    Q_PROPERTY(TDmTrayIconClicks RestoreOn READ RestoreOn WRITE setRestoreOn)
    Q_PROPERTY(TDmTrayIconClicks PopupMenuOn READ PopupMenuOn WRITE setPopupMenuOn)
public:
    /// A plain notification whose argument is the component.
    using TNotifyEvent = std::function<void(TDmTrayIcon *sender)>;

    /// Creates the icon for owner's window, on the desktop's notification area
    /// unless another `platform` is given. The icon is added by Loaded().
    explicit TDmTrayIcon(QWidget *owner, std::unique_ptr<TDmTrayPlatform> platform = nullptr);
    ~TDmTrayIcon() override;

    /// Ends configuration: takes image IconIndex of Icons (else the
    /// application's icon) and, if Enabled, adds the icon; throws
    /// EDmTrayIconError when it cannot be added. Later calls do nothing.
    void Loaded();

    /// Cycles IconIndex through Icons every Interval milliseconds.
    bool Animate() const { return m_animate; }
    void setAnimate(bool animate);
    /// The icon is in the notification area; also lets minimising hide the
    /// window. Changing it adds or removes the icon at once (after Loaded),
    /// throwing EDmTrayIconError when that fails.
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    /// Minimising hides the window (its taskbar entry) while the icon is shown.
    bool HideOnMinimize() const { return m_hideOnMinimize; }
    void setHideOnMinimize(bool hide) { m_hideOnMinimize = hide; }
    /// Tooltip; a text equal to the current one or of 64 characters or more is ignored.
    const QString &Hint() const { return m_hint; }
    void setHint(const QString &hint);
    /// Menu opened by the click kind PopupMenuOn; cleared when the menu is destroyed.
    QMenu *PopupMenu() const { return m_popupMenu; }
    void setPopupMenu(QMenu *menu) { m_popupMenu = menu; }
    /// Source of the icon's image; cleared when the list is destroyed.
    TImageList *Icons() const { return m_icons; }
    void setIcons(TImageList *icons) { m_icons = icons; }
    /// Index of the shown image in Icons; an index outside Icons keeps the image shown.
    int IconIndex() const { return m_iconIndex; }
    void setIconIndex(int index);
    /// Animation step in milliseconds; 0 stops the animation.
    int Interval() const { return m_interval; }
    void setInterval(int msecs);
    /// Click kind that calls RestoreApp.
    TDmTrayIconClicks RestoreOn() const { return m_restoreOn; }
    void setRestoreOn(TDmTrayIconClicks kind) { m_restoreOn = kind; }
    /// Click kind that opens PopupMenu at the mouse cursor.
    TDmTrayIconClicks PopupMenuOn() const { return m_popupMenuOn; }
    void setPopupMenuOn(TDmTrayIconClicks kind) { m_popupMenuOn = kind; }

    /// Sets the shown image directly, until IconIndex or the animation picks one from Icons.
    void setIcon(const QIcon &icon);
    /// The image currently given to the notification area.
    QIcon CurrentIcon() const { return m_image; }

    /// Minimises the window (unless it is already) and, if Enabled and
    /// HideOnMinimize and the icon is in a notification area, hides it; then
    /// OnMinimizeApp. The window's own minimising runs the same steps.
    void MinimizeApp();
    /// Restores a minimised or hidden window to its former state; if Enabled,
    /// brings it to the front (also when it was not minimised); then OnRestoreApp.
    void RestoreApp();
    /// Shows a balloon on the icon, replacing any other: title cut to 63
    /// characters, text to 127, for `seconds` (0 to 255; 0: until clicked).
    void ShowBalloonHint(const QString &title, const QString &text, TDmTrayBalloonIcon icon,
                         int seconds);
    /// Takes down the balloon being shown.
    void HideBalloonHint();
    /// Takes the icon out of the area because the desktop session is ending
    /// (run on the application's commit-data request); it comes back at the
    /// next MinimizeApp or activation of the window, should the session go on.
    void SessionEnding();

    TNotifyEvent OnBalloonHintHide;   ///< the balloon was taken down
    TNotifyEvent OnBalloonHintClose;  ///< the balloon's time ran out
    TNotifyEvent OnBalloonHintClick;  ///< the user clicked the balloon
    TNotifyEvent OnMinimizeApp;       ///< after MinimizeApp's steps
    TNotifyEvent OnRestoreApp;        ///< after RestoreApp's steps
    TNotifyEvent OnLButtonDown;       ///< click kind ticLeftClick
    TNotifyEvent OnLButtonUp;         ///< click kind ticLeftClickUp
    TNotifyEvent OnLButtonDblClick;   ///< click kind ticLeftDblClick
    TNotifyEvent OnRButtonDown;       ///< click kind ticRightClick
    TNotifyEvent OnRButtonUp;         ///< click kind ticRightClickUp
    TNotifyEvent OnRButtonDblClick;   ///< click kind ticRightDblClick

protected:
    /// Dispatchers of the events above; a subclass may override them.
    virtual void DoBalloonHintHide();
    virtual void DoBalloonHintClose();
    virtual void DoBalloonHintClick();
    virtual void DoMinimizeApp();
    virtual void DoRestoreApp();
    virtual void DoLButtonDown();
    virtual void DoLButtonUp();
    virtual void DoLButtonDblClick();
    virtual void DoRButtonDown();
    virtual void DoRButtonUp();
    virtual void DoRButtonDblClick();
    /// Opens PopupMenu at screenPos (the popup step of a click).
    virtual void DoPopupMenu(const QPoint &screenPos);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fire(const TNotifyEvent &event);
    void addIcon(bool raise);
    void removeIcon(bool raise);
    void updateTrayIcon();
    void click(TDmTrayIconClicks kind);
    void activated(QSystemTrayIcon::ActivationReason reason);
    void animationStep();
    void updateTimer();
    void finishMinimize();
    void availableChanged(bool available);
    void giveWindowBack();
    bool canHideWindow() const;

    std::unique_ptr<TDmTrayPlatform> m_platform;
    QPointer<QWidget> m_window;
    QPointer<QMenu> m_popupMenu;
    QPointer<TImageList> m_icons;
    QIcon m_image;
    QTimer m_timer;
    QString m_hint;
    int m_iconIndex = 0, m_interval = 1000;
    TDmTrayIconClicks m_restoreOn = ticLeftDblClick, m_popupMenuOn = ticRightClickUp;
    bool m_animate = false, m_enabled = true, m_hideOnMinimize = true;
    bool m_loading = true;      // until Loaded()
    bool m_iconAdded = false;   // the icon is (asked to be) in the area
    bool m_sessionEnded = false;
    bool m_hiddenInTray = false;
    bool m_changingState = false;
};
