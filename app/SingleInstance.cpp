#include "SingleInstance.h"

#include "ErrorBox.h"
#include "MessageBox.h"
#include "ShellPathWalk.h"
#include "UniqueFd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>

namespace dm {

namespace {

// A later start's request: "show\n", then "folder\n" and the folder's bytes
// up to the end of the connection when it was given one.
const QByteArray kShow = QByteArrayLiteral("show\n");
const QByteArray kFolder = QByteArrayLiteral("folder\n");
constexpr qsizetype kMaxRequest = 64 * 1024;

QByteArray folderOf(const QByteArray &request)
{
    return request.startsWith(kShow + kFolder) ? request.mid(kShow.size() + kFolder.size()) : QByteArray();
}

QString instanceFolder(const QString &folder)
{
    if (!folder.isEmpty())
        return folder;
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

// The file name of a process's executable; empty when it cannot be told.
QByteArray executableName(const QByteArray &pid)
{
    char target[4096];
    const ssize_t n = ::readlink("/proc/" + pid + "/exe", target, sizeof target);
    if (n <= 0 || n >= ssize_t(sizeof target))
        return {};
    QByteArray path(target, n);
    if (path.endsWith(" (deleted)")) // replaced by an update while it runs
        path.chop(10);
    return path.mid(path.lastIndexOf('/') + 1);
}

// The first bytes of a regular file, read without waiting on a FIFO.
QByteArray readSmallFile(const QString &path)
{
    const UniqueFd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    if (!fd)
        return {};
    QByteArray bytes(4096, '\0');
    struct stat st;
    const ssize_t n =
        ::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) ? ::read(fd.get(), bytes.data(), bytes.size()) : -1;
    bytes.resize(n > 0 ? n : 0);
    return bytes;
}

} // namespace

bool lockNamesLiveCopy(const QString &path)
{
    // pid, program name, host name, machine id, boot id: one a line.
    const QList<QByteArray> lines = readSmallFile(path).split('\n');
    if (lines.size() < 3)
        return false;
    bool ok = false;
    const qint64 pid = lines[0].toLongLong(&ok);
    if (!ok || pid <= 0 || pid > INT_MAX)
        return false;
    const QByteArray machine = lines.value(3), boot = lines.value(4);
    if (!machine.isEmpty() ? machine != QSysInfo::machineUniqueId()
                           : QString::fromUtf8(lines[2]) != QSysInfo::machineHostName())
        return false; // another machine's: its process cannot be checked, nor hold this one
    if (!boot.isEmpty() && boot != QSysInfo::bootUniqueId())
        return false; // from before the last start of the machine
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return false;
    // The number may since belong to another program.
    const QByteArray name = executableName(lines[0]);
    return !name.isEmpty() && name == executableName("self");
}

SingleInstance::SingleInstance(const QString &folder)
    : m_socket(instanceFolder(folder) + QStringLiteral("/dustmote.socket")),
      m_lock(instanceFolder(folder) + QStringLiteral("/dustmote.lock")), m_server(kMaxRequest)
{
    // Stale only when its process is gone, never by age.
    m_lock.setStaleLockTime(0);
    connect(&m_server, &LocalListener::received, this, guarded([this](const QByteArray &request) {
        if (request.startsWith(kShow))
            emit activationRequested(folderOf(request));
    }));
}

bool SingleInstance::claim()
{
    QDir().mkpath(QFileInfo(m_socket).path());
    const QByteArray lock = QFile::encodeName(m_lock.fileName());
    // Anything but a regular file in the lock's place (a FIFO would make
    // every reader wait) is no lock at all.
    struct stat st;
    if (::lstat(lock.constData(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        ::unlink(lock.constData());
    bool claimed = m_lock.tryLock(0);
    // A lock that names no live copy of this program is stale. It is removed
    // only while no process holds the kernel's lock on it, so a live copy
    // whose file was garbled keeps its lock.
    if (!claimed && m_lock.error() == QLockFile::LockFailedError && !lockNamesLiveCopy(m_lock.fileName())
        && m_lock.removeStaleLockFile())
        claimed = m_lock.tryLock(0);
    if (!claimed)
        return false;
    // A socket left by a program that died is ours to replace.
    m_server.listen(m_socket);
    return true;
}

bool SingleInstance::activateRunning(const QByteArray &folder, int timeoutMs)
{
    QByteArray request = kShow;
    if (!folder.isEmpty())
        request += kFolder + normalisedFolderPath(folder);
    return sendLocal(m_socket, request, timeoutMs);
}

bool SingleInstance::handOver(const QByteArray &folder, int timeoutMs)
{
    if (activateRunning(folder, timeoutMs))
        return true;
    const QString text = m_lock.error() == QLockFile::LockFailedError
        ? QCoreApplication::translate("Dustmote", "Программа уже запущена, но не отвечает. Закройте её или завершите её "
                         "процесс и запустите программу снова.")
        : QCoreApplication::translate("Dustmote", "Программа не может быть запущена: не удалось создать файл «%1».")
              .arg(m_lock.fileName());
    messageBox({nullptr, QString::fromUtf16(kApplicationTitle), text, QMessageBox::Warning,
                QMessageBox::Ok, QMessageBox::Ok});
    return false;
}

} // namespace dm
