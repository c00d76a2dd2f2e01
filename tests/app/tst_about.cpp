// The about box and the quote window as a user meets them: which keys and
// presses close them, the quote opened from the author line, the terms link,
// placement, and texts that fit their lines in the faces this machine has.

#include "Cp1251.h"
#include "RecordedBoxes.h"
#include "DesktopOpen.h"
#include "Unit3.h"
#include "Unit4.h"
#include "ui_Unit3.h"
#include "ui_Unit4.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QMessageBox>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// Records what the box asks the desktop to open; the desktop never answers.
struct Opened
{
    QList<QUrl> urls;
    Opened()
    {
        dm::setShellHandler([this](const QUrl &u) {
            urls.append(u);
            return false;
        });
    }
    ~Opened() { dm::setShellHandler({}); }
};

bool anyMessageBoxVisible()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [](QWidget *w) {
        return w->isVisible() && qobject_cast<QMessageBox *>(w);
    });
}

enum class Target { Background, Title, Author, Purpose, Terms, Rights, Quote };

QWidget *targetIn(TForm3 &box, Target t)
{
    switch (t) {
    case Target::Title: return box.ui->DmLabel1;
    case Target::Author: return box.ui->Label1;
    case Target::Purpose: return box.ui->Label2;
    case Target::Terms: return box.ui->Label4;
    case Target::Rights: return box.ui->Label3;
    default: return &box;
    }
}

// A double click as the window system delivers it: the second press is
// followed by the double-click event.
void doubleClick(QWidget *w)
{
    QTest::mouseClick(w, Qt::LeftButton);
    QTest::mousePress(w, Qt::LeftButton);
    QTest::mouseDClick(w, Qt::LeftButton);
    QTest::mouseRelease(w, Qt::LeftButton);
}

} // namespace

Q_DECLARE_METATYPE(Target)

class TestAbout : public QObject
{
    Q_OBJECT
private slots:
    void aboutBoxKeys_data();
    void aboutBoxKeys();
    void aboutBoxPresses_data();
    void aboutBoxPresses();
    void authorDoubleClickOpensQuoteAboveTheBox();
    void termsLink_data();
    void termsLink();
    void aboutBoxFollowsTheMainWindow();
    void aboutBoxLook();
    void quoteClosesOnFirstKey_data();
    void quoteClosesOnFirstKey();
    void quoteClosesOnComposedCharacter();
    void quoteClosesOnFirstPress_data();
    void quoteClosesOnFirstPress();
    void quoteWindowLook();
    void termsOfUseIsWellFormedRtf();
};

void TestAbout::aboutBoxKeys_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("opens"); // documents opened
    const auto none = Qt::KeyboardModifiers();
    QTest::newRow("Esc") << QList<int>{Qt::Key_Escape} << none << true << 0;
    QTest::newRow("Shift+Esc") << QList<int>{Qt::Key_Escape} << Qt::KeyboardModifiers(Qt::ShiftModifier) << true << 0;
    QTest::newRow("Enter") << QList<int>{Qt::Key_Return} << none << false << 0;
    QTest::newRow("keypad Enter") << QList<int>{Qt::Key_Enter} << Qt::KeyboardModifiers(Qt::KeypadModifier) << false << 0;
    QTest::newRow("Space") << QList<int>{Qt::Key_Space} << none << false << 0;
    QTest::newRow("letter") << QList<int>{Qt::Key_A} << none << false << 0;
    QTest::newRow("Tab") << QList<int>{Qt::Key_Tab} << none << false << 0;
    // The link answers keys only once Tab has visibly given it the focus.
    QTest::newRow("Tab, Enter") << QList<int>{Qt::Key_Tab, Qt::Key_Return} << none << false << 1;
    QTest::newRow("Tab, Esc") << QList<int>{Qt::Key_Tab, Qt::Key_Escape} << none << true << 0;
}

