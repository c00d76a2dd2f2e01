// The tray icon itself: its properties, the icon and tooltip it gives the
// notification area, balloons, clicks and the animation.

#include "DmTray.h"

#include "ErrorBox.h"

#include <QCursor>
#include <QGuiApplication>
#include <QWidget>
#include <algorithm>
#include <QCoreApplication>

namespace {

// What the notification area takes at most.
constexpr int kMaxHint = 63;          // a longer hint is refused
constexpr int kMaxTitle = 63;
constexpr int kMaxText = 127;
constexpr int kMaxBalloonSeconds = 255;

// `text` cut to `max` characters, never between the halves of a surrogate pair.
QString cutText(const QString &text, int max)
{
    if (text.size() <= max)
        return text;
    int n = max;
    if (n > 0 && text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n);
}

} // namespace

TDmTrayIcon::TDmTrayIcon(QWidget *owner, std::unique_ptr<TDmTrayPlatform> platform)
    : QObject(owner),
      m_platform(platform ? std::move(platform) : dm::createSystemTrayPlatform()),
      m_window(owner ? owner->window() : nullptr),
      m_image(dm::applicationIcon())
{
    m_timer.setInterval(m_interval);
    connect(&m_timer, &QTimer::timeout, this, dm::guarded([this] { animationStep(); }));

    TDmTrayPlatform *p = m_platform.get();
    connect(p, &TDmTrayPlatform::activated, this,
            dm::guarded([this](QSystemTrayIcon::ActivationReason r) { activated(r); }));
    connect(p, &TDmTrayPlatform::messageClicked, this, dm::guarded([this] { DoBalloonHintClick(); }));
    connect(p, &TDmTrayPlatform::messageTimedOut, this, dm::guarded([this] { DoBalloonHintClose(); }));
    connect(p, &TDmTrayPlatform::messageHidden, this, dm::guarded([this] { DoBalloonHintHide(); }));
    connect(p, &TDmTrayPlatform::availableChanged, this,
            dm::guarded([this](bool available) { availableChanged(available); }));

    // Any minimising of the window, its own title-bar button included, runs
    // MinimizeApp's steps; any restoring those of RestoreApp.
    if (m_window)
        m_window->installEventFilter(this);
#if QT_CONFIG(sessionmanager)
    // The icon must be gone before the session closes the program.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this] { SessionEnding(); },
            Qt::DirectConnection);
#endif
    updateTrayIcon();
}

TDmTrayIcon::~TDmTrayIcon()
{
    // No events from a component on its way out.
    m_platform->disconnect(this);
    if (m_iconAdded)
        m_platform->removeIcon();
}

void TDmTrayIcon::Loaded()
{
    if (!m_loading)
        return;
    m_loading = false;
    if (m_icons) {
        const QIcon image = m_icons->icon(m_iconIndex);
        if (!image.isNull())
            m_image = image;
    }
    // The image first, so that the area never shows an empty icon.
    updateTrayIcon();
    if (m_enabled) {
        // Enabled tells whether the icon is there, also after a failure.
        m_enabled = false;
        addIcon(true);
        m_enabled = true;
    }
}

void TDmTrayIcon::setAnimate(bool animate)
{
    m_animate = animate;
    updateTimer();
}

void TDmTrayIcon::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    // Until loading ends, and while the session ends, only the wish is kept.
    if (!m_loading && !m_sessionEnded) {
        if (enabled)
            addIcon(true);
        else
            removeIcon(true);
    }
    m_enabled = enabled;
}

void TDmTrayIcon::setHint(const QString &hint)
{
    if (hint == m_hint || hint.size() > kMaxHint)
        return;
    m_hint = hint;
    m_platform->setToolTip(hint);
    updateTrayIcon();
}

void TDmTrayIcon::setIconIndex(int index)
{
    m_iconIndex = index;
    if (m_icons) {
        const QIcon image = m_icons->icon(index);
        // An empty slot would leave an invisible icon to click on.
        if (!image.isNull())
            m_image = image;
    }
    updateTrayIcon();
}

void TDmTrayIcon::setInterval(int msecs)
{
    m_interval = std::max(msecs, 0);
    m_timer.setInterval(m_interval);
    updateTimer();
}

