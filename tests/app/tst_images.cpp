// The program's images and the search animation: every image is compiled in
// and draws something with a transparent surround at 16 px; the animation
// moves only while it plays and leaves no timer behind when it stops.

#include "DeferredIcon.h"
#include "ImageList.h"
#include "SearchAnimation.h"

#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTest>
#include <QTimer>

namespace {

struct Coverage
{
    int transparent = 0;
    int opaque = 0;
};

Coverage coverage(const QImage &image)
{
    Coverage c;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x) {
            const int a = qAlpha(argb.pixel(x, y));
            c.transparent += a == 0;
            c.opaque += a == 255;
        }
    return c;
}

int runningTimers(const QObject *o)
{
    int n = 0;
    for (const QTimer *t : o->findChildren<QTimer *>())
        n += t->isActive();
    return n;
}

} // namespace

class TestImages : public QObject
{
    Q_OBJECT

private slots:
    void outOfRangeIsEmpty_data();
    void outOfRangeIsEmpty();
    void image_data();
    void image();
    void imagesAreDistinct();
    void deleteGlyphHasDisabledLook();
    void deferredIconIsMadeOnceWhenFirstUsed_data();
    void deferredIconIsMadeOnceWhenFirstUsed();

    void animationAdvancesOnlyWhilePlaying();
    void animationLoopsAfterStopFrame();
    void hiddenAnimationRunsNoTimer();
    void seekClamps_data();
    void seekClamps();
    void shorterLoopResetsFrame();
    void framesDifferOnTransparentGround();
};

void TestImages::outOfRangeIsEmpty_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("-1") << -1;
    QTest::newRow("count") << 12;
    QTest::newRow("large") << 1000;
}

void TestImages::outOfRangeIsEmpty()
{
    QFETCH(int, index);
    QVERIFY(dm::ImageList1Path(index).isEmpty());
    QVERIFY(dm::ImageList1(index).isNull());
}

void TestImages::image_data()
{
    QTest::addColumn<QIcon>("icon");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QList<int>>("sizes");
    for (int i = 0; i < dm::ImageList1Count(); ++i)
        QTest::addRow("ImageList1[%d]", i) << dm::ImageList1(i) << dm::ImageList1Path(i) << QList<int>{16, 32};
    QTest::newRow("delete glyph") << dm::deleteGlyph() << QStringLiteral(":/images/delete-glyph.svg")
                                  << QList<int>{16, 32};
    QTest::newRow("application icon") << dm::applicationIcon() << QStringLiteral(":/images/dustmote.svg")
                                      << QList<int>{16, 32, 48, 128};
}

void TestImages::image()
{
    QFETCH(QIcon, icon);
    QFETCH(QString, path);
    QFETCH(QList<int>, sizes);

    // Present in the executable, although they live in a static library.
    QVERIFY2(QFile::exists(path), qPrintable(path));
    QSvgRenderer svg(path);
    QVERIFY2(svg.isValid(), qPrintable(path));

    QVERIFY(!icon.isNull());
    for (int size : sizes) {
        const QImage image = icon.pixmap(size, size).toImage();
        QCOMPARE(image.size(), QSize(size, size));
        const Coverage c = coverage(image);
        QVERIFY2(c.transparent > 0, "no transparent pixel: the image would show a box");
        QVERIFY2(c.opaque > size * size / 8, "hardly anything drawn");
    }
}

void TestImages::imagesAreDistinct()
{
    QList<QImage> images;
    for (int i = 0; i < dm::ImageList1Count(); ++i)
        images << dm::ImageList1(i).pixmap(16, 16).toImage();
    QCOMPARE(images.size(), 12); // the tray and the found list index into all twelve
    for (int i = 0; i < images.size(); ++i)
        for (int j = i + 1; j < images.size(); ++j)
            QVERIFY2(images[i] != images[j], qPrintable(QStringLiteral("%1 and %2 look the same").arg(i).arg(j)));
}

void TestImages::deleteGlyphHasDisabledLook()
{
    const QIcon glyph = dm::deleteGlyph();
    const QImage normal = glyph.pixmap(16, 16, QIcon::Normal).toImage();
    const QImage disabled = glyph.pixmap(16, 16, QIcon::Disabled).toImage();
    QCOMPARE(disabled.size(), normal.size());
    QVERIFY(disabled != normal);

    // The red cross shows in the normal look and is greyed out when disabled.
    auto reddest = [](const QImage &image) {
        int best = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.alpha() == 255)
                    best = qMax(best, c.red() - qMax(c.green(), c.blue()));
            }
        return best;
    };
    QVERIFY(reddest(normal) > 100);
    QVERIFY(reddest(disabled) < 40);
}

void TestImages::animationAdvancesOnlyWhilePlaying()
{
    TAnimate a;
    a.show();
    QSignalSpy frames(&a, &TAnimate::frameChanged);
    // A new animation stands still at its first frame.
    QVERIFY(!a.Active());
    QCOMPARE(a.CurrentFrame(), 0);
    QCOMPARE(runningTimers(&a), 0);

    a.Play();
    QVERIFY(a.Active());
    QCOMPARE(runningTimers(&a), 1);
    QVERIFY(frames.wait());
    QVERIFY(frames.wait());
    QCOMPARE(frames.at(0).at(0).toInt(), 1);
    QCOMPARE(frames.at(1).at(0).toInt(), 2);
    QCOMPARE(a.CurrentFrame(), 2);

    a.Stop();
    QVERIFY(!a.Active());
    QCOMPARE(a.CurrentFrame(), 0);
    QCOMPARE(runningTimers(&a), 0);

    // Stopping twice is harmless, and playing again starts at frame 0.
    a.setActive(false);
    QCOMPARE(runningTimers(&a), 0);
    frames.clear();
    a.setActive(true);
    QVERIFY(frames.wait());
    QCOMPARE(frames.at(0).at(0).toInt(), 1);
    a.setActive(false);
    QCOMPARE(runningTimers(&a), 0);
}