void TestAbout::aboutBoxKeys()
{
    QFETCH(QList<int>, keys);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, closes);
    QFETCH(int, opens);
    Opened opened;
    TForm3 box;
    box.show();
    QApplication::setActiveWindow(&box);
    QVERIFY(QTest::qWaitForWindowActive(&box));
    QSignalSpy rejected(&box, &QDialog::rejected);
    // Each key goes where the window system sends it: to the focus.
    for (int key : keys) {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : &box, Qt::Key(key), key == keys.last() ? modifiers : Qt::NoModifier);
    }
    QCOMPARE(box.isVisible(), !closes);
    QCOMPARE(rejected.count(), closes ? 1 : 0);
    QCOMPARE(opened.urls.size(), opens);
}

void TestAbout::aboutBoxPresses_data()
{
    QTest::addColumn<Target>("target");
    QTest::addColumn<QPoint>("at"); // in the target; null for its centre
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("closes");
    QTest::newRow("background, corner") << Target::Background << QPoint(3, 3) << Qt::LeftButton << true;
    QTest::newRow("background, right of the lines") << Target::Background << QPoint(460, 150) << Qt::LeftButton << true;
    QTest::newRow("background, between lines") << Target::Background << QPoint(200, 78) << Qt::LeftButton << true;
    QTest::newRow("background, right button") << Target::Background << QPoint(460, 200) << Qt::RightButton << true;
    QTest::newRow("background, middle button") << Target::Background << QPoint(460, 200) << Qt::MiddleButton << true;
    QTest::newRow("title") << Target::Title << QPoint() << Qt::LeftButton << false;
    QTest::newRow("author, single") << Target::Author << QPoint() << Qt::LeftButton << false;
    QTest::newRow("purpose") << Target::Purpose << QPoint() << Qt::LeftButton << false;
    QTest::newRow("purpose, right button") << Target::Purpose << QPoint() << Qt::RightButton << false;
    QTest::newRow("rights") << Target::Rights << QPoint() << Qt::LeftButton << false;
}

void TestAbout::aboutBoxPresses()
{
    QFETCH(Target, target);
    QFETCH(QPoint, at);
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, closes);
    Opened opened;
    TForm4 quote;
    TForm3 box;
    box.Form4 = &quote;
    box.show();
    QWidget *w = targetIn(box, target);
    if (target == Target::Background)
        QCOMPARE(box.childAt(at), nullptr);
    QTest::mouseClick(w, button, {}, at);
    QCOMPARE(box.isVisible(), !closes);
    QVERIFY(!quote.isVisible());
    QVERIFY(opened.urls.isEmpty());
}

void TestAbout::authorDoubleClickOpensQuoteAboveTheBox()
{
    TForm4 quote;
    TForm3 box;
    box.Form4 = &quote;
    box.show();
    bool wasModal = false, closedByKey = false;
    // exec() blocks until the quote closes; close it the way a user would.
    QTimer::singleShot(0, &quote, [&] {
        wasModal = quote.isVisible() && QApplication::activeModalWidget() == &quote;
        QTest::keyClick(&quote, Qt::Key_Shift);
        closedByKey = !quote.isVisible();
        if (!closedByKey)
            quote.done(QDialog::Accepted); // never leave the test hanging
    });
    doubleClick(box.ui->Label1);
    QVERIFY(wasModal);
    QVERIFY(closedByKey);
    QCOMPARE(quote.result(), int(QDialog::Rejected));
    QVERIFY(box.isVisible());
}

void TestAbout::termsLink_data()
{
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<int>("opens");
    QTest::newRow("click") << "click" << 1;
    QTest::newRow("double-click opens once") << "double" << 1;
    QTest::newRow("right click") << "right" << 0;
    QTest::newRow("pressed, released outside") << "dragged off" << 0;
    QTest::newRow("released only") << "release" << 0;
}

void TestAbout::termsLink()
{
    QFETCH(QString, gesture);
    QFETCH(int, opens);
    QTemporaryDir dir; // holds no eula.rtf
    Opened opened;
    dm::test::RecordedBoxes boxes;
    TForm3 box;
    box.AppFolder = dir.path() + '/';
    box.show();
    QLabel *link = box.ui->Label4;
    QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
    if (gesture == "click") {
        QTest::mouseClick(link, Qt::LeftButton);
    } else if (gesture == "double") {
        doubleClick(link);
    } else if (gesture == "right") {
        QTest::mouseClick(link, Qt::RightButton);
    } else if (gesture == "dragged off") {
        QTest::mousePress(link, Qt::LeftButton);
        QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(link->width() + 5, 2));
    } else {
        QTest::mouseRelease(link, Qt::LeftButton);
    }
    QCOMPARE(opened.urls.size(), opens);
    for (const QUrl &url : std::as_const(opened.urls))
        QCOMPARE(url, QUrl::fromLocalFile(dir.path() + "/eula.rtf"));
    QVERIFY(box.isVisible());
    QVERIFY(boxes.shown.isEmpty());
    QVERIFY(!anyMessageBoxVisible());
}

