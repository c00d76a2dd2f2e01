// The tray icon, driven through a notification area of the test's own: what
// reaches the area (texts, time-outs, icons), what clicks do, the animation,
// and minimising and restoring the window with and without an area.

#include "DmTray.h"

#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QTest>
#include <functional>
#include <memory>

namespace {

struct Message
{
    QString title, text;
    TDmTrayBalloonIcon icon;
    int msecs;
};

// A notification area that records what it is asked and lets the test click.
class FakeArea : public TDmTrayPlatform
{
public:
    bool available = true, failAdd = false, failRemove = false;
    bool balloonUp = false;
    QStringList calls;       // "add", "remove", "show", "hide" in order
    QList<QIcon> icons;      // every image given
    QStringList toolTips;    // every tooltip given
    QList<Message> messages; // every balloon shown

    bool isAvailable() const override { return available; }
    bool addIcon() override { calls << u"add"_qs; return !failAdd; }
    bool removeIcon() override { calls << u"remove"_qs; return !failRemove; }
    void setIcon(const QIcon &icon) override { icons << icon; }
    void setToolTip(const QString &text) override { toolTips << text; }
    void showMessage(const QString &title, const QString &text, TDmTrayBalloonIcon icon,
                     int msecs) override
    {
        calls << u"show"_qs;
        messages.append({title, text, icon, msecs});
        balloonUp = true;
    }
    void hideMessage() override
    {
        calls << u"hide"_qs;
        if (balloonUp) {
            balloonUp = false;
            emit messageHidden();
        }
    }

    void click(QSystemTrayIcon::ActivationReason reason) { emit activated(reason); }
    void timeOut()
    {
        balloonUp = false;
        emit messageTimedOut();
    }
    void clickBalloon()
    {
        balloonUp = false;
        emit messageClicked();
    }
    void setAvailable(bool now)
    {
        available = now;
        emit availableChanged(now);
    }
};

// A shown window with a tray icon on a fake area; the events are logged by name.
struct Rig
{
    QWidget window;
    FakeArea *area;
    TDmTrayIcon *tray;
    QStringList log;

    explicit Rig(bool available = true)
    {
        auto fake = std::make_unique<FakeArea>();
        area = fake.get();
        area->available = available;
        tray = new TDmTrayIcon(&window, std::move(fake));
        using E = TDmTrayIcon::TNotifyEvent TDmTrayIcon::*;
        const std::pair<E, const char *> events[] = {
            {&TDmTrayIcon::OnBalloonHintHide, "BalloonHintHide"},
            {&TDmTrayIcon::OnBalloonHintClose, "BalloonHintClose"},
            {&TDmTrayIcon::OnBalloonHintClick, "BalloonHintClick"},
            {&TDmTrayIcon::OnMinimizeApp, "MinimizeApp"}, {&TDmTrayIcon::OnRestoreApp, "RestoreApp"},
            {&TDmTrayIcon::OnLButtonDown, "LButtonDown"}, {&TDmTrayIcon::OnLButtonUp, "LButtonUp"},
            {&TDmTrayIcon::OnLButtonDblClick, "LButtonDblClick"},
            {&TDmTrayIcon::OnRButtonDown, "RButtonDown"}, {&TDmTrayIcon::OnRButtonUp, "RButtonUp"},
            {&TDmTrayIcon::OnRButtonDblClick, "RButtonDblClick"}};
        for (const auto &[event, name] : events)
            tray->*event = [this, name](TDmTrayIcon *sender) {
                if (sender == tray)
                    log << QString::fromLatin1(name);
            };
        window.resize(300, 200);
        window.show();
    }
};

QIcon solid(Qt::GlobalColor colour)
{
    QPixmap p(16, 16);
    p.fill(colour);
    return QIcon(p);
}

// Indices into `list` of the images given to the area from `from` on, with
// repeats of the same image in a row counted once.
QList<int> shownIndices(const FakeArea &area, const TImageList &list, int from)
{
    QList<int> out;
    for (int i = from; i < area.icons.size(); ++i) {
        int index = -1;
        for (int k = 0; k < list.Count(); ++k)
            if (list.icon(k).cacheKey() == area.icons[i].cacheKey())
                index = k;
        if (out.isEmpty() || out.last() != index)
            out << index;
    }
    return out;
}

// The message of the error fn raises; empty when it raises none.
QString errorOf(const std::function<void()> &fn)
{
    try {
        fn();
    } catch (const EDmTrayIconError &e) {
        return e.message();
    }
    return {};
}

QString chars(int n)
{
    return QString(n, u'ж');
}

} // namespace

