// The task pane: layout from the font in use, link states and clicks under
// the mouse, action links, scrolling, placement errors and what assistive
// technology sees. Everything goes through the public interface.

#include "DmGroupBar.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFontMetricsF>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <memory>

namespace {

const QString Step1Link = QStringLiteral("Выберите типы файлов для удаления");
const QString Step2Link = QStringLiteral("Выберите диск или директорию для поиска ненужных файлов");

// Lines that greedy word wrapping gives at the given width, counted with the
// font's advances rather than by the layout code under test.
int wrappedLines(const QFont &font, const QString &text, qreal width)
{
    const QFontMetricsF fm(font);
    int lines = 1;
    QString line;
    for (const QString &word : text.split(u' ')) {
        const QString candidate = line.isEmpty() ? word : line + u' ' + word;
        if (line.isEmpty() || fm.horizontalAdvance(candidate) <= width) {
            line = candidate;
        } else {
            ++lines;
            line = word;
        }
    }
    return lines;
}

// Height of n lines of text in the font, as drawn one under the other.
int linesHeight(const QFont &font, int lines)
{
    const QString text = QStringList(lines, QStringLiteral("Pp")).join(u'\n');
    return QFontMetrics(font).boundingRect(QRect(0, 0, 10000, 10000), Qt::AlignLeft, text).height();
}

// Expected height of a group whose items wrap into the given line counts:
// caption 20, rows of at least 20 padded by p above and below, 4 below.
int expectedHeight(const QFont &font, const QList<int> &lines)
{
    const int p = (20 - QFontMetrics(font).height()) / 2;
    int top = 20 + 4;
    for (int i = 0; i + 1 < lines.size(); ++i)
        top += std::max(2 * p + linesHeight(font, lines[i]), 20);
    return top + 2 * p + linesHeight(font, lines.last()) + 4;
}

QPoint centre(const QRect &r)
{
    return r.center();
}

} // namespace

class TstDmGroupBar : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void barBuiltHiddenIsPlacedWhenShown();
    void layoutFollowsEveryChange_data();
    void layoutFollowsEveryChange();

    void taskListDefaults();
    void heights_data();
    void heights();
    void itemsProperty();
    void hoverAndPress();
    void cursorOverLinks();
    void clicks_data();
    void clicks();
    void popupClick();
    void painting_data();
    void painting();
    void actionLink();
    void scrolling();
    void hiddenGroup();
    void groupOutsideBar();
    void accessibility();
    void keyboard_data();
    void keyboard();

private:
    void show();
    TDmGroupItem *link(int group, int item) const { return groups[group]->Items(item); }

    std::unique_ptr<TDmGroupBar> bar;
    TDmGroup *groups[3] = {};
    QAction *action4 = nullptr, *action5 = nullptr;
    QList<QString> clicked;
};

// The program's pane: three steps, the third with two action links.
void TstDmGroupBar::init()
{
    bar = std::make_unique<TDmGroupBar>();
    bar->resize(177, 403);
    bar->setColorRole(QPalette::Button);
    const QStringList captions{"Первый шаг", "Второй шаг", "Третий шаг"};
    const QList<QStringList> items{{Step1Link}, {Step2Link}, {"", "", "Найденые файлы", "Информация"}};
    for (int g = 0; g < 3; ++g) {
        groups[g] = new TDmGroup(bar.get());
        groups[g]->setCaption(captions[g]);
        groups[g]->setProperty("items", items[g]);
        groups[g]->setUseGradients(true);
        groups[g]->setCursor(Qt::PointingHandCursor);
    }
    action4 = new QAction(QStringLiteral("&Запуск сканирования"), bar.get());
    action5 = new QAction(QStringLiteral("&Остановить сканирование"), bar.get());
    action5->setEnabled(false);
    link(2, 0)->setAction(action4);
    link(2, 1)->setAction(action5);
    clicked.clear();
    for (auto [g, i] : {std::pair{0, 0}, {1, 0}, {2, 2}, {2, 3}})
        link(g, i)->OnClick = [this](TDmGroupItem *sender) { clicked << sender->Caption(); };
    // A bar places its groups once shown, as a layout does.
    bar->show();
}

