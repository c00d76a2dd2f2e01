#include "PseudoFileSystem.h"

#include <QFile>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

namespace dm {

namespace {

// devtmpfs reports the tmpfs magic; the mount table tells them apart.
bool mountTableSaysDevtmpfs(dev_t dev)
{
    QFile f(QStringLiteral("/proc/self/mountinfo"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    const QByteArray key = QByteArray::number(major(dev)) + ':' + QByteArray::number(minor(dev));
    while (!f.atEnd()) {
        const QByteArray line = f.readLine();
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 3 || fields[2] != key)
            continue;
        const int sep = fields.indexOf("-");
        return sep >= 0 && sep + 1 < fields.size() && fields[sep + 1] == "devtmpfs";
    }
    return false;
}

} // namespace

bool isPseudoFileSystem(int fd)
{
    struct statfs sf;
    if (::fstatfs(fd, &sf) != 0)
        return false;
    switch (static_cast<unsigned long>(sf.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case PSTOREFS_MAGIC:
    case BPF_FS_MAGIC:
    case BINFMTFS_MAGIC:
    case EFIVARFS_MAGIC:
    case SELINUX_MAGIC:
    case NSFS_MAGIC:
    case 0x62656570: // configfs
    case 0x65735543: // fusectl
    case 0x19800202: // mqueue
    case 0x67596969: // rpc_pipefs
        return true;
    case TMPFS_MAGIC: {
        struct stat st;
        return ::fstat(fd, &st) == 0 && mountTableSaysDevtmpfs(st.st_dev);
    }
    default:
        return false;
    }
}

} // namespace dm