void TestAbout::aboutBoxFollowsTheMainWindow()
{
    QWidget main;
    main.setGeometry(60, 40, 688, 446);
    main.show();
    TForm3 box(&main);
    box.show();
    const QPoint first = box.pos();
    QVERIFY(main.geometry().contains(box.geometry().center()));
    box.reject();
    main.move(main.pos() + QPoint(100, 50));
    box.show();
    QCOMPARE(box.pos(), first + QPoint(100, 50));
}

// A fixed dialog whose texts fit their lines in the faces this machine has.
void TestAbout::aboutBoxLook()
{
    TForm3 box;
    QCOMPARE(box.windowTitle(), QStringLiteral("О программе [Dustmote]"));
    QCOMPARE(box.minimumSize(), QSize(475, 210));
    QCOMPARE(box.maximumSize(), QSize(475, 210));
    const Qt::WindowFlags flags = box.windowFlags();
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    // Nothing but the terms link, reached by Tab, may take the keys from the box itself.
    const QList<QWidget *> children = box.findChildren<QWidget *>();
    for (QWidget *child : children)
        QCOMPARE(child->focusPolicy(), child == box.ui->Label4 ? Qt::TabFocus : Qt::NoFocus);
    const QList<QLabel *> oneLine = {box.ui->Label1, box.ui->Label3, box.ui->Label4};
    for (QLabel *label : oneLine) {
        QVERIFY(box.rect().contains(label->geometry()));
        const QFontMetrics fm(label->font());
        QVERIFY2(fm.horizontalAdvance(label->text()) <= label->width(), qPrintable(label->text()));
        QVERIFY2(fm.height() <= label->height(), qPrintable(label->objectName()));
    }
    QLabel *purpose = box.ui->Label2;
    QVERIFY(purpose->wordWrap());
    QVERIFY(purpose->heightForWidth(purpose->width()) <= purpose->height());
    // The title leaves room for its shadow, 2 pixels right and down.
    QLabel *title = box.ui->DmLabel1;
    QCOMPARE(title->text(), QStringLiteral("Dustmote 3.1"));
    QVERIFY(title->font().underline());
    const QFontMetrics tm(title->font());
    QVERIFY(tm.horizontalAdvance(title->text()) + 2 <= title->width());
    QVERIFY(tm.height() + 2 <= title->height());
}

void TestAbout::quoteClosesOnFirstKey_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::newRow("Shift alone") << int(Qt::Key_Shift) << QString();
    QTest::newRow("Ctrl alone") << int(Qt::Key_Control) << QString();
    QTest::newRow("Alt alone") << int(Qt::Key_Alt) << QString();
    QTest::newRow("letter") << int(Qt::Key_X) << "x";
    QTest::newRow("Cyrillic letter") << 0 << "ж";
    QTest::newRow("Enter") << int(Qt::Key_Return) << "\r";
    QTest::newRow("Esc") << int(Qt::Key_Escape) << "\x1b";
    QTest::newRow("Tab") << int(Qt::Key_Tab) << "\t";
    QTest::newRow("F1") << int(Qt::Key_F1) << QString();
}

void TestAbout::quoteClosesOnFirstKey()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    TForm4 quote;
    quote.show();
    QSignalSpy finished(&quote, &QDialog::finished);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&quote, &press);
    QVERIFY(!quote.isVisible());
    QCOMPARE(finished.count(), 1); // one key press ends one showing, once
    QCOMPARE(quote.result(), int(QDialog::Rejected));
}

