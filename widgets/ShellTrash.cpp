#include <gio/gio.h>

#include "ShellTrash.h"

#include <cerrno>
#include <sys/stat.h>

namespace dm {

namespace {

int errnoOf(const GError *error)
{
    switch (error->code) {
    case G_IO_ERROR_NOT_FOUND: return ENOENT;
    case G_IO_ERROR_PERMISSION_DENIED: return EACCES;
    case G_IO_ERROR_READ_ONLY: return EROFS;
    case G_IO_ERROR_NO_SPACE: return ENOSPC;
    case G_IO_ERROR_BUSY: return EBUSY;
    case G_IO_ERROR_IS_DIRECTORY: return EISDIR;
    case G_IO_ERROR_FILENAME_TOO_LONG: return ENAMETOOLONG;
    case G_IO_ERROR_NOT_SUPPORTED: return -3;
    default: return EIO;
    }
}

} // namespace

HomeTrash homeTrash()
{
    HomeTrash trash{QByteArray(g_get_user_data_dir()) + "/Trash/", 0};
    struct stat st;
    if (::stat(g_get_home_dir(), &st) == 0)
        trash.homeDevice = st.st_dev;
    return trash;
}

int trashFile(const QByteArray &path)
{
    GFile *file = g_file_new_for_path(path.constData());
    GError *error = nullptr;
    const bool ok = g_file_trash(file, nullptr, &error);
    g_object_unref(file);
    if (ok)
        return 0;
    const int code = error && error->domain == G_IO_ERROR ? errnoOf(error) : EIO;
    g_clear_error(&error);
    return code;
}

} // namespace dm