class TstDmTray : public QObject
{
    Q_OBJECT

private slots:
    void loadingAddsTheIconWithItsImage();
    void balloon_data();
    void balloon();
    void secondBalloonReplacesFirst();
    void balloonEvents();
    void hint_data();
    void hint();
    void clicks_data();
    void clicks();
    void animation_data();
    void animation();
    void animationWithoutIconsDoesNothing();
    void minimize_data();
    void minimize();
    void restoreBringsBackFormerState();
    void restoreVisibleWindowOnlyBringsItToFront();
    void windowsOwnMinimiseRunsMinimizeApp();
    void errors();
    void areaAppearingLater();
    void windowComesBackWhenIconGoes_data();
    void windowComesBackWhenIconGoes();
    void sessionEndRemovesIconAndItReturns();
    void destroyedReferencesAreCleared();
};

void TstDmTray::loadingAddsTheIconWithItsImage()
{
    Rig rig;
    TImageList *list = dm::createImageList1(&rig.window);
    rig.tray->setIcons(list);
    rig.tray->setIconIndex(7);
    QCOMPARE(rig.area->calls, QStringList()); // nothing reaches the area before loading ends
    rig.tray->Loaded();
    QCOMPARE(rig.area->calls, QStringList({"add"}));
    QCOMPARE(rig.area->icons.last().cacheKey(), list->icon(7).cacheKey());
    rig.tray->Loaded();
    QCOMPARE(rig.area->calls, QStringList({"add"}));
}

void TstDmTray::balloon_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<TDmTrayBalloonIcon>("kind");
    QTest::addColumn<QString>("shownTitle");
    QTest::addColumn<QString>("shownText");
    QTest::addColumn<int>("msecs");
    const QString clef = QString::fromUcs4(U"\U0001D11E");
    QTest::newRow("end of scan") << u"Сканирование окончено"_qs << u"Найдено 3"_qs << 10 << tbiInfo
                                 << u"Сканирование окончено"_qs << u"Найдено 3"_qs << 10000;
    QTest::newRow("at the limits") << chars(63) << chars(127) << 0 << tbiNone
                                   << chars(63) << chars(127) << 0;
    QTest::newRow("one over") << chars(64) << chars(128) << 255 << tbiWarning
                              << chars(63) << chars(127) << 255000;
    QTest::newRow("far over") << chars(500) << chars(1000) << 300 << tbiError
                              << chars(63) << chars(127) << 255000;
    // A character outside the 16-bit range is never split in half.
    QTest::newRow("pair across the limit") << chars(62) + clef << chars(126) + clef << -5 << tbiInfo
                                           << chars(62) << chars(126) << 0;
}

void TstDmTray::balloon()
{
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(int, seconds);
    QFETCH(TDmTrayBalloonIcon, kind);
    Rig rig;
    rig.tray->Loaded();
    rig.tray->ShowBalloonHint(title, text, kind, seconds);
    QCOMPARE(rig.area->messages.size(), 1);
    const Message &m = rig.area->messages[0];
    QTEST(m.title, "shownTitle");
    QTEST(m.text, "shownText");
    QCOMPARE(m.icon, kind);
    QTEST(m.msecs, "msecs");
}

void TstDmTray::secondBalloonReplacesFirst()
{
    Rig rig;
    rig.tray->Loaded();
    rig.area->calls.clear();
    rig.tray->ShowBalloonHint(u"one"_qs, u"first"_qs, tbiInfo, 10);
    rig.tray->ShowBalloonHint(u"two"_qs, u"second"_qs, tbiWarning, 5);
    QCOMPARE(rig.area->calls, QStringList({"hide", "show", "hide", "show"}));
    QCOMPARE(rig.log, QStringList({"BalloonHintHide"}));
    QCOMPARE(rig.area->messages.last().text, u"second"_qs);
    QVERIFY(rig.area->balloonUp);
}

