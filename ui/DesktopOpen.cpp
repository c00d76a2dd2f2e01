#include "DesktopOpen.h"

#include "UniqueFd.h"

#include <QDesktopServices>
#include <QFile>
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

// Starts xdg-open on "./name" in folder as a grandchild, so that nobody has to
// wait for it and it never lingers as a zombie. Only bytes cross: no text
// conversion can change the name. Everything the children need is prepared
// before the fork, which in a threaded program allows no allocation after it.
bool spawnOpener(const QByteArray &folder, const QByteArray &name)
{
    const QByteArray program = QFile::encodeName(QStandardPaths::findExecutable(QStringLiteral("xdg-open")));
    if (program.isEmpty() || name.isEmpty())
        return false;
    const QByteArray relative = "./" + name; // a name may begin with "-"
    char *const argv[] = {const_cast<char *>("xdg-open"), const_cast<char *>(relative.constData()),
                          nullptr};
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return false;
    UniqueFd startedRead(ends[0]), startedWrite(ends[1]);
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        ::setsid();
        if (::fork() != 0)
            ::_exit(0);
        if (::chdir(folder.constData()) == 0)
            ::execv(program.constData(), argv);
        const char failed = 1; // the pipe closes unwritten once exec succeeds
        [[maybe_unused]] const auto written = ::write(startedWrite.get(), &failed, 1);
        ::_exit(127);
    }
    startedWrite.reset();
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    char failed = 0;
    ssize_t got;
    while ((got = ::read(startedRead.get(), &failed, 1)) < 0 && errno == EINTR) {
    }
    return got == 0;
}

} // namespace

bool shellOpenFile(const QByteArray &folder, const QByteArray &name)
{
    return opener() ? opener()(folder, name) : spawnOpener(folder, name);
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
