#pragma once
// Resource limits for tests that need a full disk or an unopenable file.
// SIGXFSZ is left as the program leaves it: a write beyond the size limit
// must end in the error the code reports, not in the signal.

#include <sys/resource.h>

namespace dm::test {

// Lowers a resource limit of this process for as long as it lives: a file
// size limit makes the disk look full, a file handle limit makes every open
// fail, also for root.
class ScopedLimit
{
public:
    ScopedLimit(int resource, rlim_t value) : m_resource(resource)
    {
        getrlimit(m_resource, &m_old);
        rlimit lowered = m_old;
        lowered.rlim_cur = value;
        setrlimit(m_resource, &lowered);
    }
    ~ScopedLimit() { setrlimit(m_resource, &m_old); }
    ScopedLimit(const ScopedLimit &) = delete;
    ScopedLimit &operator=(const ScopedLimit &) = delete;

private:
    int m_resource;
    rlimit m_old{};
};

} // namespace dm::test