void TstDmTray::balloonEvents()
{
    Rig rig;
    rig.tray->Loaded();
    rig.tray->ShowBalloonHint(u"t"_qs, u"x"_qs, tbiInfo, 1);
    rig.area->timeOut();
    rig.tray->ShowBalloonHint(u"t"_qs, u"x"_qs, tbiInfo, 1); // nothing up to take down
    rig.area->clickBalloon();
    rig.tray->HideBalloonHint();
    rig.tray->ShowBalloonHint(u"t"_qs, u"x"_qs, tbiInfo, 1);
    rig.tray->HideBalloonHint();
    QCOMPARE(rig.log, QStringList({"BalloonHintClose", "BalloonHintClick", "BalloonHintHide"}));
}

void TstDmTray::hint_data()
{
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("reachesArea");
    QTest::newRow("same text") << u"Dustmote"_qs << u"Dustmote"_qs << false;
    QTest::newRow("63 characters") << chars(63) << chars(63) << true;
    QTest::newRow("64 characters") << chars(64) << u"Dustmote"_qs << false;
    QTest::newRow("empty") << QString() << QString() << true;
}

void TstDmTray::hint()
{
    QFETCH(QString, hint);
    QFETCH(bool, reachesArea);
    Rig rig;
    QCOMPARE(rig.tray->Hint(), QString());
    rig.tray->setHint(u"Dustmote"_qs);
    rig.tray->Loaded();
    const QStringList before = rig.area->toolTips;
    rig.tray->setHint(hint);
    QTEST(rig.tray->Hint(), "expected");
    QCOMPARE(rig.area->toolTips.size(), before.size() + (reachesArea ? 1 : 0));
    if (reachesArea)
        QCOMPARE(rig.area->toolTips.last(), hint);
}

void TstDmTray::clicks_data()
{
    QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
    QTest::addColumn<TDmTrayIconClicks>("restoreOn");
    QTest::addColumn<TDmTrayIconClicks>("popupOn");
    QTest::addColumn<QStringList>("expected");
    using R = QSystemTrayIcon;
    QTest::newRow("defaults, double click restores")
        << R::DoubleClick << ticLeftDblClick << ticRightClickUp
        << QStringList({"RestoreApp", "LButtonDblClick"});
    QTest::newRow("defaults, context opens the menu")
        << R::Context << ticLeftDblClick << ticRightClickUp
        << QStringList({"RButtonDown", "popup", "RButtonUp"});
    QTest::newRow("defaults, single click does nothing")
        << R::Trigger << ticLeftDblClick << ticRightClickUp
        << QStringList({"LButtonDown", "LButtonUp"});
    QTest::newRow("restore and menu on one kind: restore, popup, event")
        << R::Trigger << ticLeftClickUp << ticLeftClickUp
        << QStringList({"LButtonDown", "RestoreApp", "popup", "LButtonUp"});
    QTest::newRow("on button down")
        << R::Context << ticRightClick << ticRightClick
        << QStringList({"RestoreApp", "popup", "RButtonDown", "RButtonUp"});
    QTest::newRow("none matches nothing")
        << R::DoubleClick << ticNone << ticNone << QStringList({"LButtonDblClick"});
    QTest::newRow("right double click never comes")
        << R::Context << ticRightDblClick << ticRightDblClick
        << QStringList({"RButtonDown", "RButtonUp"});
    QTest::newRow("middle click is no kind")
        << R::MiddleClick << ticLeftClick << ticLeftClick << QStringList();
}

void TstDmTray::clicks()
{
    QFETCH(QSystemTrayIcon::ActivationReason, reason);
    QFETCH(TDmTrayIconClicks, restoreOn);
    QFETCH(TDmTrayIconClicks, popupOn);
    Rig rig;
    QMenu menu(&rig.window);
    menu.addAction(u"Восстановить"_qs);
    connect(&menu, &QMenu::aboutToShow, [&] { rig.log << u"popup"_qs; });
    rig.tray->setPopupMenu(&menu);
    if (QByteArray(QTest::currentDataTag()).startsWith("defaults")) { // as a new icon has them
        QCOMPARE(rig.tray->RestoreOn(), restoreOn);
        QCOMPARE(rig.tray->PopupMenuOn(), popupOn);
    }
    rig.tray->setRestoreOn(restoreOn);
    rig.tray->setPopupMenuOn(popupOn);
    rig.tray->Loaded();
    rig.area->click(reason);
    QTEST(rig.log, "expected");
    QCOMPARE(menu.isVisible(), rig.log.contains(u"popup"_qs));
    menu.close();
}

