#pragma once
// The cleaning timer of the user's service manager (dustmote-clean.timer,
// installed off): asked whether it is on, turned on and off, by running
// systemctl --user. Nothing here waits for systemctl: every request runs it
// asynchronously and ends in one answered() signal, which tells the timer's
// state as systemctl gives it after the request, so a window shows what is,
// not what was asked for. A request that failed in any way (no systemctl, no
// user service manager, the timer not installed, an error, no answer in time)
// carries a Russian reason and is never an answer of success.
//
// `systemctl --user enable --now` without a running user manager links the
// timer and then fails to start it, leaving it on for the next login; a
// failed switch-on undoes that link, so a failure changes nothing.

#include <QDateTime>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>

namespace dm {

enum class ScheduleState {
    Unknown,      // systemctl could not be asked, or gave an answer not understood
    Off,
    On,
    NotInstalled, // the unit files are not where the user's manager looks
};

struct ScheduleAnswer
{
    ScheduleState state = ScheduleState::Unknown;
    // Why the request failed; empty when it did what was asked.
    QString error;
    // When the timer runs next, when it is on and systemctl tells.
    std::optional<QDateTime> nextRun;
    // What a turn() asked for; none for an ask().
    std::optional<bool> turnedOn;
};

class CleanSchedule : public QObject
{
    Q_OBJECT
public:
    static constexpr char16_t kTimer[] = u"dustmote-clean.timer";
    static constexpr int kDefaultTimeoutMs = 20'000;

    explicit CleanSchedule(QObject *parent = nullptr);
    // A systemctl still running is killed.
    ~CleanSchedule() override;

    // The program run in place of `systemctl` (found on PATH) by every
    // schedule made afterwards; empty restores systemctl. For tests.
    static void setProgram(const QString &program);
    // How long one run of systemctl may take before it counts as failed.
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }

    // Whether a request runs; a new one waits until it has answered.
    bool busy() const { return m_step != Step::Idle; }
    // Asks whether the timer is on (and when it runs next). Ignored while busy.
    void ask();
    // Turns the timer on (`enable --now`) or off (`disable --now`), then asks
    // for its state. Ends a running ask(); ignored while another turn runs.
    void turn(bool on);

signals:
    void answered(const dm::ScheduleAnswer &answer);

private:
    enum class Step { Idle, Turning, Undoing, Asking, AskingNext };
    void run(Step step, const QStringList &arguments);
    void ran(int exitCode, QProcess::ExitStatus status);
    void failedToStart();
    void timedOut();
    // Stops listening to the running systemctl and kills it.
    void abandon();
    void asked(int exitCode, const QString &out, const QString &err);
    void finish(ScheduleState state, const QString &askError);
    // The user-facing reason for a run that failed.
    QString reason(int exitCode, const QString &err) const;

    Step m_step = Step::Idle;
    std::unique_ptr<QProcess> m_process;
    QTimer m_timer;
    int m_timeoutMs = kDefaultTimeoutMs;
    bool m_turning = false;        // the request is a turn(), not an ask()
    bool m_wanted = false;         // the state turn() was asked for
    ScheduleState m_known = ScheduleState::Unknown; // as last answered
    QString m_turnError;           // why the switch failed, told after the ask
    ScheduleAnswer m_answer;       // being filled by the ask
};

} // namespace dm

Q_DECLARE_METATYPE(dm::ScheduleAnswer)