void TstDmGroupBar::cleanup()
{
    bar.reset();
}

void TstDmGroupBar::show()
{
    bar->show();
    QVERIFY(QTest::qWaitForWindowExposed(bar.get()));
}

// A group takes the task-list look when it joins the bar, and what the
// program sets afterwards overrides it. (The look's sizes show in heights,
// its divider and colours in painting.)
void TstDmGroupBar::taskListDefaults()
{
    for (TDmGroup *group : groups) {
        QVERIFY(group->CaptionFont().bold());
        QVERIFY(!group->CanClose()); // the user cannot collapse a step
    }
    auto *extra = new TDmGroup(bar.get());
    extra->setCaptionHeight(30);
    QCOMPARE(extra->CaptionHeight(), 30);
    // The group's colour follows the bar's until set.
    bar->setColor(Qt::yellow);
    QCOMPARE(extra->Color(), QColor(Qt::yellow));
    QCOMPARE(bar->Groups().size(), 4);
    delete extra;
    QCOMPARE(bar->Groups().size(), 3);
}

void TstDmGroupBar::heights_data()
{
    QTest::addColumn<QFont>("font");
    QTest::addColumn<bool>("thirteen"); // the form's own 13-pixel case: 60, 73, 107
    QTest::newRow("application font") << QApplication::font() << false;
    QFont condensed(QStringLiteral("DejaVu Sans Condensed"));
    condensed.setPixelSize(11);
    QTest::newRow("13-pixel font") << condensed << true;
    QFont large(QStringLiteral("DejaVu Sans"));
    large.setPixelSize(17);
    QTest::newRow("large font") << large << false;
}

void TstDmGroupBar::heights()
{
    QFETCH(QFont, font);
    QFETCH(bool, thirteen);
    const qreal wrap = 177 - 2 * 4 - 8 - 8;
    const QList<int> lines1{wrappedLines(font, Step1Link, wrap)};
    const QList<int> lines2{wrappedLines(font, Step2Link, wrap)};
    QList<int> lines3;
    for (const QString &text : QStringList{"Запуск сканирования", "Остановить сканирование", "Найденые файлы",
                                "Информация"})
        lines3 << wrappedLines(font, text, wrap);
    if (thirteen) {
        if (QFontMetrics(font).height() != 13)
            QSKIP("no font with a text height of 13 pixels here");
        if (lines1 != QList<int>{2} || lines2 != QList<int>{3} || lines3 != QList<int>{1, 1, 1, 1})
            QSKIP("the 13-pixel font here wraps the links differently from the form's font");
    }
    bar->setFont(font);
    show();
    // The task-list look: a border of 4, a caption of 20, rows of at least 20.
    const int h1 = expectedHeight(font, lines1);
    const int h2 = expectedHeight(font, lines2);
    const int h3 = expectedHeight(font, lines3);
    QCOMPARE(groups[0]->geometry(), QRect(4, 4, 169, h1));
    QCOMPARE(groups[1]->geometry(), QRect(4, 4 + h1 + 4, 169, h2));
    QCOMPARE(groups[2]->geometry(), QRect(4, 4 + h1 + 4 + h2 + 4, 169, h3));
    if (thirteen) {
        QCOMPARE(h1, 60);
        QCOMPARE(h2, 73);
        QCOMPARE(h3, 107);
    }
    // A long caption wraps and its whole box is the link: up to the right margin.
    QCOMPARE(link(1, 0)->TextRect().right(), 169 - 8 - 1);
    QCOMPARE(link(1, 0)->TextRect().height(), linesHeight(font, lines2[0]));
    // An indent level moves a link right by the group's item indent, 20.
    const int left = link(2, 3)->TextRect().left();
    link(2, 3)->setIndentLevel(1);
    QCOMPARE(link(2, 3)->TextRect().left(), left + 20);
}

