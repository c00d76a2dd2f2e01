#include "ContentScan.h"

#include "Exception.h"
#include "ErrorTexts.h"
#include "UniqueFd.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace dm {

namespace {

[[noreturn]] void fail(const std::string &path, int error)
{
    throw EReadError(QStringLiteral("Не удалось прочитать файл «%1». %2")
                         .arg(QString::fromLocal8Bit(path.c_str()),
                              systemErrorText(error)));
}

// Up to max bytes; fewer only at the end of the file.
std::size_t readUpTo(int fd, unsigned char *buffer, std::size_t max, const std::string &path)
{
    std::size_t total = 0;
    while (total < max) {
        const ssize_t r = ::read(fd, buffer + total, max - total);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            fail(path, errno);
        }
        if (r == 0)
            break;
        total += static_cast<std::size_t>(r);
    }
    return total;
}

} // namespace

bool FileContainsPhrase(int FolderFd, const std::string &Path, const std::string &Phrase,
                        std::int32_t Length, bool WholeWord, const TByteTable &Table,
                        const std::atomic<bool> *Stop)
{
    // Non-blocking, so that a FIFO put in the file's place cannot hang the walk.
    // Closed on every way out of the scan.
    const UniqueFd file(::openat(FolderFd, Path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW));
    if (!file)
        fail(Path, errno);
    const int fd = file.get();
    struct stat st;
    if (::fstat(fd, &st) != 0)
        fail(Path, errno);
    if (!S_ISREG(st.st_mode))
        fail(Path, EINVAL);
    if (Length < 1 || static_cast<std::size_t>(Length) > Phrase.size())
        return false;
    const std::int64_t size = st.st_size;
    if (size < Length)
        return false;

    const std::size_t bufferSize = static_cast<std::size_t>(
        size <= kContentChunkSize ? size
                                  : (Length <= kContentChunkSize ? kContentChunkSize : Length + 1));
    // One spare byte: room for the byte after a whole-word match that fills
    // the whole buffer, which only a phrase of exactly the chunk size can do.
    std::vector<unsigned char> buffer(bufferSize + 1);
    unsigned char *const buf = buffer.data();
    const auto *phrase = reinterpret_cast<const unsigned char *>(Phrase.data());
    const std::bitset<256> &delimiters = WordDelimiters();
    const std::size_t length = static_cast<std::size_t>(Length);

    unsigned char prev = 0;
    bool pending = false;
    std::size_t n = readUpTo(fd, buf, bufferSize, Path);
    while (n > 0) {
        std::size_t p = 0;
        while (n > 0) {
            if (Table[buf[p]] == phrase[0] && (!WholeWord || delimiters[prev])) {
                std::size_t i = 1;
                for (;;) {
                    if (i == length) {
                        if (!WholeWord)
                            return true;
                        if (n > i) {
                            if (delimiters[buf[p + i]])
                                return true;
                            break;
                        }
                        pending = true;
                    }
                    if (n == i) {
                        // The buffered data ends inside the match: carry it over.
                        if (Stop && Stop->load(std::memory_order_relaxed))
                            return false;
                        std::memmove(buf, buf + p, i);
                        std::size_t room = bufferSize - i;
                        if (room == 0 && pending)
                            room = 1;
                        const std::size_t r = readUpTo(fd, buf + i, room, Path);
                        n = i + r;
                        p = 0;
                        if (n < length)
                            return false;
                        if (pending) {
                            if (r == 0 || delimiters[buf[i]])
                                return true;
                            pending = false;
                            break;
                        }
                    }
                    if (Table[buf[p + i]] != phrase[i])
                        break;
                    ++i;
                }
            }
            prev = buf[p];
            ++p;
            --n;
        }
        if (Stop && Stop->load(std::memory_order_relaxed))
            return false;
        n = readUpTo(fd, buf, bufferSize, Path);
    }
    return false;
}

} // namespace dm
