// The cleaning timer from the window, against a stand-in systemctl that keeps
// the timer's state in a file the way the real one keeps its link: asking,
// turning on and off, each way systemctl can fail, the menu's check after
// each answer, and the last clean's record in the settings store.

#include "CleanSchedule.h"
#include "FakeSystemctl.h"
#include "Exception.h"
#include "RecordedBoxes.h"
#include "Registry.h"
#include "ScopedLimit.h"
#include "Sound.h"
#include "Statistics.h"
#include "Unit1.h"
#include "ui_Unit1.h"

#include <QDir>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <bit>
#include <cmath>

using dm::ScheduleState;

namespace {

const QString kOn = QStringLiteral("--user enable --now dustmote-clean.timer");
const QString kOff = QStringLiteral("--user disable --now dustmote-clean.timer");
const QString kUndo = QStringLiteral("--user disable dustmote-clean.timer");
const QString kAsk = QStringLiteral("--user is-enabled dustmote-clean.timer");
const QString kNext = QStringLiteral("--user show dustmote-clean.timer -p NextElapseUSecRealtime --timestamp=unix");
const QString kNoBus = QStringLiteral("Нет связи со службой systemd пользователя.");
const QString kNotInstalled = QStringLiteral("Таймер dustmote-clean.timer не установлен.");
const QString kMissing = QStringLiteral("Не найдена программа systemctl.");
const QString kNoAnswer = QStringLiteral("systemctl не ответил за 0.3 с.");
constexpr int kShortTimeoutMs = 300;

QByteArray lastCleanBytes(double when, qint32 files, qint64 kiloBytes, int size = 20)
{
    QByteArray bytes(20, '\0');
    qToLittleEndian(std::bit_cast<quint64>(when), bytes.data());
    qToLittleEndian(files, bytes.data() + 8);
    qToLittleEndian(kiloBytes, bytes.data() + 12);
    bytes.resize(size, '\0');
    return bytes;
}

} // namespace

class TestSchedule : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void ask_data();
    void ask();
    void turn_data();
    void turn();
    void turnEndsAnAsk();
    void menuCheckFollowsSystemctl_data();
    void menuCheckFollowsSystemctl();

    void lastCleanRoundTrip_data();
    void lastCleanRoundTrip();
    void unreadableLastClean_data();
    void unreadableLastClean();
    void lastCleanNotStored_data();
    void lastCleanNotStored();

private:
    // The stand-in's state and mode; `installed` false leaves no program there.
    void fake(const QString &state, const QString &mode, bool installed = true);
    QStringList calls() const;
    QString fakeState() const;
    void storeRaw(quint32 type, const QByteArray &data, const QString &name = QStringLiteral("LastClean"));
    dm::ScheduleAnswer await(dm::CleanSchedule &schedule, QSignalSpy &spy);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<dm::test::RecordedBoxes> m_boxes;
};

void TestSchedule::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkpath("config") && QDir(m_dir->path()).mkpath("home")
            && QDir(m_dir->path()).mkpath("bin"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->filePath("config")));
    qputenv("HOME", QFile::encodeName(m_dir->filePath("home")));
    dm::setSoundHandler([](const QString &) {});
    m_boxes = std::make_unique<dm::test::RecordedBoxes>();
}

void TestSchedule::cleanup()
{
    dm::CleanSchedule::setProgram({});
    m_boxes.reset();
}