void TstDmGroupBar::itemsProperty()
{
    TDmGroup *group = groups[2];
    QCOMPARE(group->Items().Count(), 4);
    QCOMPARE(group->Items()[3], group->Items(3));
    QCOMPARE(group->Items(3)->Caption(), QStringLiteral("Информация"));
    QCOMPARE(group->Items(3)->Index(), 3);
    QCOMPARE(group->property("items").toStringList().at(1), QStringLiteral("Остановить сканирование"));
    // An item deleted directly leaves the group, which closes the gap.
    const int full = group->height();
    delete group->Items(0);
    QCOMPARE(group->Items().Count(), 3);
    QCOMPARE(group->Items(0)->Caption(), QStringLiteral("Остановить сканирование"));
    QVERIFY(group->height() < full);
    const int before = group->height();
    group->setProperty("items", QStringList{"one", "-"});
    QCOMPARE(group->Items().Count(), 2);
    QVERIFY(group->height() < before);
    // A "-" item is a divider line, not a link.
    QVERIFY(group->Items(1)->TextRect().isEmpty());
    // A group without items takes its opened height.
    group->setProperty("items", QStringList());
    group->setProperty("openedHeight", 55);
    QCOMPARE(group->height(), 55);
}

void TstDmGroupBar::hoverAndPress()
{
    show();
    TDmGroupItem *item = link(2, 2); // "Найденые файлы", a short single line
    TDmGroup *group = groups[2];
    const QRect box = item->TextRect();
    QCOMPARE(item->State(), gisNormal);
    QTest::mouseMove(group, centre(box));
    QCOMPARE(item->State(), gisHot);
    QCOMPARE(link(2, 3)->State(), gisNormal);
    QTest::mousePress(group, Qt::LeftButton, {}, centre(box));
    QCOMPARE(item->State(), gisPressed);
    // Dragged off the text but still in the row: normal; back on it: pressed again.
    QTest::mouseMove(group, QPoint(box.right() + 10, box.center().y()));
    QCOMPARE(item->State(), gisNormal);
    QTest::mouseMove(group, centre(box));
    QCOMPARE(item->State(), gisPressed);
    QTest::mouseRelease(group, Qt::LeftButton, {}, centre(box));
    QCOMPARE(item->State(), gisHot);
    QCOMPARE(clicked, QList<QString>{"Найденые файлы"});
    // Leaving the group makes every item normal.
    QTest::mouseMove(bar.get(), QPoint(2, 2));
    QTRY_COMPARE(item->State(), gisNormal);
    // A disabled link never turns hot.
    QTest::mouseMove(group, centre(link(2, 1)->TextRect()));
    QCOMPARE(link(2, 1)->State(), gisNormal);
    // A link disabled under the mouse (the scan starting) loses its hot look.
    QTest::mouseMove(group, centre(link(2, 0)->TextRect()));
    QCOMPARE(link(2, 0)->State(), gisHot);
    action4->setEnabled(false);
    QCOMPARE(link(2, 0)->State(), gisNormal);
}

void TstDmGroupBar::cursorOverLinks()
{
    show();
    TDmGroup *group = groups[0];
    group->setCursor(Qt::CrossCursor);
    QTest::mouseMove(group, centre(link(0, 0)->TextRect()));
    QCOMPARE(group->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(group, QPoint(10, 5)); // caption band
    QCOMPARE(group->cursor().shape(), Qt::CrossCursor);
}

void TstDmGroupBar::clicks_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("press"); // where, relative to the item's text box
    QTest::addColumn<QString>("release");
    QTest::addColumn<QList<QString>>("expected");
    const QList<QString> none;
    QTest::newRow("on the text") << 2 << 3 << "centre" << "centre" << QList<QString>{"Информация"};
    QTest::newRow("beside a short text") << 2 << 3 << "beside" << "beside" << none;
    QTest::newRow("last line of a wrapped text")
        << 1 << 0 << "bottom-left" << "bottom-left" << QList<QString>{Step2Link};
    QTest::newRow("below the last line") << 1 << 0 << "below" << "below" << none;
    QTest::newRow("released outside the item") << 2 << 3 << "centre" << "outside" << none;
    QTest::newRow("released on another item") << 2 << 3 << "centre" << "other" << none;
    QTest::newRow("pressed beside, released on") << 2 << 3 << "beside" << "centre" << none;
    QTest::newRow("caption") << 0 << 0 << "caption" << "caption" << none;
    QTest::newRow("disabled action link") << 2 << 1 << "centre" << "centre" << none;
}

