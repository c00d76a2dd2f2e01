#include "CleanSchedule.h"

#include <QCoreApplication>
#include <QProcessEnvironment>
#include <utility>

namespace dm {

namespace {

QString &programOverride()
{
    static QString program;
    return program;
}

// systemctl's answers are short; anything longer is not one of them.
constexpr qint64 kMostOutput = 64 * 1024;
// After a kill the process ends at once; this only bounds the wait.
constexpr int kKilledWaitMs = 2000;

QString firstLine(const QString &text)
{
    return text.trimmed().section(QLatin1Char('\n'), 0, 0).trimmed();
}

// is-enabled's states that mean the timer will not run, and that enable may change.
bool offState(const QString &word)
{
    static const QStringList words = {
        QStringLiteral("disabled"), QStringLiteral("static"),   QStringLiteral("indirect"),
        QStringLiteral("linked"),   QStringLiteral("linked-runtime"), QStringLiteral("masked"),
        QStringLiteral("masked-runtime"), QStringLiteral("alias"), QStringLiteral("generated"),
        QStringLiteral("transient"), QStringLiteral("bad")};
    return words.contains(word);
}

bool missingUnit(const QString &out, const QString &err)
{
    return firstLine(out) == QLatin1String("not-found") || err.contains(QLatin1String("does not exist"))
        || err.contains(QLatin1String("No such file or directory"));
}

} // namespace

CleanSchedule::CleanSchedule(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<ScheduleAnswer>();
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CleanSchedule::timedOut);
}

CleanSchedule::~CleanSchedule()
{
    if (m_process)
        abandon();
    // The abandoned ones were killed; they end at once.
    for (QProcess *process : findChildren<QProcess *>(Qt::FindDirectChildrenOnly))
        process->waitForFinished(kKilledWaitMs);
}

void CleanSchedule::setProgram(const QString &program)
{
    programOverride() = program;
}

void CleanSchedule::ask()
{
    if (busy())
        return;
    m_turning = false;
    m_turnError.clear();
    run(Step::Asking, {QStringLiteral("--user"), QStringLiteral("is-enabled"), QString::fromUtf16(kTimer)});
}

void CleanSchedule::turn(bool on)
{
    // A plain ask gives way: the turn asks again when it is done.
    if (busy() && !m_turning)
        abandon();
    if (busy())
        return;
    m_wanted = on;
    m_turning = true;
    m_turnError.clear();
    run(Step::Turning, {QStringLiteral("--user"), on ? QStringLiteral("enable") : QStringLiteral("disable"),
                        QStringLiteral("--now"), QString::fromUtf16(kTimer)});
}

void CleanSchedule::run(Step step, const QStringList &arguments)
{
    m_step = step;
    m_process = std::make_unique<QProcess>();
    const QString program = programOverride();
    m_process->setProgram(program.isEmpty() ? QStringLiteral("systemctl") : program);
    m_process->setArguments(arguments);
    // Its messages are matched below; they must not come translated.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    m_process->setProcessEnvironment(environment);
    m_process->setStandardInputFile(QProcess::nullDevice());
    connect(m_process.get(), &QProcess::finished, this, &CleanSchedule::ran);
    connect(m_process.get(), &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            failedToStart();
    });
    m_timer.start(m_timeoutMs);
    m_process->start();
}

void CleanSchedule::ran(int exitCode, QProcess::ExitStatus status)
{
    m_timer.stop();
    const QString out = QString::fromLocal8Bit(m_process->read(kMostOutput));
    const QString err = QString::fromLocal8Bit(m_process->readAllStandardError().left(kMostOutput));
    // Deleted later: this runs inside its signal.
    m_process.release()->deleteLater();
    if (status == QProcess::CrashExit)
        exitCode = -1;

    switch (m_step) {
    case Step::Turning:
        if (exitCode != 0) {
            m_turnError = reason(exitCode, err);
            // A switch-on that failed half-way leaves the timer linked.
            if (m_wanted && m_known != ScheduleState::On) {
                run(Step::Undoing, {QStringLiteral("--user"), QStringLiteral("disable"),
                                    QString::fromUtf16(kTimer)});
                return;
            }
        }
        run(Step::Asking, {QStringLiteral("--user"), QStringLiteral("is-enabled"), QString::fromUtf16(kTimer)});
        return;
    case Step::Undoing:
        run(Step::Asking, {QStringLiteral("--user"), QStringLiteral("is-enabled"), QString::fromUtf16(kTimer)});
        return;
    case Step::Asking:
        asked(exitCode, out, err);
        return;
    case Step::AskingNext: {
        // "NextElapseUSecRealtime=@<seconds>"; anything else leaves it unknown.
        const QString value = firstLine(out).section(QLatin1Char('='), 1);
        bool ok = false;
        const qint64 seconds = value.startsWith(QLatin1Char('@')) ? value.mid(1).toLongLong(&ok) : 0;
        if (exitCode == 0 && ok && seconds > 0)
            m_answer.nextRun = QDateTime::fromSecsSinceEpoch(seconds);
        finish(ScheduleState::On, {});
        return;
    }
    case Step::Idle:
        return;
    }
}