void TDmTrayIcon::setIcon(const QIcon &icon)
{
    m_image = icon;
    updateTrayIcon();
}

void TDmTrayIcon::ShowBalloonHint(const QString &title, const QString &text,
                                  TDmTrayBalloonIcon icon, int seconds)
{
    HideBalloonHint();
    const int msecs = std::clamp(seconds, 0, kMaxBalloonSeconds) * 1000;
    m_platform->showMessage(cutText(title, kMaxTitle), cutText(text, kMaxText), icon, msecs);
}

void TDmTrayIcon::HideBalloonHint()
{
    m_platform->hideMessage();
}

void TDmTrayIcon::addIcon(bool raise)
{
    if (m_platform->addIcon()) {
        m_iconAdded = true;
        m_sessionEnded = false;
    } else if (raise) {
        throw EDmTrayIconError(QCoreApplication::translate("Dustmote", "Не удалось создать значок в области уведомлений"));
    }
}

void TDmTrayIcon::removeIcon(bool raise)
{
    if (m_platform->removeIcon()) {
        m_iconAdded = false;
        giveWindowBack();
    } else if (raise) {
        throw EDmTrayIconError(QCoreApplication::translate("Dustmote", "Не удалось убрать значок из области уведомлений"));
    }
}

void TDmTrayIcon::updateTrayIcon()
{
    m_platform->setIcon(m_image);
}

void TDmTrayIcon::updateTimer()
{
    if (m_animate && m_interval > 0)
        m_timer.start();
    else
        m_timer.stop();
}

void TDmTrayIcon::animationStep()
{
    if (!m_icons)
        return;
    const int next = m_iconIndex + 1;
    setIconIndex(next >= 0 && next < m_icons->Count() ? next : 0);
}

void TDmTrayIcon::activated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        click(ticLeftClick);
        click(ticLeftClickUp);
        break;
    case QSystemTrayIcon::DoubleClick:
        click(ticLeftDblClick);
        break;
    case QSystemTrayIcon::Context:
        click(ticRightClick);
        click(ticRightClickUp);
        break;
    default:
        break;
    }
}

void TDmTrayIcon::click(TDmTrayIconClicks kind)
{
    if (m_restoreOn == kind)
        RestoreApp();
    if (m_popupMenuOn == kind)
        DoPopupMenu(QCursor::pos());
    switch (kind) {
    case ticLeftClick: DoLButtonDown(); break;
    case ticLeftClickUp: DoLButtonUp(); break;
    case ticLeftDblClick: DoLButtonDblClick(); break;
    case ticRightClick: DoRButtonDown(); break;
    case ticRightClickUp: DoRButtonUp(); break;
    case ticRightDblClick: DoRButtonDblClick(); break;
    case ticNone: break;
    }
}

void TDmTrayIcon::DoPopupMenu(const QPoint &screenPos)
{
    // A Qt popup closes by itself when the user clicks elsewhere.
    if (m_popupMenu)
        m_popupMenu->popup(screenPos);
}

void TDmTrayIcon::fire(const TNotifyEvent &event)
{
    if (event)
        event(this);
}

void TDmTrayIcon::DoBalloonHintHide() { fire(OnBalloonHintHide); }
void TDmTrayIcon::DoBalloonHintClose() { fire(OnBalloonHintClose); }
void TDmTrayIcon::DoBalloonHintClick() { fire(OnBalloonHintClick); }
void TDmTrayIcon::DoMinimizeApp() { fire(OnMinimizeApp); }
void TDmTrayIcon::DoRestoreApp() { fire(OnRestoreApp); }
void TDmTrayIcon::DoLButtonDown() { fire(OnLButtonDown); }
void TDmTrayIcon::DoLButtonUp() { fire(OnLButtonUp); }
void TDmTrayIcon::DoLButtonDblClick() { fire(OnLButtonDblClick); }
void TDmTrayIcon::DoRButtonDown() { fire(OnRButtonDown); }
void TDmTrayIcon::DoRButtonUp() { fire(OnRButtonUp); }
void TDmTrayIcon::DoRButtonDblClick() { fire(OnRButtonDblClick); }