void TstDmGroupBar::clicks()
{
    QFETCH(int, group);
    QFETCH(int, item);
    QFETCH(QString, press);
    QFETCH(QString, release);
    QFETCH(QList<QString>, expected);
    show();
    QSignalSpy stop(action5, &QAction::triggered);
    TDmGroup *g = groups[group];
    const QRect box = link(group, item)->TextRect();
    const QRect other = link(2, 2)->TextRect();
    auto at = [&](const QString &where) -> std::pair<QWidget *, QPoint> {
        if (where == "beside")
            return {g, QPoint(box.right() + 8, box.center().y())};
        if (where == "bottom-left")
            return {g, QPoint(box.left() + 2, box.bottom() - 1)};
        if (where == "below")
            return {g, QPoint(box.left() + 2, box.bottom() + 3)};
        if (where == "outside")
            return {bar.get(), QPoint(1, bar->height() - 2)};
        if (where == "other")
            return {g, centre(other)};
        if (where == "caption")
            return {g, QPoint(20, 10)};
        return {g, centre(box)};
    };
    auto [pressWidget, pressPos] = at(press);
    QTest::mousePress(pressWidget, Qt::LeftButton, {}, pressPos);
    auto [releaseWidget, releasePos] = at(release);
    // The pressed group keeps the mouse; positions are in its coordinates.
    releasePos = g->mapFrom(releaseWidget->window(), releaseWidget->mapTo(releaseWidget->window(), releasePos));
    QTest::mouseMove(g, releasePos);
    QTest::mouseRelease(g, Qt::LeftButton, {}, releasePos);
    QCOMPARE(clicked, expected);
    QCOMPARE(stop.count(), 0);
}

void TstDmGroupBar::popupClick()
{
    show();
    TDmGroupItem *item = link(2, 3);
    QList<std::pair<int, QPoint>> calls;
    item->OnPopupClick = [&](TDmGroupItem *sender, int index, QPoint screen) {
        QCOMPARE(sender, item);
        calls.append({index, screen});
    };
    const QPoint at = centre(item->TextRect());
    QTest::mouseClick(groups[2], Qt::RightButton, {}, QPoint(item->TextRect().right() + 8, at.y()));
    QVERIFY(calls.isEmpty());
    QTest::mouseClick(groups[2], Qt::RightButton, {}, at);
    QCOMPARE(calls, (QList<std::pair<int, QPoint>>{{3, groups[2]->mapToGlobal(at)}}));
    QVERIFY(clicked.isEmpty()); // the right button never clicks
}

void TstDmGroupBar::painting_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QColor>("textColor");
    QTest::addColumn<bool>("underlined");
    QTest::newRow("normal") << "normal" << QColor(Qt::red) << false;
    QTest::newRow("hot") << "hot" << QColor(Qt::blue) << true;
    // Half the shadow colour (0, 128, 0), half the hot colour (0, 0, 255).
    QTest::newRow("pressed") << "pressed" << QColor(0, 64, 127) << true;
    QTest::newRow("disabled") << "disabled" << QColor(Qt::darkGreen) << false;
}

