// The case-blind content scan of UTF-8 text: a file is read once, decoded
// and folded character by character and searched with a prefix table (no
// step back into bytes already read); a file that turns out not to be valid
// UTF-8 anywhere is scanned again byte by byte through the code page's table.

#include "ContentScan.h"

#include "ByteTables.h"
#include "ErrorTexts.h"
#include "Exception.h"
#include "NameMatch.h"
#include "UniqueFd.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace dm {

namespace {

// One character at p: its length, 0 when the bytes end inside it, -1 when
// the bytes are no valid UTF-8.
int decodeOne(const unsigned char *p, const unsigned char *end, char32_t *out)
{
    const unsigned char b = *p;
    int extra;
    char32_t c;
    if (b < 0x80) { *out = b; return 1; }
    if ((b & 0xE0) == 0xC0 && b >= 0xC2) { c = b & 0x1F; extra = 1; }
    else if ((b & 0xF0) == 0xE0) { c = b & 0x0F; extra = 2; }
    else if ((b & 0xF8) == 0xF0 && b <= 0xF4) { c = b & 0x07; extra = 3; }
    else return -1;
    for (int i = 1; i <= extra; ++i) {
        if (p + i >= end)
            return 0;
        if ((p[i] & 0xC0) != 0x80)
            return -1;
        c = (c << 6) | (p[i] & 0x3F);
    }
    if ((extra == 2 && c < 0x800) || (extra == 3 && (c < 0x10000 || c > 0x10FFFF)) || (c >= 0xD800 && c <= 0xDFFF))
        return -1;
    *out = c;
    return extra + 1;
}

bool isDelimiter(char32_t c)
{
    return c < 0x80 ? WordDelimiters()[c] : !isWordCharacter(c);
}

[[noreturn]] void fail(const std::string &path, int error)
{
    throw EReadError(QStringLiteral("Не удалось прочитать файл «%1». %2")
                         .arg(QString::fromLocal8Bit(path.c_str()), systemErrorText(error)));
}

} // namespace

bool isValidUtf8(std::string_view text)
{
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const auto *end = p + text.size();
    for (char32_t c; p < end;) {
        const int n = decodeOne(p, end, &c);
        if (n <= 0)
            return false;
        p += n;
    }
    return true;
}

bool FileContainsTextPhrase(int FolderFd, const std::string &Name, const std::string &Phrase, bool WholeWord,
                            const std::atomic<bool> *Stop)
{
    std::u32string phrase;
    foldName(Phrase, phrase);
    const std::size_t length = phrase.size();
    if (length == 0)
        return false;
    const UniqueFd file(::openat(FolderFd, Name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW));
    struct stat st;
    if (!file || ::fstat(file.get(), &st) != 0)
        fail(Name, errno);
    if (!S_ISREG(st.st_mode))
        fail(Name, EINVAL);
    // Prefix table: where to go on after a mismatch.
    std::vector<std::size_t> next(length, 0);
    for (std::size_t i = 1, k = 0; i < length; ++i) {
        while (k > 0 && phrase[i] != phrase[k])
            k = next[k - 1];
        if (phrase[i] == phrase[k])
            ++k;
        next[i] = k;
    }
    std::vector<char32_t> recent(length + 1, 0); // the last characters, for the one before a match
    std::size_t seen = 0, matched = 0;
    bool found = false, pending = false;
    std::vector<unsigned char> buffer(std::size_t(kContentChunkSize) + 4);
    std::size_t carried = 0; // bytes of a character cut by the chunk's end
    for (;;) {
        const ssize_t r = ::read(file.get(), buffer.data() + carried, std::size_t(kContentChunkSize));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            fail(Name, errno);
        if (Stop && Stop->load(std::memory_order_relaxed))
            return false;
        const unsigned char *p = buffer.data(), *end = p + carried + std::size_t(r);
        if (r == 0 && carried > 0)
            break; // the file ends inside a character: no UTF-8
        if (r == 0)
            return found || pending;
        bool valid = true;
        while (p < end) {
            char32_t c;
            const int n = decodeOne(p, end, &c);
            if (n < 0) {
                valid = false;
                break;
            }
            if (n == 0)
                break;
            p += n;
            if (found)
                continue; // the rest is only checked to be text
            if (pending) {
                if (isDelimiter(c)) {
                    found = true;
                    continue;
                }
                pending = false;
            }
            c = foldLetter(c);
            recent[seen % recent.size()] = c;
            ++seen;
            while (matched > 0 && c != phrase[matched])
                matched = next[matched - 1];
            if (c == phrase[matched])
                ++matched;
            if (matched == length) {
                const bool atStart = seen == length;
                const char32_t before = atStart ? 0 : recent[(seen - length - 1) % recent.size()];
                if (!WholeWord)
                    found = true;
                else if (atStart || isDelimiter(before))
                    pending = true;
                matched = next[matched - 1];
            }
        }
        if (!valid)
            break;
        carried = std::size_t(end - p);
        std::memmove(buffer.data(), p, carried);
    }
    // Not text: the code page's bytes, as ever.
    std::string folded = Phrase;
    for (char &c : folded)
        c = static_cast<char>(LowerCaseTable()[static_cast<unsigned char>(c)]);
    return FileContainsPhrase(FolderFd, Name, folded, std::int32_t(folded.size()), WholeWord, LowerCaseTable(), Stop);
}

} // namespace dm
