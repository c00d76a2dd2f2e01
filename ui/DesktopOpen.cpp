#include "DesktopOpen.h"

#include "UniqueFd.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dm {
namespace {

ShellHandler &handler()
{
    static ShellHandler h;
    return h;
}

FileOpener &opener()
{
    static FileOpener o;
    return o;
}

// Starts xdg-open on "./name" in folder as a great-grandchild watched by its
// parent, so that nobody has to wait for it and it never lingers as a
// zombie, while its exit status still comes back (through `status`, one
// byte) to tell a failure. Only bytes cross: no text conversion can change
// the name. Everything the children need is prepared before the fork, which
// in a threaded program allows no allocation after it.
bool spawnOpener(const QByteArray &folder, const QByteArray &name, UniqueFd &status)
{
    const QByteArray program = QFile::encodeName(QStandardPaths::findExecutable(QStringLiteral("xdg-open")));
    if (program.isEmpty() || name.isEmpty())
        return false;
    const QByteArray relative = "./" + name; // a name may begin with "-"
    char *const argv[] = {const_cast<char *>("xdg-open"), const_cast<char *>(relative.constData()),
                          nullptr};
    int ends[2], statusEnds[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return false;
    UniqueFd startedRead(ends[0]), startedWrite(ends[1]);
    if (::pipe2(statusEnds, O_CLOEXEC) != 0)
        return false;
    UniqueFd statusRead(statusEnds[0]), statusWrite(statusEnds[1]);
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        ::setsid();
        if (::fork() != 0)
            ::_exit(0);
        const pid_t opening = ::fork();
        if (opening == 0) {
            if (::chdir(folder.constData()) == 0)
                ::execv(program.constData(), argv);
            const char failed = 1; // the pipe closes unwritten once exec succeeds
            [[maybe_unused]] const auto written = ::write(startedWrite.get(), &failed, 1);
            ::_exit(127);
        }
        ::close(startedWrite.get());
        int ended = 0;
        while (opening > 0 && ::waitpid(opening, &ended, 0) < 0 && errno == EINTR) {
        }
        const char code = char(opening > 0 && WIFEXITED(ended) ? WEXITSTATUS(ended) : 255);
        [[maybe_unused]] const auto written = ::write(statusWrite.get(), &code, 1);
        ::_exit(0);
    }
    startedWrite.reset();
    statusWrite.reset();
    int ended = 0;
    while (::waitpid(child, &ended, 0) < 0 && errno == EINTR) {
    }
    char failed = 0;
    ssize_t got;
    while ((got = ::read(startedRead.get(), &failed, 1)) < 0 && errno == EINTR) {
    }
    if (got != 0)
        return false;
    status = std::move(statusRead);
    return true;
}

// Hands the opener's exit status to `failed` on the main thread when it is
// not 0; lives as long as the opener.
void watchOpener(UniqueFd status, OpenFailed failed)
{
    const int fd = status.release();
    auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier, fd, failed] {
        unsigned char code = 0;
        ssize_t got;
        while ((got = ::read(fd, &code, 1)) < 0 && errno == EINTR) {
        }
        notifier->setEnabled(false);
        notifier->deleteLater();
        ::close(fd);
        if (got == 1 && code != 0)
            failed(code);
    });
}

} // namespace

bool shellOpenFile(const QByteArray &folder, const QByteArray &name, OpenFailed failed)
{
    if (opener())
        return opener()(folder, name);
    UniqueFd status;
    if (!spawnOpener(folder, name, status))
        return false;
    if (failed)
        watchOpener(std::move(status), std::move(failed));
    return true;
}

QString openFailureReason(int status)
{
    switch (status) {
    case kOpenerMissing:
        return QCoreApplication::translate("Dustmote", "не найдена программа xdg-open, которая открывает "
                                                       "файлы программами рабочего стола");
    case 2:
        return QCoreApplication::translate("Dustmote", "файла больше нет");
    case 3:
        return QCoreApplication::translate("Dustmote", "на рабочем столе нет программы для файлов этого типа");
    case 4:
        return QCoreApplication::translate("Dustmote", "программа для файлов этого типа не смогла его открыть");
    default:
        return QCoreApplication::translate("Dustmote", "программа открытия файлов завершилась с кодом %1")
            .arg(status);
    }
}

FileOpener setFileOpener(FileOpener o)
{
    return std::exchange(opener(), std::move(o));
}

bool shellOpen(const QUrl &url)
{
    return handler() ? handler()(url) : QDesktopServices::openUrl(url);
}

ShellHandler setShellHandler(ShellHandler h)
{
    return std::exchange(handler(), std::move(h));
}

} // namespace dm
