#pragma once
// Long work on files (a deletion, a restore) on a thread of its own, so that
// the window stays painted and answers its Stop control. The window asks now
// and then how far the work got (never once per file: a listening screen
// reader would get one event per file) and reads the outcome once it has
// ended. Nothing here touches a widget.

#include <atomic>
#include <cstddef>
#include <thread>

namespace dm {

class BackgroundTask
{
public:
    BackgroundTask() = default;
    // Waits for the thread; a derived class's destructor must call finish()
    // first, since run() uses its members.
    virtual ~BackgroundTask() { finish(); }
    BackgroundTask(const BackgroundTask &) = delete;
    BackgroundTask &operator=(const BackgroundTask &) = delete;

    // Starts run() on the task's thread; once only.
    void start()
    {
        m_thread = std::thread([this] {
            run();
            m_finished.store(true, std::memory_order_release);
        });
    }
    // Asks the work to end after the current file.
    void stop() { m_stop.store(true, std::memory_order_relaxed); }
    bool stopRequested() const { return m_stop.load(std::memory_order_relaxed); }
    // Whether run() has returned: its outcome may be read then.
    bool finished() const { return m_finished.load(std::memory_order_acquire); }
    // Items handled so far.
    std::size_t done() const { return m_done.load(std::memory_order_relaxed); }

protected:
    virtual void run() = 0;
    // Stops the work and waits for it.
    void finish()
    {
        stop();
        if (m_thread.joinable())
            m_thread.join();
    }
    std::atomic<std::size_t> m_done{0};

private:
    std::atomic<bool> m_stop{false}, m_finished{false};
    std::thread m_thread;
};

} // namespace dm