void TstDmGroupBar::painting()
{
    QFETCH(QString, state);
    QFETCH(QColor, textColor);
    QFETCH(bool, underlined);
    QPalette pal = bar->palette();
    pal.setColor(QPalette::WindowText, Qt::red);
    pal.setColor(QPalette::Link, Qt::blue);
    pal.setColor(QPalette::Dark, Qt::darkGreen);
    pal.setColor(QPalette::Button, Qt::white);
    bar->setPalette(pal);
    show();
    TDmGroupItem *item = link(2, state == "disabled" ? 1 : 0);
    if (state != "normal")
        QTest::mouseMove(groups[2], centre(item->TextRect()));
    if (state == "pressed")
        QTest::mousePress(groups[2], Qt::LeftButton, {}, centre(item->TextRect()));
    const QImage image = groups[2]->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // The group is drawn in the bar's colour, with a plain divider line (the
    // bar draws no gradients) across the caption band's last row.
    QCOMPARE(image.pixelColor(image.width() - 1, image.height() - 1), QColor(Qt::white));
    for (int x : {0, image.width() - 1})
        QCOMPARE(image.pixelColor(x, 19), groups[2]->DividerColor());
    const QRect box = item->TextRect();
    int exact = 0, fullRows = 0;
    for (int y = box.top(); y <= box.bottom() + 1; ++y) {
        int inRow = 0;
        for (int x = box.left(); x <= box.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            QVERIFY2(c != QColor(Qt::red) || textColor == QColor(Qt::red), "text drawn in window text");
            inRow += c == textColor;
        }
        exact += inRow;
        fullRows += inRow >= box.width() * 9 / 10;
    }
    if (state == "pressed")
        QTest::mouseRelease(groups[2], Qt::LeftButton, {}, centre(item->TextRect()));
    QVERIFY2(exact > 0, "no pixel in the expected text colour");
    QCOMPARE(fullRows > 0, underlined);
}

void TstDmGroupBar::actionLink()
{
    TDmGroupItem *start = link(2, 0);
    TDmGroupItem *stop = link(2, 1);
    // "&" marks are dropped; the enabled state comes from the action.
    QCOMPARE(start->Caption(), QStringLiteral("Запуск сканирования"));
    QCOMPARE(start->Enabled(), true);
    QCOMPARE(stop->Enabled(), false);
    // Later changes follow: what a scan's start and end do.
    action4->setEnabled(false);
    action5->setEnabled(true);
    QCOMPARE(start->Enabled(), false);
    QCOMPARE(stop->Enabled(), true);
    action5->setText(QStringLiteral("Drag && &drop"));
    QCOMPARE(stop->Caption(), QStringLiteral("Drag & drop"));
    action5->setToolTip(QStringLiteral("tip"));
    QCOMPARE(stop->Hint(), QStringLiteral("tip"));
    const int height = groups[2]->height();
    action5->setVisible(false);
    QCOMPARE(stop->Visible(), false);
    QVERIFY(groups[2]->height() < height);
    action5->setVisible(true);
    QCOMPARE(groups[2]->height(), height);
    // A caption the program gave the item itself is no longer the action's.
    stop->setCaption(QStringLiteral("own"));
    action5->setText(QStringLiteral("other"));
    QCOMPARE(stop->Caption(), QStringLiteral("own"));

    // Clicking runs the action only while it is enabled.
    show();
    QSignalSpy started(action4, &QAction::triggered);
    QSignalSpy stopped(action5, &QAction::triggered);
    QTest::mouseClick(groups[2], Qt::LeftButton, {}, centre(stop->TextRect()));
    QCOMPARE(stopped.count(), 1);
    QTest::mouseClick(groups[2], Qt::LeftButton, {}, centre(start->TextRect()));
    QCOMPARE(started.count(), 0);
    action4->setEnabled(true);
    QTest::mouseClick(groups[2], Qt::LeftButton, {}, centre(start->TextRect()));
    QCOMPARE(started.count(), 1);
    // Unbound, the item keeps its state and no longer follows.
    start->setAction(nullptr);
    action4->setEnabled(false);
    QCOMPARE(start->Enabled(), true);
}

