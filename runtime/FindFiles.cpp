#include "FindFiles.h"
#include "DateTime.h"

#include <cerrno>
#include <clocale>
#include <cstring>
#include <cwctype>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <locale.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <QFile>

namespace dm {

namespace {

constexpr unsigned char lowerAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

// The UTF-8 locale whose towlower folds letters; created once, never freed.
locale_t foldLocale()
{
    static const locale_t loc = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (!l)
            l = newlocale(LC_CTYPE_MASK, "en_US.UTF-8", static_cast<locale_t>(nullptr));
        return l;
    }();
    return loc;
}

char32_t foldChar(char32_t c)
{
    if (c < 0x80)
        return lowerAscii(static_cast<unsigned char>(c));
    if (c >= 0xDC80 && c <= 0xDCFF) // an undecodable byte
        return c;
    const locale_t loc = foldLocale();
    return loc ? static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), loc)) : c;
}

// UTF-8 to folded code points; an invalid byte b becomes U+DC00 + b so that it
// only ever equals itself.
void foldUtf8(std::string_view s, std::u32string &out)
{
    out.clear();
    const auto *p = reinterpret_cast<const unsigned char *>(s.data());
    const auto *end = p + s.size();
    while (p < end) {
        const unsigned char b = *p;
        char32_t c;
        int extra;
        if (b < 0x80) { c = b; extra = 0; }
        else if ((b & 0xE0) == 0xC0 && b >= 0xC2) { c = b & 0x1F; extra = 1; }
        else if ((b & 0xF0) == 0xE0) { c = b & 0x0F; extra = 2; }
        else if ((b & 0xF8) == 0xF0 && b <= 0xF4) { c = b & 0x07; extra = 3; }
        else { out.push_back(0xDC00 + b); ++p; continue; }
        if (end - p <= extra) { out.push_back(0xDC00 + b); ++p; continue; }
        bool ok = true;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80) { ok = false; break; }
            c = (c << 6) | (p[i] & 0x3F);
        }
        const bool overlong = (extra == 2 && c < 0x800) || (extra == 3 && (c < 0x10000 || c > 0x10FFFF));
        if (!ok || overlong || (c >= 0xD800 && c <= 0xDFFF)) {
            out.push_back(0xDC00 + b);
            ++p;
            continue;
        }
        out.push_back(foldChar(c));
        p += extra + 1;
    }
}

// Glob with "*" and "?" over already folded strings; one backtrack point is
// enough because a later "*" subsumes an earlier one.
template <typename Str, typename Pat>
bool glob(const Str &s, std::size_t n, const Pat &pat, std::size_t m)
{
    std::size_t si = 0, pi = 0, starP = std::size_t(-1), starS = 0;
    while (si < n) {
        if (pi < m && pat[pi] == '*') {
            starP = pi++;
            starS = si;
        } else if (pi < m && (pat[pi] == '?' || pat[pi] == s[si])) {
            ++pi;
            ++si;
        } else if (starP != std::size_t(-1)) {
            pi = starP + 1;
            si = ++starS;
        } else {
            return false;
        }
    }
    while (pi < m && pat[pi] == '*')
        ++pi;
    return pi == m;
}

struct LoweredName
{
    const unsigned char *p;
    unsigned char operator[](std::size_t i) const { return lowerAscii(p[i]); }
};

bool equalLowered(const unsigned char *name, const std::string &lit)
{
    for (std::size_t i = 0; i < lit.size(); ++i)
        if (lowerAscii(name[i]) != static_cast<unsigned char>(lit[i]))
            return false;
    return true;
}

} // namespace

bool isAscii(std::string_view text)
{
    unsigned char any = 0;
    for (char c : text)
        any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b)
{
    if (isAscii(a) && isAscii(b)) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (lowerAscii(a[i]) != lowerAscii(b[i]))
                return false;
        return true;
    }
    std::u32string fa, fb;
    foldUtf8(a, fa);
    foldUtf8(b, fb);
    return fa == fb;
}

FileMask::FileMask(std::string_view mask)
    : m_text(mask)
{
    m_ascii = isAscii(mask);
    m_lower.reserve(mask.size());
    for (char c : mask)
        m_lower.push_back(static_cast<char>(lowerAscii(static_cast<unsigned char>(c))));
    foldUtf8(mask, m_folded);
    if (mask == "*" || mask == "*.*") {
        m_kind = Kind::All;
        return;
    }
    const auto wild = [](std::string_view s) { return s.find_first_of("*?") != std::string_view::npos; };
    const std::string_view lower(m_lower);
    if (!m_ascii)
        m_kind = Kind::General;
    else if (!wild(lower))
        m_kind = Kind::Exact, m_literal = lower;
    else if (lower.size() > 1 && lower.front() == '*' && !wild(lower.substr(1)))
        m_kind = Kind::Suffix, m_literal = lower.substr(1);
    else if (lower.size() > 1 && lower.back() == '*' && !wild(lower.substr(0, lower.size() - 1)))
        m_kind = Kind::Prefix, m_literal = lower.substr(0, lower.size() - 1);
}