void TstDmTray::animation_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QList<int>>("shown"); // -1: the application's icon
    QTest::newRow("from 0") << 0 << QList<int>({0, 1, 2, 0});
    QTest::newRow("from beyond the list") << 7 << QList<int>({-1, 0, 1, 2});
}

void TstDmTray::animation()
{
    QFETCH(int, start);
    Rig rig;
    TImageList list({solid(Qt::red), solid(Qt::green), solid(Qt::blue)});
    rig.tray->setIcons(&list);
    rig.tray->setIconIndex(start);
    rig.tray->Loaded();
    const int from = rig.area->icons.size() - 1; // the image loading gave
    // Still until told to move; then a frame a second unless told otherwise.
    QVERIFY(!rig.tray->Animate());
    QCOMPARE(rig.tray->Interval(), 1000);
    rig.tray->setInterval(1);
    rig.tray->setAnimate(true);
    QTRY_VERIFY(shownIndices(*rig.area, list, from).size() >= 4);
    rig.tray->setAnimate(false);
    QTEST(shownIndices(*rig.area, list, from).mid(0, 4), "shown");
}

void TstDmTray::animationWithoutIconsDoesNothing()
{
    Rig rig;
    rig.tray->Loaded();
    const int before = rig.area->icons.size();
    rig.tray->setInterval(1);
    rig.tray->setAnimate(true);
    QTest::qWait(30); // many ticks
    QCOMPARE(rig.tray->IconIndex(), 0);
    QCOMPARE(rig.area->icons.size(), before);
}

void TstDmTray::minimize_data()
{
    QTest::addColumn<bool>("available");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("hideOnMinimize");
    QTest::addColumn<bool>("hidden");
    QTest::newRow("icon in an area") << true << true << true << true;
    QTest::newRow("no notification area") << false << true << true << false;
    QTest::newRow("not enabled") << true << false << true << false;
    QTest::newRow("not hiding on minimise") << true << true << false << false;
}

void TstDmTray::minimize()
{
    QFETCH(bool, available);
    QFETCH(bool, enabled);
    QFETCH(bool, hideOnMinimize);
    QFETCH(bool, hidden);
    Rig rig(available);
    rig.tray->setEnabled(enabled);
    rig.tray->setHideOnMinimize(hideOnMinimize);
    rig.tray->Loaded();
    rig.tray->MinimizeApp();
    QVERIFY(rig.window.isMinimized());
    QCOMPARE(rig.window.isVisible(), !hidden);
    QCOMPARE(rig.log, QStringList({"MinimizeApp"}));
    rig.tray->RestoreApp();
    QVERIFY(rig.window.isVisible());
    QVERIFY(!rig.window.isMinimized());
    QCOMPARE(rig.log, QStringList({"MinimizeApp", "RestoreApp"}));
}

void TstDmTray::restoreBringsBackFormerState()
{
    Rig rig;
    rig.tray->Loaded();
    rig.window.showMaximized();
    rig.tray->MinimizeApp();
    QVERIFY(!rig.window.isVisible());
    rig.area->click(QSystemTrayIcon::DoubleClick);
    QVERIFY(rig.window.isVisible());
    QCOMPARE(rig.window.windowState() & ~Qt::WindowActive, Qt::WindowMaximized);
}

void TstDmTray::restoreVisibleWindowOnlyBringsItToFront()
{
    Rig rig;
    rig.tray->Loaded();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
    QWidget other;
    other.show();
    other.activateWindow();
    QTRY_VERIFY(other.isActiveWindow());
    const QRect geometry = rig.window.geometry();
    rig.tray->RestoreApp();
    QTRY_VERIFY(rig.window.isActiveWindow());
    QCOMPARE(rig.window.geometry(), geometry);
    QCOMPARE(rig.window.windowState() & ~Qt::WindowActive, Qt::WindowNoState);
    QCOMPARE(rig.log, QStringList({"RestoreApp"}));
}