void CleanSchedule::asked(int exitCode, const QString &out, const QString &err)
{
    m_answer = {};
    const QString word = firstLine(out);
    if (word == QLatin1String("enabled") || word == QLatin1String("enabled-runtime")) {
        run(Step::AskingNext, {QStringLiteral("--user"), QStringLiteral("show"), QString::fromUtf16(kTimer),
                               QStringLiteral("-p"), QStringLiteral("NextElapseUSecRealtime"),
                               QStringLiteral("--timestamp=unix")});
        return;
    }
    if (exitCode >= 0 && missingUnit(out, err))
        finish(ScheduleState::NotInstalled, {});
    else if (offState(word))
        finish(ScheduleState::Off, {});
    else
        finish(ScheduleState::Unknown, reason(exitCode == 0 ? 1 : exitCode, err));
}

void CleanSchedule::finish(ScheduleState state, const QString &askError)
{
    m_step = Step::Idle;
    m_known = state;
    ScheduleAnswer answer = std::exchange(m_answer, {});
    answer.state = state;
    if (m_turning) {
        answer.turnedOn = m_wanted;
        const ScheduleState wanted = m_wanted ? ScheduleState::On : ScheduleState::Off;
        if (!m_turnError.isEmpty())
            answer.error = m_turnError;
        else if (!askError.isEmpty())
            answer.error = askError;
        else if (state == ScheduleState::NotInstalled)
            answer.error = reason(1, QStringLiteral("does not exist"));
        else if (state != wanted) // systemctl said yes, the state says no
            answer.error = m_wanted ? QCoreApplication::translate("Dustmote", "Таймер остался выключен.")
                                    : QCoreApplication::translate("Dustmote", "Таймер остался включён.");
    } else {
        answer.error = askError;
    }
    m_turning = false;
    m_turnError.clear();
    emit answered(answer);
}

void CleanSchedule::failedToStart()
{
    m_timer.stop();
    m_process.release()->deleteLater();
    m_step = Step::Idle;
    ScheduleAnswer answer;
    if (m_turning)
        answer.turnedOn = m_wanted;
    m_turning = false;
    m_turnError.clear();
    answer.error = QCoreApplication::translate("Dustmote", "Не найдена программа systemctl.");
    emit answered(answer);
}

void CleanSchedule::abandon()
{
    // The systemctl is left to end on its own, no longer heard.
    m_timer.stop();
    QProcess *process = m_process.release();
    process->disconnect(this);
    process->setParent(this);
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->kill();
    m_step = Step::Idle;
    m_answer = {};
}

void CleanSchedule::timedOut()
{
    abandon();
    ScheduleAnswer answer;
    if (m_turning)
        answer.turnedOn = m_wanted;
    m_turning = false;
    m_turnError.clear();
    answer.error = QCoreApplication::translate("Dustmote", "systemctl не ответил за %1 с.").arg(m_timeoutMs / 1000.0);
    emit answered(answer);
}

QString CleanSchedule::reason(int exitCode, const QString &err) const
{
    if (err.contains(QLatin1String("Failed to connect to bus"))
        || err.contains(QLatin1String("DBUS_SESSION_BUS_ADDRESS")))
        return QCoreApplication::translate("Dustmote", "Нет связи со службой systemd пользователя.");
    if (missingUnit({}, err))
        return QCoreApplication::translate("Dustmote", "Таймер %1 не установлен.").arg(QString::fromUtf16(kTimer));
    if (exitCode < 0)
        return QCoreApplication::translate("Dustmote", "systemctl завершился аварийно.");
    const QString line = firstLine(err).left(300);
    if (!line.isEmpty())
        return QStringLiteral("systemctl: ") + line;
    return QCoreApplication::translate("Dustmote", "systemctl завершился с кодом %1.").arg(exitCode);
}

} // namespace dm
