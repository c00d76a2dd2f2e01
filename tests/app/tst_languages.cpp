// The program in the desktop's language: Russian as written for Russian,
// C, POSIX or no locale; English for any other, with every visible text
// translated and numbers and dates in the same language's conventions.

#include "DateTime.h"
#include "DmGroup.h"
#include "DmGroupBar.h"
#include "Languages.h"
#include "ScanFixture.h"
#include "ScanTexts.h"
#include "Unit2.h"
#include "Unit3.h"

#include <QAbstractButton>
#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>

namespace {

bool hasCyrillic(const QString &text)
{
    static const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
    return cyrillic.match(text).hasMatch();
}

// Every text a user can see or hear of the window and what it owns: window
// titles, labels, buttons, menus and their items, tooltips, names given to
// screen readers, the task pane's captions and links, the lists' headers.
// The catalog's rows are the user's data and are not walked.
QStringList untranslated(QWidget *window)
{
    QStringList left;
    auto check = [&](const QObject *owner, const QString &what, const QString &text) {
        if (hasCyrillic(text))
            left << QStringLiteral("%1 (%2): \"%3\"").arg(owner->objectName(), what, text);
    };
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *w : widgets) {
        check(w, u"title"_qs, w->windowTitle());
        check(w, u"tooltip"_qs, w->toolTip());
        check(w, u"name"_qs, w->accessibleName());
        check(w, u"description"_qs, w->accessibleDescription());
        if (auto *label = qobject_cast<QLabel *>(w))
            check(w, u"text"_qs, label->text());
        if (auto *button = qobject_cast<QAbstractButton *>(w))
            check(w, u"text"_qs, button->text());
        if (auto *spin = qobject_cast<QSpinBox *>(w))
            check(w, u"suffix"_qs, spin->suffix());
        if (auto *menu = qobject_cast<QMenu *>(w))
            check(w, u"menu"_qs, menu->title());
        if (auto *group = qobject_cast<TDmGroup *>(w)) {
            check(w, u"caption"_qs, group->Caption());
            for (TDmGroupItem *item : group->Items())
                check(w, u"link"_qs, item->Caption());
        }
        if (auto *header = qobject_cast<QHeaderView *>(w); header && header->model())
            for (int i = 0; i < header->count(); ++i)
                check(w->parent(), u"header"_qs, header->model()->headerData(i, header->orientation()).toString());
        for (QAction *action : w->actions()) {
            check(w, u"action"_qs, action->text());
            check(w, u"action tip"_qs, action->toolTip());
        }
    }
    left.removeDuplicates();
    return left;
}

} // namespace

class TestLanguages : public QObject, protected dm::test::ScanFixture
{
    Q_OBJECT
private slots:
    void init() { setUp(); }
    void cleanup()
    {
        tearDown();
        dm::installLanguage(dm::Language::Russian);
    }
    void languageFollowsTheDesktop_data();
    void languageFollowsTheDesktop();
    void englishWindowsLeaveNoRussianText_data();
    void englishWindowsLeaveNoRussianText();
    void numbersAndDatesFollowTheLanguageShown_data();
    void numbersAndDatesFollowTheLanguageShown();
};

void TestLanguages::languageFollowsTheDesktop_data()
{
    QTest::addColumn<QByteArrayList>("env"); // name=value pairs
    QTest::addColumn<bool>("english");
    QTest::newRow("nothing set") << QByteArrayList{} << false;
    QTest::newRow("C") << QByteArrayList{"LANG=C"} << false;
    QTest::newRow("C.UTF-8") << QByteArrayList{"LANG=C.UTF-8"} << false;
    QTest::newRow("POSIX") << QByteArrayList{"LC_ALL=POSIX", "LANG=de_DE.UTF-8"} << false;
    QTest::newRow("Russian") << QByteArrayList{"LANG=ru_RU.UTF-8"} << false;
    QTest::newRow("English") << QByteArrayList{"LANG=en_GB.UTF-8"} << true;
    QTest::newRow("German") << QByteArrayList{"LANG=de_DE.UTF-8"} << true;
    QTest::newRow("messages Russian, rest German") << QByteArrayList{"LANG=de_DE.UTF-8", "LC_MESSAGES=ru_RU.UTF-8"} << false;
    QTest::newRow("LANGUAGE first") << QByteArrayList{"LANG=en_US.UTF-8", "LANGUAGE=ru:en"} << false;
    QTest::newRow("LANGUAGE under C") << QByteArrayList{"LANG=C", "LANGUAGE=en"} << false;
}

void TestLanguages::languageFollowsTheDesktop()
{
    QFETCH(QByteArrayList, env);
    QFETCH(bool, english);
    const auto lookup = [&](const char *name) {
        for (const QByteArray &pair : env)
            if (pair.startsWith(QByteArray(name) + '='))
                return pair.mid(int(qstrlen(name)) + 1);
        return QByteArray();
    };
    QCOMPARE(dm::chooseLanguage(lookup) == dm::Language::English, english);
}

void TestLanguages::englishWindowsLeaveNoRussianText_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("main window") << "main";
    QTest::newRow("add-type dialog") << "add type";
    QTest::newRow("about box") << "about";
}

// The English translation covers every visible text. A text added in Russian
// without its translation is named here, to be added to the translation
// (tools/refresh-translation.sh, then the .ts file).
void TestLanguages::englishWindowsLeaveNoRussianText()
{
    QFETCH(QString, window);
    QVERIFY(dm::installLanguage(dm::Language::English));
    auto form = makeForm({});
    QCOMPARE(form->ui->ActionMainMenuBar1->actions().first()->text(), u"&File"_qs);
    QCOMPARE(form->ui->DmGroup1->Caption(), u"Step one"_qs);
    QCOMPARE(form->ui->BitBtn1->text(), u"Delete selected"_qs);
    std::unique_ptr<QWidget> other;
    if (window == "add type")
        other = std::make_unique<TForm2>(form.get());
    else if (window == "about")
        other = std::make_unique<TForm3>(form.get());
    const QStringList left = untranslated(other ? other.get() : form.get());
    if (!left.isEmpty())
        qWarning("Untranslated:\n%s", qPrintable(left.join(u'\n')));
    QVERIFY2(left.isEmpty(), "texts without an English translation, listed above");
}

void TestLanguages::numbersAndDatesFollowTheLanguageShown_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("date");
    QTest::newRow("Russian") << false << "3 Папок(ки) просканировано и 5 файлов(ла) найдено - 1,250 за секунд(ды)"
                             << "28.12.2000 23:58:58";
    QTest::newRow("English") << true << "3 folder(s) scanned and 5 file(s) found - 1.250 second(s)"
                             << "12/28/00 11:58:58 PM";
}

// One convention per screen: the decimal mark and the date's form are those
// of the language the texts are in, whatever the tests' own locale (C).
void TestLanguages::numbersAndDatesFollowTheLanguageShown()
{
    QFETCH(bool, english);
    QFETCH(QString, summary);
    QFETCH(QString, date);
    QVERIFY(dm::installLanguage(english ? dm::Language::English : dm::Language::Russian));
    QCOMPARE(dm::ScanSummary(3, 5, 1.25), summary);
    QCOMPARE(dm::DateTimeToText(QDate(2000, 12, 28), QTime(23, 58, 58)).simplified(), date);
}

QTEST_MAIN(TestLanguages)
#include "tst_languages.moc"
