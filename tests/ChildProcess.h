#pragma once
// Runs a piece of a test in a child process of its own: for a step that may
// hang (the child is killed after a while and the test fails instead of
// hanging), and for permission cases, which must run as an unprivileged user
// because root ignores file permissions.

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QString>
#include <QThread>

#include <csignal>
#include <functional>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dm::test {

// The user and group ids of "nobody".
inline constexpr uid_t kNobody = 65534;

// A second unprivileged user, for another local user who attacks the first.
inline constexpr uid_t kOtherUser = 65533;

// Runs body in a forked child as user and group `uid` (when this process runs
// as root; uid 0: as this process), and returns the child's exit code
// (body's result, 0 to 255), or -1 when the child had not ended after
// timeoutMs and was killed.
inline int runInChildAs(uid_t uid, const std::function<int()> &body, int timeoutMs)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (uid != 0 && ::geteuid() == 0
            && (::setgroups(0, nullptr) != 0 || ::setresgid(uid, uid, uid) != 0 || ::setresuid(uid, uid, uid) != 0))
            ::_exit(125);
        ::_exit(body());
    }
    if (pid < 0)
        return -1;
    const QDeadlineTimer deadline(timeoutMs);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (deadline.hasExpired()) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        QThread::msleep(10);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs body in a forked child, as "nobody" when asked and this process runs
// as root; as runInChildAs.
inline int runInChild(const std::function<int()> &body, bool unprivileged, int timeoutMs)
{
    return runInChildAs(unprivileged ? kNobody : 0, body, timeoutMs);
}

// Where a test that runs a case as "nobody" keeps its temporary files: the
// first of TMPDIR, /tmp, /var/tmp and /dev/shm that nobody may enter (TMPDIR
// may be root's alone); empty when none is. Not root: TMPDIR.
inline QString tempBaseForNobody()
{
    if (::geteuid() != 0)
        return QDir::tempPath();
    for (const QString &candidate : {QDir::tempPath(), QStringLiteral("/tmp"), QStringLiteral("/var/tmp"),
                                     QStringLiteral("/dev/shm")}) {
        const QByteArray path = QFile::encodeName(candidate);
        if (runInChild([&path] { return ::access(path.constData(), X_OK) == 0 ? 0 : 1; }, true, 10000) == 0)
            return candidate;
    }
    return {};
}

} // namespace dm::test