void TstDmGroupBar::scrolling()
{
    bar->resize(177, 150);
    show();
    QScrollBar *scroll = bar->VerticalScrollBar();
    QVERIFY(scroll->isVisible());
    const int client = 177 - scroll->width();
    QCOMPARE(groups[0]->geometry().topLeft(), QPoint(4, 4));
    QCOMPARE(groups[0]->width(), client - 8);
    QVERIFY(scroll->geometry().left() >= client);

    // The wheel over a group scrolls the bar.
    QWheelEvent wheel(QPointF(20, 30), groups[0]->mapToGlobal(QPointF(20, 30)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(groups[0], &wheel);
    QVERIFY(scroll->value() > 0);
    QCOMPARE(groups[0]->y(), 4 - scroll->value());

    // Scrolled to the end, the last group ends one border above the bottom.
    scroll->setValue(scroll->maximum());
    QCOMPARE(groups[2]->geometry().bottom() + 1 + 4, bar->height());
    // Shorter content while scrolled: scrolled back, no empty space below.
    groups[2]->setProperty("items", QStringList{"one"});
    QVERIFY(groups[2]->geometry().bottom() + 1 + 4 >= bar->height()
            || (!scroll->isVisible() && groups[0]->y() == 4));

    // Once everything fits, the bar scrolls back to the top and hides the bar.
    bar->resize(177, 403);
    QVERIFY(!scroll->isVisible());
    QCOMPARE(groups[0]->geometry(), QRect(4, 4, 169, groups[0]->height()));
}

void TstDmGroupBar::hiddenGroup()
{
    show();
    const int h1 = groups[0]->height();
    const int below = groups[2]->y();
    // A hidden group takes neither height nor margin.
    groups[1]->hide();
    QCOMPARE(groups[2]->y(), 4 + h1 + 4);
    groups[1]->show();
    QCOMPARE(groups[2]->y(), below);
    // A press on the bar outside the groups gives it the focus.
    bar->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(bar.get()));
    QTest::mouseClick(bar.get(), Qt::LeftButton, {}, QPoint(2, bar->height() - 2));
    QTRY_VERIFY(bar->hasFocus());
}

// A window builds its task pane before it shows: the groups are placed, and
// their links laid out, when the bar shows, and again as it is hidden and
// items change meanwhile.
void TstDmGroupBar::barBuiltHiddenIsPlacedWhenShown()
{
    TDmGroupBar hidden;
    hidden.resize(177, 403);
    TDmGroup *first = new TDmGroup(&hidden);
    TDmGroup *second = new TDmGroup(&hidden);
    first->setProperty("items", QStringList{"Выберите типы файлов для удаления"});
    second->setProperty("items", QStringList{"Запуск сканирования", "Информация"});
    for (int round = 0; round < 2; ++round) {
        hidden.show();
        QCOMPARE(first->geometry(), QRect(4, 4, 169, first->heightForWidth(169)));
        QCOMPARE(second->geometry(), QRect(4, 4 + first->height() + 4, 169, second->heightForWidth(169)));
        QVERIFY(second->Items(1)->TextRect().top() > second->Items(0)->TextRect().bottom());
        hidden.hide();
        first->setProperty("items", QStringList{"Выберите типы", "файлов", "для удаления"});
    }
}

using Change = std::function<void(TDmGroupBar &, QList<TDmGroup *> &)>;

void TstDmGroupBar::layoutFollowsEveryChange_data()
{
    QTest::addColumn<Change>("prepare"); // both panes, before either shows
    QTest::addColumn<Change>("change");
    const Change none = [](TDmGroupBar &, QList<TDmGroup *> &) {};
    auto item = [](QList<TDmGroup *> &g) { return g[1]->Items(0); };
    auto images = [](TDmGroupBar &b) {
        QPixmap dot(16, 16);
        dot.fill(Qt::red);
        b.setSmallImages({QIcon(dot)});
    };
    QTest::newRow("longer caption") << none << Change([=](TDmGroupBar &, QList<TDmGroup *> &g) {
        item(g)->setCaption(QStringLiteral("Выберите диск, директорию или сетевую папку для поиска ненужных файлов"));
    });
    QTest::newRow("item hidden") << none
                                 << Change([](TDmGroupBar &, QList<TDmGroup *> &g) { g[0]->Items(1)->setVisible(false); });
    QTest::newRow("indent") << none << Change([=](TDmGroupBar &, QList<TDmGroup *> &g) { item(g)->setIndentLevel(2); });
    QTest::newRow("item height") << none << Change([](TDmGroupBar &, QList<TDmGroup *> &g) { g[0]->setItemHeight(34); });
    QTest::newRow("larger font") << none << Change([](TDmGroupBar &b, QList<TDmGroup *> &) {
        QFont font = b.font();
        font.setPixelSize(19);
        b.setFont(font);
    });
    QTest::newRow("images on the bar") << none << Change([=](TDmGroupBar &b, QList<TDmGroup *> &g) {
        images(b);
        item(g)->setImageIndex(0);
    });
    // A link whose image shows only while it is disabled, beside one with an image.
    QTest::newRow("disabled") << Change([=](TDmGroupBar &b, QList<TDmGroup *> &g) {
        images(b);
        g[0]->Items(0)->setImageIndex(0);
        g[0]->Items(1)->setDisabledIndex(0);
    }) << Change([](TDmGroupBar &, QList<TDmGroup *> &g) { g[0]->Items(1)->setEnabled(false); });
}

// A pane changed after it was laid out looks as one built with the change:
// the groups' places, and each link's text and image boxes.
void TstDmGroupBar::layoutFollowsEveryChange()
{
    QFETCH(Change, prepare);
    QFETCH(Change, change);
    auto build = [&](TDmGroupBar &b) {
        b.resize(177, 403);
        QList<TDmGroup *> g{new TDmGroup(&b), new TDmGroup(&b)};
        g[0]->setProperty("items", QStringList{"Запуск сканирования", "Информация"});
        g[1]->setProperty("items", QStringList{Step2Link});
        prepare(b, g);
        return g;
    };
    auto boxes = [](const QList<TDmGroup *> &g) {
        QList<QRect> r;
        for (const TDmGroup *group : g) {
            r << group->geometry();
            for (int i = 0; i < group->Items().Count(); ++i)
                r << group->Items(i)->TextRect() << group->Items(i)->ImageRect();
        }
        return r;
    };
    TDmGroupBar shown, fresh;
    QList<TDmGroup *> changed = build(shown), wanted = build(fresh);
    shown.show();
    QVERIFY(QTest::qWaitForWindowExposed(&shown));
    const QList<QRect> before = boxes(changed);
    change(shown, changed);
    change(fresh, wanted);
    fresh.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fresh));
    QCOMPARE(boxes(changed), boxes(wanted));
    QVERIFY(boxes(changed) != before);
}

