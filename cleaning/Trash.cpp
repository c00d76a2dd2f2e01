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

// Folder `name` below parent, the user's own, not a link and not writable
// by others; made where missing when create.
int openOwn(int parent, const char *name, bool create, UniqueFd *out)
{
    if (create && ::mkdirat(parent, name, 0700) != 0 && errno != EEXIST)
        return errno;
    UniqueFd fd(::openat(parent, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd)
        return errno == ELOOP || errno == ENOTDIR ? int(kTrashNotOwn) : errno;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0)
        return errno;
    if (st.st_uid != ::getuid() || (st.st_mode & S_IWOTH))
        return kTrashNotOwn;
    *out = std::move(fd);
    return 0;
}

QByteArray uidText()
{
    return QByteArray::number(::getuid());
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

bool sharedTrashUsable(const struct stat &st, uid_t uid)
{
    return S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) && (st.st_uid == 0 || st.st_uid == uid);
}

QByteArray mountTopOf(const QByteArray &folder)
{
    const std::optional<dev_t> device = deviceOf(folder);
    return device ? mountTop(folder, *device) : folder;
}

QByteArray trashTop(const QByteArray &folder)
{
    for (const QByteArray &tail : {"/.Trash-" + uidText() + '/', "/.Trash/" + uidText() + '/'})
        if (folder.endsWith(tail)) {
            const QByteArray top = folder.chopped(tail.size());
            return top.isEmpty() ? QByteArray("/") : top;
        }
    return {};
}

int openTrashFolders(const QByteArray &folder, bool create, TrashBinFolders *out)
{
    const QByteArray home = homeTrashFolder();
    UniqueFd parent;
    QByteArray last;
    if (folder == home || (!create && trashTop(folder).isEmpty() && folder.endsWith("/Trash/"))) {
        // A data folder (this one, or the one a record made under another
        // setting names) is the user's as a whole, reached as any of their
        // files; its Trash must be the user's own.
        const QByteArray data = folder.chopped(int(sizeof "Trash/") - 1);
        if (create)
            QDir().mkpath(QFile::decodeName(data));
        parent.reset(::open(data.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        last = "Trash";
    } else {
        const QByteArray top = trashTop(folder);
        if (top.isEmpty())
            return kTrashNotOwn; // no trash of this user's
        UniqueFd topFd(::open(top.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!topFd)
            return errno;
        if (folder.endsWith("/.Trash-" + uidText() + '/')) {
            parent = std::move(topFd);
            last = ".Trash-" + uidText();
        } else {
            struct stat shared, opened;
            if (::fstatat(topFd.get(), ".Trash", &shared, AT_SYMLINK_NOFOLLOW) != 0)
                return errno;
            if (!sharedTrashUsable(shared, ::getuid()))
                return kTrashNotOwn;
            parent.reset(::openat(topFd.get(), ".Trash", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (parent && (::fstat(parent.get(), &opened) != 0 || opened.st_ino != shared.st_ino
                           || opened.st_dev != shared.st_dev || !sharedTrashUsable(opened, ::getuid())))
                return kTrashNotOwn; // swapped in between
            last = uidText();
        }
    }
    if (!parent)
        return errno;
    UniqueFd trash;
    TrashBinFolders folders;
    if (const int error = openOwn(parent.get(), last.constData(), create, &trash))
        return error;
    if (const int error = openOwn(trash.get(), "files", create, &folders.files))
        return error;
    if (const int error = openOwn(trash.get(), "info", create, &folders.info))
        return error;
    *out = std::move(folders);
    return 0;
}

TrashCan::TrashCan() = default;

TrashCan::~TrashCan() = default;

TrashCan::Bin TrashCan::open(const QByteArray &folder, const QByteArray &top)
{
    Bin bin;
    TrashBinFolders folders;
    if (openTrashFolders(folder, true, &folders) != 0)
        return bin;
    bin.files = std::move(folders.files);
    bin.info = std::move(folders.info);
    bin.folder = folder;
    bin.top = top;
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
        // the user may trust, else the user's own.
        const QByteArray top = mountTop(path.left(path.lastIndexOf('/') + 1), device);
        const QByteArray base = top == "/" ? QByteArray("/") : top + '/';
        struct stat st;
        if (::lstat((base + ".Trash").constData(), &st) == 0 && sharedTrashUsable(st, ::getuid()))
            bin = open(base + ".Trash/" + uidText() + '/', top);
        if (bin.folder.isEmpty())
            bin = open(base + ".Trash-" + uidText() + '/', top);
    }
    struct stat st;
    if (!bin.folder.isEmpty() && (::fstat(bin.files.get(), &st) != 0 || st.st_dev != device))
        bin = {}; // a trash elsewhere would need a copy: none
    return m_bins.emplace(device, std::move(bin)).first->second;
}

int TrashCan::put(int dirFd, const QByteArray &name, const QByteArray &path, Placed *placed,
                  TrashNotes *notes)
{
    struct stat st;
    if (::fstat(dirFd, &st) != 0)
        return errno;
    Bin &bin = binFor(st.st_dev, path);
    if (bin.folder.isEmpty())
        return kNoTrash;
    if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    const FileVersion version = FileVersion::of(st);
    const QByteArray recorded = bin.top.isEmpty() ? path : path.mid(bin.top.size() + (bin.top != "/"));
    const QByteArray info = "[Trash Info]\nPath=" + recorded.toPercentEncoding("/") + "\nDeletionDate="
        + deletionDate() + '\n';
    int &next = m_nextNumber[bin.folder + name];
    for (int n = std::max(next, 1);; ++n) {
        const Placed place{bin.folder, candidate(name, n)};
        const QByteArray infoName = place.name + kInfoSuffix;
        // Noted before anything moves, so that a kill at any point leaves
        // the way back knowing of the file.
        if (notes)
            notes->moving(path, place, version);
        // The record first: creating it claims the name.
        UniqueFd fd(::openat(bin.info.get(), infoName.constData(),
                             O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0600));
        int error = fd ? 0 : errno;
        if (fd) {
            const bool written = ::write(fd.get(), info.constData(), size_t(info.size())) == info.size();
            error = fd.close() == 0 && written ? 0 : EIO;
            if (!error
                && ::renameat2(dirFd, name.constData(), bin.files.get(), place.name.constData(), RENAME_NOREPLACE) != 0)
                error = errno;
            if (error)
                ::unlinkat(bin.info.get(), infoName.constData(), 0);
        }
        if (error) {
            if (notes)
                notes->notMoved(place);
            if (error == EEXIST) // a name taken, or a leftover in files/ without its record
                continue;
            return error == EXDEV ? kNoTrash : error;
        }
        next = n + 1;
        *placed = place;
        return 0;
    }
}

} // namespace dm