bool FileMask::matches(std::string_view name, bool nameIsAscii) const
{
    if (m_kind == Kind::All)
        return true;
    if (m_ascii && nameIsAscii) {
        const auto *n = reinterpret_cast<const unsigned char *>(name.data());
        switch (m_kind) {
        case Kind::Exact:
            return name.size() == m_literal.size() && equalLowered(n, m_literal);
        case Kind::Suffix:
            return name.size() >= m_literal.size()
                && equalLowered(n + name.size() - m_literal.size(), m_literal);
        case Kind::Prefix:
            return name.size() >= m_literal.size() && equalLowered(n, m_literal);
        default:
            return glob(LoweredName{n}, name.size(), m_lower, m_lower.size());
        }
    }
    thread_local std::u32string folded;
    foldUtf8(name, folded);
    return glob(folded, folded.size(), m_folded, m_folded.size());
}

DirectoryListing::~DirectoryListing()
{
    close();
}

void DirectoryListing::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

dev_t DirectoryListing::device() const
{
    struct stat st;
    return (m_fd >= 0 && ::fstat(m_fd, &st) == 0) ? st.st_dev : 0;
}

bool DirectoryListing::read(int dirFd, const char *name, bool followLink)
{
    close();
    m_entries.clear();
    m_fd = ::openat(dirFd, name,
                    O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK | (followLink ? 0 : O_NOFOLLOW));
    if (m_fd < 0)
        return false;
    constexpr std::size_t kChunk = 32768;
    std::size_t used = 0;
    for (;;) {
        if (m_buffer.size() < used + kChunk)
            m_buffer.resize(used + kChunk);
        const ssize_t n = ::getdents64(m_fd, m_buffer.data() + used, m_buffer.size() - used);
        if (n <= 0)
            break;
        std::size_t pos = used;
        const std::size_t stop = used + static_cast<std::size_t>(n);
        while (pos < stop) {
            const auto *d = reinterpret_cast<const dirent64 *>(m_buffer.data() + pos);
            const char *nm = d->d_name;
            std::size_t len = 0;
            unsigned char any = 0;
            while (nm[len]) {
                any |= static_cast<unsigned char>(nm[len]);
                ++len;
            }
            const bool dots = nm[0] == '.' && (len == 1 || (len == 2 && nm[1] == '.'));
            if (!dots) {
                m_entries.push_back({static_cast<std::uint32_t>(nm - m_buffer.data()),
                                     static_cast<std::uint32_t>(len), d->d_type, any < 0x80});
            }
            pos += d->d_reclen;
        }
        used = stop;
    }
    return true;
}

bool statEntry(int dirFd, const char *name, FindData &data)
{
    struct statx sx;
    if (::statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                STATX_TYPE | STATX_MODE | STATX_INO | STATX_SIZE | STATX_MTIME | STATX_ATIME | STATX_BTIME,
                &sx) != 0)
        return false;
    std::uint32_t attr;
    if (S_ISDIR(sx.stx_mode))
        attr = faDirectory;
    else if (S_ISREG(sx.stx_mode) || S_ISLNK(sx.stx_mode))
        attr = faArchive;
    else
        return false;
    if (name[0] == '.')
        attr |= faHidden;
    if (!(sx.stx_mode & S_IWUSR) && !S_ISLNK(sx.stx_mode))
        attr |= faReadOnly;
    data.Attributes = attr;
    data.FileSize = sx.stx_size;
    data.LastWriteTime = UnixToFileTime(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
    data.LastAccessTime = UnixToFileTime(sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec);
    data.CreationTime = (sx.stx_mask & STATX_BTIME)
        ? UnixToFileTime(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec)
        : data.LastWriteTime;
    data.LastWriteSeconds = sx.stx_mtime.tv_sec;
    data.VolumeId = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    data.FileId = sx.stx_ino;
    return true;
}

bool isFolderEntry(int dirFd, const char *name, unsigned char type)
{
    if (type != DT_UNKNOWN)
        return type == DT_DIR;
    struct stat st;
    return ::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) == 0
        && S_ISDIR(st.st_mode);
}

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