void TstDmTray::windowsOwnMinimiseRunsMinimizeApp()
{
    Rig rig;
    rig.tray->Loaded();
    rig.window.setWindowState(Qt::WindowMinimized); // as the title-bar button does
    QTRY_VERIFY(!rig.window.isVisible());
    QCOMPARE(rig.log, QStringList({"MinimizeApp"}));
    rig.tray->RestoreApp();
    QCoreApplication::processEvents();
    QVERIFY(rig.window.isVisible());
    QCOMPARE(rig.log, QStringList({"MinimizeApp", "RestoreApp"}));

    // Restored from outside (the taskbar), RestoreApp's steps run once.
    rig.tray->setHideOnMinimize(false);
    rig.window.setWindowState(Qt::WindowMinimized);
    QTRY_COMPARE(rig.log.size(), 3);
    rig.window.setWindowState(Qt::WindowNoState);
    QTRY_COMPARE(rig.log.size(), 4);
    QCoreApplication::processEvents();
    QCOMPARE(rig.log, QStringList({"MinimizeApp", "RestoreApp", "MinimizeApp", "RestoreApp"}));
}

void TstDmTray::errors()
{
    Rig rig;
    rig.area->failAdd = true;
    QCOMPARE(errorOf([&] { rig.tray->Loaded(); }), u"Не удалось создать значок в области уведомлений"_qs);
    QCOMPARE(rig.tray->Enabled(), false);
    rig.tray->MinimizeApp(); // never hidden without an icon to come back by
    QVERIFY(rig.window.isVisible());
    rig.area->failAdd = false;
    rig.tray->setEnabled(true);
    rig.area->failRemove = true;
    QCOMPARE(errorOf([&] { rig.tray->setEnabled(false); }),
             u"Не удалось убрать значок из области уведомлений"_qs);
    QCOMPARE(rig.tray->Enabled(), true);
    // The area coming back swallows a failure to add the icon again.
    rig.area->failAdd = true;
    QCOMPARE(errorOf([&] { rig.area->setAvailable(true); }), QString());
}

void TstDmTray::areaAppearingLater()
{
    Rig rig(false);
    rig.tray->Loaded(); // no error box merely because there is no area
    QCOMPARE(rig.area->calls, QStringList({"add"}));
    rig.tray->MinimizeApp();
    QVERIFY(rig.window.isVisible());
    rig.tray->RestoreApp();
    rig.area->setAvailable(true);
    QCOMPARE(rig.area->calls, QStringList({"add", "add"}));
    rig.tray->MinimizeApp();
    QVERIFY(!rig.window.isVisible());
}

void TstDmTray::windowComesBackWhenIconGoes_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("area goes away") << 0;
    QTest::newRow("Enabled set to false") << 1;
}

void TstDmTray::windowComesBackWhenIconGoes()
{
    QFETCH(int, how);
    Rig rig;
    rig.tray->Loaded();
    rig.tray->MinimizeApp();
    QVERIFY(!rig.window.isVisible());
    if (how == 0)
        rig.area->setAvailable(false);
    else
        rig.tray->setEnabled(false);
    QVERIFY(rig.window.isVisible());
    QVERIFY(rig.window.isMinimized());
}

void TstDmTray::sessionEndRemovesIconAndItReturns()
{
    Rig rig;
    rig.tray->Loaded();
    rig.tray->MinimizeApp();
    rig.tray->SessionEnding();
    QCOMPARE(rig.area->calls, QStringList({"add", "remove"}));
    QVERIFY(rig.window.isVisible());
    // The session went on: the icon is back at the next minimising.
    rig.tray->RestoreApp();
    rig.tray->MinimizeApp();
    QCOMPARE(rig.area->calls, QStringList({"add", "remove", "add"}));
    QVERIFY(!rig.window.isVisible());
}

void TstDmTray::destroyedReferencesAreCleared()
{
    Rig rig;
    auto *menu = new QMenu(&rig.window);
    auto *list = new TImageList({solid(Qt::red)});
    rig.tray->setPopupMenu(menu);
    rig.tray->setIcons(list);
    rig.tray->Loaded();
    delete menu;
    delete list;
    QCOMPARE(rig.tray->PopupMenu(), nullptr);
    QCOMPARE(rig.tray->Icons(), nullptr);
    rig.area->click(QSystemTrayIcon::Context);
    rig.tray->setIconIndex(3);
    QCOMPARE(rig.log, QStringList({"RButtonDown", "RButtonUp"}));
}

QTEST_MAIN(TstDmTray)
#include "tst_dmtray.moc"
