#include "Trash.h"

#include "FileDeletion.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dm {

namespace {

constexpr char kInfoSuffix[] = ".trashinfo";
constexpr qsizetype kNameMax = 255;

std::optional<dev_t> deviceOf(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 ? std::optional<dev_t>(st.st_dev) : std::nullopt;
}

// The top of the mount that holds folder (no trailing "/"): its last
// ancestor on the same device.
QByteArray mountTop(QByteArray folder, dev_t device)
{
    while (folder.size() > 1 && folder.endsWith('/'))
        folder.chop(1);
    while (folder.size() > 1) {
        const qsizetype slash = folder.lastIndexOf('/');
        const QByteArray parent = slash <= 0 ? QByteArray("/") : folder.left(slash);
        if (deviceOf(parent) != device)
            break;
        folder = parent;
    }
    return folder;
}

// A folder of the user's own, made where missing; never through a link.
bool ownFolder(const QByteArray &path)
{
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

// The n-th name tried for a file: the name itself, then "f.2.tmp",
// "f.3.tmp", ... (the extension kept, so that it still shows), short
// enough that its record's name fits the file system.
QByteArray candidate(const QByteArray &name, int n)
{
    if (n == 1 && name.size() + qsizetype(sizeof kInfoSuffix) - 1 <= kNameMax)
        return name;
    const QByteArray number = '.' + QByteArray::number(n);
    const qsizetype dot = name.lastIndexOf('.');
    QByteArray stem = dot > 0 ? name.left(dot) : name;
    QByteArray ext = dot > 0 ? name.mid(dot) : QByteArray();
    const qsizetype room = kNameMax - (qsizetype(sizeof kInfoSuffix) - 1) - number.size();
    if (ext.size() > room / 2)
        ext.clear();
    stem.truncate(room - ext.size());
    return stem + number + ext;
}

QByteArray deletionDate()
{
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    char text[32] = {};
    if (localtime_r(&now, &tm))
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &tm);
    return text;
}

} // namespace

QByteArray homeTrashFolder()
{
    return QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        + "/Trash/";
}

TrashCan::TrashCan() = default;

TrashCan::~TrashCan() = default;

TrashCan::Bin TrashCan::open(const QByteArray &folder, const QByteArray &top)
{
    Bin bin;
    if (!ownFolder(folder.chopped(1)) || !ownFolder(folder + "files") || !ownFolder(folder + "info"))
        return bin;
    bin.files.reset(::open((folder + "files").constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    bin.info.reset(::open((folder + "info").constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (bin.files && bin.info) {
        bin.folder = folder;
        bin.top = top;
    }
    return bin;
}

TrashCan::Bin &TrashCan::binFor(dev_t device, const QByteArray &path)
{
    const auto it = m_bins.find(device);
    if (it != m_bins.end())
        return it->second;
    Bin bin;
    const QByteArray home = homeTrashFolder();
    QDir().mkpath(QFile::decodeName(home.chopped(1)));
    if (deviceOf(home.chopped(1)) == device) {
        bin = open(home, {});
    } else {
        // Another mount: the shared trash where the administrator made one
        // (a folder with the sticky bit, not a link), else the user's own.
        const QByteArray top = mountTop(path.left(path.lastIndexOf('/') + 1), device);
        const QByteArray base = top == "/" ? QByteArray("/") : top + '/';
        const QByteArray uid = QByteArray::number(::getuid());
        struct stat st;
        if (::lstat((base + ".Trash").constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX))
            bin = open(base + ".Trash/" + uid + '/', top);
        if (bin.folder.isEmpty())
            bin = open(base + ".Trash-" + uid + '/', top);
        if (!bin.folder.isEmpty() && deviceOf(bin.folder.chopped(1)) != device)
            bin = {}; // a trash elsewhere would need a copy: none
    }
    return m_bins.emplace(device, std::move(bin)).first->second;
}

int TrashCan::put(int dirFd, const QByteArray &name, const QByteArray &path, Placed *placed)
{
    struct stat st;
    if (::fstat(dirFd, &st) != 0)
        return errno;
    Bin &bin = binFor(st.st_dev, path);
    if (bin.folder.isEmpty())
        return kNoTrash;
    const QByteArray recorded = bin.top.isEmpty() ? path : path.mid(bin.top.size() + (bin.top != "/"));
    const QByteArray info = "[Trash Info]\nPath=" + recorded.toPercentEncoding("/") + "\nDeletionDate="
        + deletionDate() + '\n';
    int &next = m_nextNumber[bin.folder + name];
    for (int n = std::max(next, 1);; ++n) {
        const QByteArray trashName = candidate(name, n);
        const QByteArray infoName = trashName + kInfoSuffix;
        // The record first: creating it claims the name.
        UniqueFd fd(::openat(bin.info.get(), infoName.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600));
        if (!fd && errno == EEXIST)
            continue;
        if (!fd)
            return errno;
        const bool written = ::write(fd.get(), info.constData(), size_t(info.size())) == info.size();
        fd.reset();
        int error = written ? 0 : EIO;
        if (!error
            && ::renameat2(dirFd, name.constData(), bin.files.get(), trashName.constData(), RENAME_NOREPLACE) != 0)
            error = errno;
        if (error) {
            ::unlinkat(bin.info.get(), infoName.constData(), 0);
            if (error == EEXIST) // a leftover in files/ without its record
                continue;
            return error == EXDEV ? kNoTrash : error;
        }
        next = n + 1;
        *placed = {bin.folder, trashName};
        return 0;
    }
}

} // namespace dm