void TstDmGroupBar::groupOutsideBar()
{
    QWidget plain;
    const QString message =
        QStringLiteral("TDmGroup components can only be placed in a TDmGroupBar component");
    for (QWidget *parent : {&plain, static_cast<QWidget *>(nullptr)}) {
        try {
            TDmGroup group(parent);
            QFAIL("a group outside a bar was created");
        } catch (const EDmGroupBarError &e) {
            QCOMPARE(e.message(), message);
        }
    }
    // Moving a group out of its bar fails and leaves it where it was.
    QVERIFY_THROWS_EXCEPTION(EDmGroupBarError, groups[1]->setParent(&plain));
    QCOMPARE(groups[1]->GroupBar(), bar.get());
    QCOMPARE(bar->Groups().size(), 3);
    // Into another bar it goes, and the first bar closes the gap.
    TDmGroupBar other;
    groups[1]->setParent(&other);
    QCOMPARE(bar->Groups().size(), 2);
    QCOMPARE(groups[2]->y(), 4 + groups[0]->height() + 4);
    QCOMPARE(other.Groups(), QList<TDmGroup *>{groups[1]});
}

void TstDmGroupBar::accessibility()
{
    show();
    QAccessibleInterface *pane = QAccessible::queryAccessibleInterface(bar.get());
    QVERIFY(pane);
    QCOMPARE(pane->role(), QAccessible::Pane);
    QAccessibleInterface *step3 = QAccessible::queryAccessibleInterface(groups[2]);
    QVERIFY(step3);
    QVERIFY(pane->indexOfChild(step3) >= 0);
    QCOMPARE(step3->text(QAccessible::Name), QStringLiteral("Третий шаг"));
    QCOMPARE(step3->childCount(), 4);

    QAccessibleInterface *start = step3->child(0);
    QAccessibleInterface *stop = step3->child(1);
    QCOMPARE(start->role(), QAccessible::Link);
    QCOMPARE(start->text(QAccessible::Name), QStringLiteral("Запуск сканирования"));
    QCOMPARE(stop->text(QAccessible::Name), QStringLiteral("Остановить сканирование"));
    QCOMPARE(start->state().disabled, false);
    QCOMPARE(stop->state().disabled, true);
    QCOMPARE(step3->indexOfChild(stop), 1);
    QCOMPARE(stop->parent(), step3);
    const QRect box = link(2, 0)->TextRect();
    QCOMPARE(start->rect(), QRect(groups[2]->mapToGlobal(box.topLeft()), box.size()));
    QCOMPARE(step3->childAt(start->rect().center().x(), start->rect().center().y()), start);

    // Pressing through the action interface clicks the link, unless it is disabled.
    QSignalSpy started(action4, &QAction::triggered);
    QSignalSpy stopped(action5, &QAction::triggered);
    QVERIFY(start->actionInterface());
    QVERIFY(start->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    start->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    stop->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(started.count(), 1);
    QCOMPARE(stopped.count(), 0);
    QAccessibleInterface *info = step3->child(3);
    info->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicked, QList<QString>{"Информация"});

    // State and name follow the item.
    action5->setEnabled(true);
    QCOMPARE(stop->state().disabled, false);
    link(2, 2)->setVisible(false);
    QCOMPARE(step3->child(2)->state().invisible, true);
    action4->setText(QStringLiteral("Начать"));
    QCOMPARE(start->text(QAccessible::Name), QStringLiteral("Начать"));
    QCOMPARE(QAccessible::queryAccessibleInterface(groups[0])->child(0)->text(QAccessible::Name),
             Step1Link);
}