void TestSchedule::fake(const QString &state, const QString &mode, bool installed)
{
    const QString bin = m_dir->filePath("bin/");
    for (const auto &[name, text] : {std::pair{"state", state}, std::pair{"mode", mode}}) {
        QFile file(bin + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8() + '\n');
    }
    dm::CleanSchedule::setProgram(bin + "systemctl");
    if (!installed)
        return;
    QFile program(bin + "systemctl");
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.write(dm::test::kFakeSystemctl);
    program.close();
    QVERIFY(program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

QStringList TestSchedule::calls() const
{
    QFile file(m_dir->filePath("bin/calls"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

QString TestSchedule::fakeState() const
{
    QFile file(m_dir->filePath("bin/state"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed() : QString();
}

void TestSchedule::storeRaw(quint32 type, const QByteArray &data, const QString &name)
{
    dm::Registry reg;
    dm::RegKey key;
    QCOMPARE(reg.createKey(dm::Registry::currentUser(), "Software\\Dustmote", &key), dm::ERROR_SUCCESS);
    QCOMPARE(reg.setValue(key, name, type, data), dm::ERROR_SUCCESS);
}

dm::ScheduleAnswer TestSchedule::await(dm::CleanSchedule &schedule, QSignalSpy &spy)
{
    if (spy.isEmpty() && !spy.wait(10'000))
        return {ScheduleState::Unknown, QStringLiteral("<no answer>"), {}, {}};
    [&] { QCOMPARE(spy.size(), 1); }();
    [&] { QVERIFY(!schedule.busy()); }();
    return spy.takeFirst().at(0).value<dm::ScheduleAnswer>();
}

void TestSchedule::ask_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<ScheduleState>("answer");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("asked");

    QTest::newRow("on, with its next run") << "enabled" << "" << true << ScheduleState::On << "" << QStringList{kAsk, kNext};
    QTest::newRow("off") << "disabled" << "" << true << ScheduleState::Off << "" << QStringList{kAsk};
    QTest::newRow("not installed") << "not-found" << "" << true << ScheduleState::NotInstalled << "" << QStringList{kAsk};
    QTest::newRow("an answer not understood") << "sideways" << "" << true << ScheduleState::Unknown
                                              << "systemctl завершился с кодом 1." << QStringList{kAsk};
    QTest::newRow("systemctl missing") << "enabled" << "" << false << ScheduleState::Unknown << kMissing << QStringList{};
    QTest::newRow("no answer in time") << "enabled" << "hang" << true << ScheduleState::Unknown << kNoAnswer
                                       << QStringList{kAsk};
    QTest::newRow("crashes") << "enabled" << "crash" << true << ScheduleState::Unknown
                             << "systemctl завершился аварийно." << QStringList{kAsk};
}

void TestSchedule::ask()
{
    QFETCH(QString, state);
    QFETCH(QString, mode);
    QFETCH(bool, installed);
    QFETCH(ScheduleState, answer);
    QFETCH(QString, error);
    QFETCH(QStringList, asked);
    fake(state, mode, installed);
    dm::CleanSchedule schedule;
    schedule.setTimeout(kShortTimeoutMs);
    QSignalSpy spy(&schedule, &dm::CleanSchedule::answered);
    schedule.ask();
    const dm::ScheduleAnswer got = await(schedule, spy);
    QCOMPARE(got.state, answer);
    QCOMPARE(got.error, error);
    QVERIFY(!got.turnedOn);
    QCOMPARE(calls(), asked);
    // The next run only comes with a timer that is on.
    QCOMPARE(got.nextRun, answer == ScheduleState::On ? std::optional(QDateTime::fromSecsSinceEpoch(1767225600))
                                                        : std::nullopt);
}

void TestSchedule::turn_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("on");
    QTest::addColumn<ScheduleState>("answer");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("ran");
    QTest::addColumn<QString>("after"); // the timer's state left behind

    QTest::newRow("on") << "disabled" << "" << true << true << ScheduleState::On << ""
                        << QStringList{kOn, kAsk, kNext} << "enabled";
    QTest::newRow("off") << "enabled" << "" << true << false << ScheduleState::Off << ""
                         << QStringList{kOff, kAsk} << "disabled";
    QTest::newRow("on, not installed") << "not-found" << "" << true << true << ScheduleState::NotInstalled
                                       << kNotInstalled << QStringList{kOn, kUndo, kAsk} << "not-found";
    // The half-made link would start the timer at the next login: undone.
    QTest::newRow("on, no user manager") << "disabled" << "nobus" << true << true << ScheduleState::Off << kNoBus
                                         << QStringList{kOn, kUndo, kAsk} << "disabled";
    QTest::newRow("off, no user manager") << "enabled" << "nobus" << true << false << ScheduleState::Off << kNoBus
                                          << QStringList{kOff, kAsk} << "disabled";
    QTest::newRow("on, refused") << "disabled" << "refuse" << true << true << ScheduleState::Off
                                 << "systemctl: Failed to enable unit: Access denied"
                                 << QStringList{kOn, kUndo, kAsk} << "disabled";
    QTest::newRow("on, says yes and stays off") << "disabled" << "idle" << true << true << ScheduleState::Off
                                                << "Таймер остался выключен." << QStringList{kOn, kAsk} << "disabled";
    QTest::newRow("on, systemctl missing") << "disabled" << "" << false << true << ScheduleState::Unknown << kMissing
                                           << QStringList{} << "disabled";
    QTest::newRow("on, no answer in time") << "disabled" << "hang" << true << true << ScheduleState::Unknown
                                           << kNoAnswer << QStringList{kOn} << "disabled";
}

void TestSchedule::turn()
{
    QFETCH(QString, state);
    QFETCH(QString, mode);
    QFETCH(bool, installed);
    QFETCH(bool, on);
    QFETCH(ScheduleState, answer);
    QFETCH(QString, error);
    QFETCH(QStringList, ran);
    QFETCH(QString, after);
    fake(state, mode, installed);
    dm::CleanSchedule schedule;
    schedule.setTimeout(kShortTimeoutMs);
    QSignalSpy spy(&schedule, &dm::CleanSchedule::answered);
    schedule.turn(on);
    QVERIFY(schedule.busy());
    const dm::ScheduleAnswer got = await(schedule, spy);
    QCOMPARE(got.state, answer);
    QCOMPARE(got.error, error);
    QCOMPARE(got.turnedOn, std::optional(on));
    QCOMPARE(calls(), ran);
    QCOMPARE(fakeState(), after);
}

void TestSchedule::turnEndsAnAsk()
{
    // The user ticks while the menu's ask still waits: the tick is not lost.
    fake("disabled", "hang");
    dm::CleanSchedule schedule;
    QSignalSpy spy(&schedule, &dm::CleanSchedule::answered);
    schedule.ask();
    QTRY_COMPARE(calls(), QStringList{kAsk});
    fake("disabled", "");
    schedule.turn(true);
    const dm::ScheduleAnswer got = await(schedule, spy);
    QCOMPARE(got.state, ScheduleState::On);
    QCOMPARE(got.error, QString());
    QCOMPARE(calls(), (QStringList{kAsk, kOn, kAsk, kNext}));
}

void TestSchedule::menuCheckFollowsSystemctl_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("shownFirst"); // the check when the menu opens
    QTest::addColumn<bool>("shownAfter"); // after a click and systemctl's answer
    QTest::addColumn<QString>("box");     // the failure told; "" when none
    QTest::addColumn<QString>("reason");

    QTest::newRow("turned on") << "disabled" << "" << true << false << true << "" << "";
    QTest::newRow("turned off") << "enabled" << "" << true << true << false << "" << "";
    QTest::newRow("no user manager") << "disabled" << "nobus" << true << false << false
                                     << "Не удалось включить чистку по расписанию." << kNoBus;
    QTest::newRow("refused to stop") << "enabled" << "refuse" << true << true << true
                                     << "Не удалось выключить чистку по расписанию."
                                     << "systemctl: Failed to disable unit: Access denied";
    QTest::newRow("systemctl missing") << "disabled" << "" << false << false << false
                                       << "Не удалось включить чистку по расписанию." << kMissing;
}

void TestSchedule::menuCheckFollowsSystemctl()
{
    QFETCH(QString, state);
    QFETCH(QString, mode);
    QFETCH(bool, installed);
    QFETCH(bool, shownFirst);
    QFETCH(bool, shownAfter);
    QFETCH(QString, box);
    QFETCH(QString, reason);
    fake(state, mode, installed);
    TForm1 form(m_dir->filePath("dustmote"));
    m_boxes->shown.clear(); // the missing catalog's box at start-up
    QSignalSpy spy(form.Schedule, &dm::CleanSchedule::answered);
    QMenu *service = form.ui->ActionMainMenuBar1->actions().at(2)->menu();
    QCOMPARE(service->actions().mid(service->actions().size() - 3).at(1), form.ActionSchedule);
    QVERIFY(form.ActionSchedule->isCheckable() && !form.ActionSchedule->isChecked());

    emit service->aboutToShow();
    await(*form.Schedule, spy);
    QCOMPARE(form.ActionSchedule->isChecked(), shownFirst);
    QVERIFY(m_boxes->shown.isEmpty()); // an ask tells nothing

    form.ActionSchedule->trigger();
    // Until systemctl answers, the check stays and the action waits.
    QCOMPARE(form.ActionSchedule->isChecked(), shownFirst);
    QVERIFY(!form.ActionSchedule->isEnabled());
    await(*form.Schedule, spy);
    QVERIFY(form.ActionSchedule->isEnabled());
    QCOMPARE(form.ActionSchedule->isChecked(), shownAfter);
    if (box.isEmpty()) {
        QVERIFY(m_boxes->shown.isEmpty());
        QCOMPARE(form.spoken(), shownAfter ? "Чистка по расписанию включена." : "Чистка по расписанию выключена.");
        QCOMPARE(form.ActionSchedule->statusTip().startsWith("Следующая чистка: "), shownAfter);
    } else {
        QCOMPARE(m_boxes->shown.size(), 1);
        QCOMPARE(m_boxes->shown[0].text, box);
        QCOMPARE(m_boxes->shown[0].informative, reason);
        QCOMPARE(m_boxes->shown[0].owner, &form);
    }
}

void TestSchedule::lastCleanRoundTrip_data()
{
    QTest::addColumn<dm::TDateTime>("when");
    QTest::addColumn<qint32>("files");
    QTest::addColumn<qint64>("kiloBytes");

    QTest::newRow("a week's cache") << dm::EncodeDateTime(2025, 6, 9, 3, 0, 12) << 1234 << qint64(56789);
    QTest::newRow("nothing to remove") << dm::EncodeDate(2025, 1, 1) << 0 << qint64(0);
    // More than 32 bits of kilobytes and the most files a count holds.
    QTest::newRow("the widest figures") << dm::EncodeDateTime(9999, 12, 31, 23, 59, 59) << INT32_MAX
                                        << (qint64(1) << 40);
}

void TestSchedule::lastCleanRoundTrip()
{
    QFETCH(dm::TDateTime, when);
    QFETCH(qint32, files);
    QFETCH(qint64, kiloBytes);
    dm::WriteLastClean({when, files, kiloBytes});
    const std::optional<dm::LastClean> read = dm::ReadLastClean();
    QVERIFY(read);
    QCOMPARE(read->when, when);
    QCOMPARE(read->files, files);
    QCOMPARE(read->kiloBytes, kiloBytes);
    // The menu's line, figures in the digits of the language shown.
    fake("disabled", "");
    TForm1 form(m_dir->filePath("dustmote"));
    const QLocale locale;
    QCOMPARE(form.ActionLastClean->text(),
             QString("Последняя чистка без окна: %1, удалено файлов: %2 (%3 KB)")
                 .arg(dm::DateTimeToText(when), locale.toString(files), locale.toString(kiloBytes)));
    QVERIFY(!form.ActionLastClean->isEnabled());
}

void TestSchedule::unreadableLastClean_data()
{
    QTest::addColumn<quint32>("type"); // REG_NONE: nothing stored
    QTest::addColumn<QByteArray>("data");

    const double when = dm::EncodeDate(2025, 6, 9);
    QTest::newRow("never stored") << quint32(dm::REG_NONE) << QByteArray();
    QTest::newRow("a text") << quint32(dm::REG_SZ) << QByteArray("2025-06-09", 11);
    QTest::newRow("too short") << quint32(dm::REG_BINARY) << lastCleanBytes(when, 1, 1, 19);
    QTest::newRow("too long") << quint32(dm::REG_BINARY) << lastCleanBytes(when, 1, 1, 21);
    QTest::newRow("no number") << quint32(dm::REG_BINARY) << lastCleanBytes(std::nan(""), 1, 1);
    QTest::newRow("after the year 9999") << quint32(dm::REG_BINARY) << lastCleanBytes(2958466.0, 1, 1);
    QTest::newRow("negative files") << quint32(dm::REG_BINARY) << lastCleanBytes(when, -1, 1);
    QTest::newRow("negative size") << quint32(dm::REG_BINARY) << lastCleanBytes(when, 1, -1);
}

void TestSchedule::unreadableLastClean()
{
    QFETCH(quint32, type);
    QFETCH(QByteArray, data);
    if (type != dm::REG_NONE)
        storeRaw(type, data);
    QVERIFY(!dm::ReadLastClean());
    // The window says there was none, and starts all the same.
    fake("disabled", "");
    TForm1 form(m_dir->filePath("dustmote"));
    QCOMPARE(form.ActionLastClean->text(), QStringLiteral("Чисток без окна ещё не было"));
    // Only the missing catalog is told.
    QCOMPARE(m_boxes->shown.size(), 1);
}

void TestSchedule::lastCleanNotStored_data()
{
    QTest::addColumn<bool>("fullDisk"); // else no folder for the store
    QTest::addColumn<QString>("error");
    QTest::newRow("no room for the store") << false << "Не удалось создать раздел Software\\Dustmote";
    QTest::newRow("full disk") << true << "Не удалось записать данные «LastClean»";
}

void TestSchedule::lastCleanNotStored()
{
    QFETCH(bool, fullDisk);
    QFETCH(QString, error);
    const dm::LastClean before{dm::EncodeDate(2025, 1, 1), 5, 50};
    const dm::LastClean clean{dm::EncodeDate(2025, 6, 9), 7, 70};
    QString told;
    if (fullDisk) {
        dm::WriteLastClean(before);
        storeRaw(dm::REG_BINARY, QByteArray(100, 'x'), QStringLiteral("Padding"));
        const dm::test::ScopedLimit limit(RLIMIT_FSIZE, 200);
        try {
            dm::WriteLastClean(clean);
        } catch (const dm::EWriteError &e) {
            told = e.message();
        }
    } else {
        // The config folder lies below a plain file.
        QFile plain(m_dir->filePath("plain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(plain.fileName()));
        try {
            dm::WriteLastClean(clean);
        } catch (const dm::EWriteError &e) {
            told = e.message();
        }
    }
    QCOMPARE(told, error);
    // What was stored before stays whole.
    const std::optional<dm::LastClean> read = dm::ReadLastClean();
    QCOMPARE(read.has_value(), fullDisk);
    if (fullDisk)
        QCOMPARE(read->files, before.files);
}

QTEST_MAIN(TestSchedule)
#include "tst_schedule.moc"