void TestImages::animationLoopsAfterStopFrame()
{
    TAnimate a;
    a.setStopFrame(2);
    a.show();
    QSignalSpy frames(&a, &TAnimate::frameChanged);
    a.Play();
    QTRY_VERIFY(frames.size() >= 5);
    a.Stop();
    QList<int> seen;
    for (int i = 0; i < 5; ++i)
        seen << frames.at(i).at(0).toInt();
    QCOMPARE(seen, (QList<int>{1, 2, 0, 1, 2}));
}

void TestImages::hiddenAnimationRunsNoTimer()
{
    TAnimate a;
    a.Play(); // not shown yet
    QVERIFY(a.Active());
    QCOMPARE(runningTimers(&a), 0);
    a.show();
    QCOMPARE(runningTimers(&a), 1);
    a.hide();
    QCOMPARE(runningTimers(&a), 0);
    QVERIFY(a.Active());
    a.show();
    QCOMPARE(runningTimers(&a), 1);
    a.Stop();
    QCOMPARE(runningTimers(&a), 0);
}

void TestImages::seekClamps_data()
{
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("shown");
    QTest::newRow("negative") << -5 << 0;
    QTest::newRow("inside") << 7 << 7;
    QTest::newRow("last") << 29 << 29;
    QTest::newRow("beyond") << 100 << 29;
}

void TestImages::seekClamps()
{
    QFETCH(int, to);
    QFETCH(int, shown);
    TAnimate a;
    QCOMPARE(a.StopFrame(), 29); // thirty frames to a loop
    a.Seek(to);
    QCOMPARE(a.CurrentFrame(), shown);
}

void TestImages::shorterLoopResetsFrame()
{
    TAnimate a;
    a.Seek(20);
    a.setStopFrame(10);
    QCOMPARE(a.CurrentFrame(), 0);
    a.Seek(5);
    a.setStopFrame(-3);
    QCOMPARE(a.StopFrame(), 0);
    QCOMPARE(a.CurrentFrame(), 0);
}

void TestImages::framesDifferOnTransparentGround()
{
    // On the main window the animation sits over the task pane, which must
    // show through around the picture.
    const QColor paneColour(255, 0, 255);
    QPixmap ground(100, 70);
    ground.fill(paneColour);
    QLabel pane; // paints the ground itself, so the animation's palette stays the default
    pane.setPixmap(ground);
    pane.resize(ground.size());
    TAnimate a(&pane);
    QCOMPARE(a.size(), QSize(80, 50));
    a.move(10, 10);

    auto snapshot = [&] {
        return pane.grab(a.geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    };
    const QImage first = snapshot();
    int paneShows = 0;
    for (int y = 0; y < first.height(); ++y)
        for (int x = 0; x < first.width(); ++x)
            paneShows += first.pixelColor(x, y) == paneColour;
    QVERIFY2(paneShows > 0, "the pane does not show through");
    QVERIFY2(paneShows < first.width() * first.height() / 2, "hardly anything drawn");

    a.Seek(8);
    QVERIFY(snapshot() != first);
    a.Seek(0);
    QCOMPARE(snapshot(), first);
}

void TestImages::deferredIconIsMadeOnceWhenFirstUsed_data()
{
    QTest::addColumn<QString>("use");
    for (const char *use : {"pixmap", "paint", "actual size", "sizes", "name"})
        QTest::newRow(use) << use;
}

// The start-up's icons cost nothing until something draws or measures them,
// then stand for the icon made, once for every copy.
void TestImages::deferredIconIsMadeOnceWhenFirstUsed()
{
    QFETCH(QString, use);
    int made = 0;
    const QIcon icon = dm::deferredIcon([&made] {
        ++made;
        return QIcon::fromTheme(QStringLiteral("dm-no-such-icon"), QIcon(dm::ImageList1Path(8)));
    });
    const QIcon copy = icon;
    QVERIFY(!icon.isNull() && !copy.isNull());
    QCOMPARE(made, 0);
    const QIcon real(dm::ImageList1Path(8));
    if (use == "pixmap") {
        QCOMPARE(copy.pixmap(16, 16).toImage(), real.pixmap(16, 16).toImage());
        QCOMPARE(copy.pixmap(32, 32, QIcon::Disabled).toImage(), real.pixmap(32, 32, QIcon::Disabled).toImage());
    } else if (use == "paint") {
        QImage drawn(24, 24, QImage::Format_ARGB32_Premultiplied), expected = drawn;
        drawn.fill(Qt::transparent);
        expected.fill(Qt::transparent);
        QPainter p1(&drawn), p2(&expected);
        copy.paint(&p1, QRect(0, 0, 24, 24));
        real.paint(&p2, QRect(0, 0, 24, 24));
        p1.end();
        p2.end();
        QCOMPARE(drawn, expected);
    } else if (use == "actual size") {
        QCOMPARE(copy.actualSize(QSize(48, 48)), real.actualSize(QSize(48, 48)));
    } else if (use == "sizes") {
        QCOMPARE(copy.availableSizes(), real.availableSizes());
    } else {
        QCOMPARE(copy.name(), real.name());
    }
    icon.pixmap(16, 16);
    QCOMPARE(made, 1);
}

QTEST_MAIN(TestImages)
#include "tst_images.moc"