void TstDmGroupBar::keyboard_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QString>("focused");
    QTest::addColumn<QStringList>("clicks");
    // Links the keyboard reaches: step one, step two, start, found files,
    // information; "stop" is disabled and skipped.
    QTest::newRow("Tab lands on the first link") << QList<int>{} << Step1Link << QStringList();
    QTest::newRow("down twice") << QList<int>{Qt::Key_Down, Qt::Key_Down} << "Запуск сканирования" << QStringList();
    QTest::newRow("the disabled link is skipped")
        << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Down} << "Найденые файлы" << QStringList();
    QTest::newRow("up stops at the first") << QList<int>{Qt::Key_Up} << Step1Link << QStringList();
    QTest::newRow("End, then Enter") << QList<int>{Qt::Key_End, Qt::Key_Return} << "Информация"
                                     << QStringList{"Информация"};
    QTest::newRow("Space") << QList<int>{Qt::Key_Right, Qt::Key_Space} << Step2Link << QStringList{Step2Link};
}

void TstDmGroupBar::keyboard()
{
    QFETCH(QList<int>, keys);
    QFETCH(QString, focused);
    QFETCH(QStringList, clicks);
    QWidget window;
    auto *before = new QPushButton("before", &window);
    bar->setParent(&window);
    before->move(0, 410);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    before->setFocus();
    QTest::keyClick(before, Qt::Key_Tab);
    QVERIFY(bar->hasFocus());
    for (int key : keys)
        QTest::keyClick(bar.get(), Qt::Key(key));
    QCOMPARE(bar->FocusedItem()->Caption(), focused);
    QCOMPARE(clicked, clicks);
    // Screen readers hear which link has the focus.
    QAccessibleInterface *item = QAccessible::queryAccessibleInterface(bar->FocusedItem());
    QCOMPARE(item->text(QAccessible::Name), focused);
    QVERIFY(item->state().focused);
    bar->setParent(nullptr);
}

QTEST_MAIN(TstDmGroupBar)
#include "tst_dmgroupbar.moc"
