#pragma once
// The progress line on a terminal: rewritten in place at most every 100 ms,
// cut to the terminal's width, wiped before anything else is said.

#include "CleanRun.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <cstdint>
#include <string>

namespace dm {

class CleanProgress
{
public:
    explicit CleanProgress(const CleanIo &io) : m_io(io) { m_clock.start(); }
    ~CleanProgress() { clear(); }

    void scanning(std::uint32_t folders, std::size_t files, std::uint64_t kiloBytes, const std::string &folder);
    void deleting(std::size_t done, std::size_t total, const QByteArray &folder);
    void clear();

private:
    bool due();
    void show(const QString &head, const QByteArray &folder);

    const CleanIo &m_io;
    QElapsedTimer m_clock;
    qint64 m_last = -1000;
    bool m_shown = false;
};

} // namespace dm