void TestAbout::quoteClosesOnComposedCharacter()
{
    TForm4 quote;
    quote.show();
    QVERIFY(quote.testAttribute(Qt::WA_InputMethodEnabled));
    QInputMethodEvent preedit(QStringLiteral("´"), {});
    QApplication::sendEvent(&quote, &preedit);
    QVERIFY(quote.isVisible()); // still composing
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("é"));
    QApplication::sendEvent(&quote, &commit);
    QVERIFY(!quote.isVisible());
}

void TestAbout::quoteClosesOnFirstPress_data()
{
    QTest::addColumn<bool>("onQuote");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("window, left") << false << Qt::LeftButton;
    QTest::newRow("window, right") << false << Qt::RightButton;
    QTest::newRow("quote, left") << true << Qt::LeftButton;
    QTest::newRow("quote, middle") << true << Qt::MiddleButton;
}

void TestAbout::quoteClosesOnFirstPress()
{
    QFETCH(bool, onQuote);
    QFETCH(Qt::MouseButton, button);
    TForm4 quote;
    quote.show();
    QSignalSpy finished(&quote, &QDialog::finished);
    QWidget *target = onQuote ? static_cast<QWidget *>(quote.ui->DmLabel1) : &quote;
    const QPoint at = onQuote ? QPoint() : QPoint(5, 5);
    if (!onQuote)
        QCOMPARE(quote.childAt(at), nullptr);
    QTest::mousePress(target, button, {}, at);
    QVERIFY(!quote.isVisible());
    QTest::mouseRelease(target, button, {}, at);
    QCOMPARE(finished.count(), 1);
}

void TestAbout::quoteWindowLook()
{
    QWidget main;
    main.setGeometry(0, 0, 300, 200); // off centre, so the screen decides
    main.show();
    TForm4 quote(&main);
    QVERIFY(quote.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(quote.minimumSize(), QSize(551, 114));
    QCOMPARE(quote.maximumSize(), QSize(551, 114));
    quote.show(); // its text and face are set as it first shows
    QLabel *label = quote.ui->DmLabel1;
    QCOMPARE(label->text(), QStringLiteral("Каждому программисту ЭВМ выдает то, что он заслуживает."));
    QCOMPARE(label->pos(), QPoint(9, 46));
    QCOMPARE(label->width(), 532);
    const QFontMetrics fm(label->font());
    QVERIFY2(fm.horizontalAdvance(label->text()) <= label->width(), qPrintable(QFontInfo(label->font()).family()));
    QVERIFY(QFontMetrics(label->font()).height() <= label->height());
    quote.show();
    QCOMPARE(quote.geometry().center(), main.screen()->geometry().center());
    // Yellow on black, the way it is drawn.
    const QImage shot = quote.grab().toImage();
    QCOMPARE(shot.pixelColor(3, 3), QColor(0, 0, 0));
    bool yellow = false;
    for (int x = 9; x < 541 && !yellow; ++x)
        for (int y = 46; y < 68 && !yellow; ++y)
            yellow = shot.pixelColor(x, y) == QColor(255, 255, 0);
    QVERIFY(yellow);
}

void TestAbout::termsOfUseIsWellFormedRtf()
{
    QFile file(QStringLiteral(DUSTMOTE_EULA));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray rtf = file.readAll().trimmed();
    QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1251"));
    // RTF is 7-bit: other characters are escaped as bytes of the code page.
    QVERIFY(std::all_of(rtf.begin(), rtf.end(), [](char c) { return uchar(c) < 0x80; }));
    QByteArray bytes;
    int depth = 0;
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\' && i + 1 < rtf.size() && rtf[i + 1] == '\'') {
            bytes += char(rtf.mid(i + 2, 2).toInt(nullptr, 16));
            i += 3;
            continue;
        }
        if (rtf[i] == '\\') { // an escaped brace or backslash is text
            bytes += rtf.mid(i, 2);
            ++i;
            continue;
        }
        depth += rtf[i] == '{' ? 1 : rtf[i] == '}' ? -1 : 0;
        QVERIFY2(depth > 0 || i == rtf.size() - 1, "the document's group closes early");
        bytes += rtf[i];
    }
    QCOMPARE(depth, 0);
    const QString text = dm::cp1251::decode(bytes);
    QVERIFY(text.contains(QStringLiteral("не могут быть восстановлены")));
    QVERIFY(text.contains(QStringLiteral("без каких-либо гарантий")));
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
