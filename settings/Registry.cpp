#include "Registry.h"

#include "Exception.h"
#include "FileStream.h"
#include "UniqueFd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QDeadlineTimer>
#include <QMutex>
#include <QStandardPaths>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace dm {

namespace {

constexpr char16_t kRoot[] = u"HKEY_CURRENT_USER";

// The file as one operation sees it. Damaged and unreadable files read as
// empty; only a change treats them differently.
struct Snapshot
{
    enum State { Ok, Damaged, Unreadable } state = Ok;
    RegTree tree;
};

Snapshot load(const QString &path)
{
    // Without blocking: a FIFO in the file's place would otherwise wait for a
    // writer for ever. Only a regular file (at the end of its links) is read;
    // anything else reads as unreadable, so no change ever replaces it.
    UniqueFd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        const QFileInfo info(path);
        return {info.exists() || info.isSymLink() ? Snapshot::Unreadable : Snapshot::Ok, {}};
    }
    QFile file;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)
        || !file.open(fd.get(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return {Snapshot::Unreadable, {}};
    fd.release(); // the file closes it now
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {Snapshot::Unreadable, {}};
    if (bytes.isEmpty())
        return {}; // nothing to keep: an empty store
    std::optional<RegTree> tree = parseRegFile(bytes);
    if (!tree)
        return {Snapshot::Damaged, {}};
    return {Snapshot::Ok, std::move(*tree)};
}

// The file as the last read saw it, kept while the file stays the same
// version: a start-up that reads a dozen values parses the file once. Every
// change replaces the file (a new inode), and so does any other copy's.
std::shared_ptr<const Snapshot> read(const QString &path)
{
    static QMutex mutex;
    static QString cachedPath;
    static struct stat cachedStat{};
    static std::shared_ptr<const Snapshot> cached;
    struct stat st;
    const bool regular = ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
    const auto same = [&] {
        return cachedStat.st_dev == st.st_dev && cachedStat.st_ino == st.st_ino && cachedStat.st_size == st.st_size
            && cachedStat.st_mtim.tv_sec == st.st_mtim.tv_sec && cachedStat.st_mtim.tv_nsec == st.st_mtim.tv_nsec
            && cachedStat.st_ctim.tv_sec == st.st_ctim.tv_sec && cachedStat.st_ctim.tv_nsec == st.st_ctim.tv_nsec;
    };
    const QMutexLocker locker(&mutex);
    if (regular && cached && cachedPath == path && same())
        return cached;
    // Read after the look: what is read is never older than what was seen.
    auto snapshot = std::make_shared<const Snapshot>(load(path));
    if (regular && snapshot->state == Snapshot::Ok) {
        cached = snapshot;
        cachedPath = path;
        cachedStat = st;
    }
    return snapshot;
}

// Renames the damaged file to the first free ".damaged", ".damaged2", ...
// name; empty when it could not be moved.
QString moveAside(const QString &path)
{
    for (int n = 1; n < 10000; ++n) {
        const QString candidate = path + QStringLiteral(".damaged")
            + (n > 1 ? QString::number(n) : QString());
        const QFileInfo info(candidate);
        if (info.exists() || info.isSymLink())
            continue;
        return QFile::rename(path, candidate) ? candidate : QString();
    }
    return {};
}

struct NoticeState
{
    QMutex mutex;
    Registry::DamageNotice notice;
    bool told = false;
};

NoticeState &noticeState()
{
    static NoticeState state;
    return state;
}

void tellDamage(const QString &file, const QString &keptCopy)
{
    NoticeState &s = noticeState();
    Registry::DamageNotice notice;
    {
        const QMutexLocker lock(&s.mutex);
        if (s.told || !s.notice)
            return;
        s.told = true;
        notice = s.notice;
    }
    notice(file, keptCopy);
}

// The store's lock: flock on a lock file beside the store, which the kernel
// releases when its holder ends however it ends, so a killed program never
// leaves the store locked. The lock file itself stays and is never read.
class StoreLock
{
public:
    explicit StoreLock(const QString &path)
    {
        const QByteArray name = QFile::encodeName(path);
        // Never blocking in open(), whatever stands in the lock file's place.
        m_fd.reset(::open(name.constData(), O_RDWR | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0600));
        if (!m_fd) // a read-only folder or lock file: flock needs no write access
            m_fd.reset(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (!m_fd) {
            m_result = ERROR_ACCESS_DENIED;
            return;
        }
        // Another copy's change takes milliseconds; one that holds the lock far
        // longer is stuck (stopped), and the change fails rather than hang.
        const QDeadlineTimer deadline(kLockWaitMs);
        while (::flock(m_fd.get(), LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired()) {
                m_result = errno == EWOULDBLOCK ? ERROR_LOCK_VIOLATION : ERROR_ACCESS_DENIED;
                return;
            }
            QThread::msleep(5);
        }
    }
    StoreLock(const StoreLock &) = delete;
    StoreLock &operator=(const StoreLock &) = delete;

    RegResult result() const { return m_result; }

private:
    static constexpr int kLockWaitMs = 5000;
    UniqueFd m_fd; // closed with the lock, which releases it
    RegResult m_result = ERROR_SUCCESS;
};

// parent + "\" + subKey, or empty when subKey is not a valid key path.
QString childPath(const RegKey &parent, const QString &subKey)
{
    if (subKey.isEmpty())
        return parent.path();
    for (const QStringView part : QStringView(subKey).split(u'\\'))
        if (!isValidKeyName(part))
            return {};
    return parent.path() + u'\\' + subKey;
}

} // namespace

Registry::Registry(QString filePath) : m_path(std::move(filePath)) {}

RegKey Registry::currentUser()
{
    return RegKey(QString::fromUtf16(kRoot));
}

QString Registry::defaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Dustmote/registry.reg");
}

