#pragma once
// The one owner of a file descriptor: closes it when the owner goes, is moved
// but never copied, and lets go of it (release) where another owner takes it
// over, such as a QFile opened with AutoCloseHandle.

#include <cerrno>
#include <unistd.h>
#include <utility>

namespace dm {

class UniqueFd
{
public:
    UniqueFd() noexcept = default;
    explicit UniqueFd(int fd) noexcept : m_fd(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd &&other) noexcept : m_fd(other.release()) {}
    UniqueFd &operator=(UniqueFd &&other) noexcept
    {
        reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;

    // The descriptor, or -1.
    int get() const noexcept { return m_fd; }
    explicit operator bool() const noexcept { return m_fd >= 0; }

    // Gives the descriptor up to the caller, who closes it; -1 stays.
    int release() noexcept { return std::exchange(m_fd, -1); }

    // Closes the descriptor held, if any, and holds fd instead. errno stays
    // as it was, so a caller may close on the way out of a failed call and
    // still read why it failed.
    void reset(int fd = -1) noexcept
    {
        const int old = std::exchange(m_fd, fd);
        if (old >= 0 && old != fd) {
            const int saved = errno;
            ::close(old);
            errno = saved;
        }
    }

    // Closes now, for a caller that must know whether the close failed (a
    // write's last error may only show there): ::close's result, 0 when
    // nothing was held. Never retried: on Linux the descriptor is gone
    // whatever close returns.
    int close() noexcept { return m_fd < 0 ? 0 : ::close(std::exchange(m_fd, -1)); }

private:
    int m_fd = -1;
};

} // namespace dm