RegResult Registry::createKey(const RegKey &parent, const QString &subKey, RegKey *result)
{
    if (!parent.isOpen())
        return ERROR_INVALID_HANDLE;
    const QString path = childPath(parent, subKey);
    if (path.isEmpty() || !result)
        return ERROR_INVALID_PARAMETER;
    // An existing key is opened without touching the file.
    if (!read(m_path)->tree.keyExists(path)) {
        const RegResult r = change([&](RegTree &tree) {
            if (!tree.keyExists(path))
                tree.ensureKey(path);
        });
        if (r != ERROR_SUCCESS)
            return r;
    }
    *result = RegKey(path);
    return ERROR_SUCCESS;
}

RegResult Registry::openKey(const RegKey &parent, const QString &subKey, RegKey *result) const
{
    if (!parent.isOpen())
        return ERROR_INVALID_HANDLE;
    const QString path = childPath(parent, subKey);
    if (path.isEmpty() || !result)
        return ERROR_INVALID_PARAMETER;
    if (!read(m_path)->tree.keyExists(path))
        return ERROR_FILE_NOT_FOUND;
    *result = RegKey(path);
    return ERROR_SUCCESS;
}

RegResult Registry::queryValue(const RegKey &key, const QString &name, quint32 *type,
                               char *data, quint32 *size) const
{
    if (key.isOpen() && data && !size)
        return ERROR_INVALID_PARAMETER;
    QByteArray value;
    const RegResult result = readValue(key, name, type, &value);
    if (result != ERROR_SUCCESS)
        return result;
    const quint32 length = quint32(value.size());
    if (data) {
        if (*size < length) {
            *size = length;
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, value.constData(), length);
    }
    if (size)
        *size = length;
    return ERROR_SUCCESS;
}

RegResult Registry::readValue(const RegKey &key, const QString &name, quint32 *type,
                              QByteArray *data) const
{
    if (!key.isOpen())
        return ERROR_INVALID_HANDLE;
    if (!data)
        return ERROR_INVALID_PARAMETER;
    const std::shared_ptr<const Snapshot> snapshot = read(m_path);
    const RegKeyData *k = snapshot->tree.findKey(key.path());
    const RegValue *v = k ? k->findValue(name) : nullptr;
    if (!v)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = v->type;
    *data = v->data;
    return ERROR_SUCCESS;
}

RegResult Registry::setValue(const RegKey &key, const QString &name, quint32 type,
                             QByteArrayView data)
{
    if (!key.isOpen())
        return ERROR_INVALID_HANDLE;
    if (!isValidValueName(name))
        return ERROR_INVALID_PARAMETER;
    const QByteArray bytes = data.toByteArray();
    return change([&](RegTree &tree) {
        tree.ensureKey(key.path()).setValue(name, type, bytes);
    });
}

RegResult Registry::closeKey(RegKey &key)
{
    if (!key.isOpen())
        return ERROR_INVALID_HANDLE;
    key = RegKey();
    return ERROR_SUCCESS;
}

Registry::DamageNotice Registry::setDamageNotice(DamageNotice notice)
{
    NoticeState &s = noticeState();
    const QMutexLocker lock(&s.mutex);
    s.told = false;
    return std::exchange(s.notice, std::move(notice));
}

RegResult Registry::change(const std::function<void(RegTree &)> &edit)
{
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return ERROR_ACCESS_DENIED;
    QString kept;
    RegResult result = ERROR_SUCCESS;
    {
        // Held across read, change and replace: another copy's change in
        // between would otherwise be lost.
        const StoreLock lock(m_path + QStringLiteral(".lock"));
        if (lock.result() != ERROR_SUCCESS)
            return lock.result();
        Snapshot snapshot = load(m_path);
        if (snapshot.state == Snapshot::Damaged)
            kept = moveAside(m_path);
        if (snapshot.state == Snapshot::Unreadable
            || (snapshot.state == Snapshot::Damaged && kept.isEmpty())) {
            result = ERROR_ACCESS_DENIED; // never replace what could not be kept
        } else {
            edit(snapshot.tree);
            try {
                AtomicFileWriter writer(m_path);
                writer.write(formatRegFile(snapshot.tree));
                writer.commit();
            } catch (const Exception &) {
                result = ERROR_WRITE_FAULT;
            }
        }
    }
    // Told after the lock is released: the notice may wait for the user.
    if (!kept.isEmpty())
        tellDamage(m_path, kept);
    return result;
}

} // namespace dm
