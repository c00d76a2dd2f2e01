#include "ReadTuner.h"

#include <algorithm>

namespace dm {

namespace {

// The walk is behind when an eighth of the folders it took were not read yet.
constexpr std::size_t kBehind = ReadTuner::kPeriod / 8;
// A growth is kept where the walk went this much faster: a period is a few
// milliseconds, and at the same number of reads a pace over kTrial of them
// still moves by several percent with the tree and the machine.
constexpr double kGain = 1.10;

} // namespace

void ReadTuner::lowerCap(unsigned cap)
{
    m_cap = std::min(m_cap, cap);
    m_reads = std::min(m_reads, m_cap);
    m_before = std::min(m_before, m_cap); // a try undone goes back no higher
}

double ReadTuner::recentPace() const
{
    double seconds = 0;
    for (const double s : m_seconds)
        seconds += s;
    return seconds > 0 ? double(kTrial * kPeriod) / seconds : 0;
}

bool ReadTuner::period(std::size_t waits, double rate)
{
    const unsigned was = m_reads;
    const double seconds = rate > 0 ? double(kPeriod) / rate : 0;
    if (m_trial > 0) {
        m_trialSeconds += seconds;
        if (--m_trial == 0) {
            const double pace = m_trialSeconds > 0 ? double(kTrial * kPeriod) / m_trialSeconds : 0;
            if (pace < m_paceBefore * kGain) {
                m_reads = m_before;
                m_hold = m_nextHold;
                m_nextHold = std::min(2 * m_nextHold, kLongestHold);
            } else {
                m_nextHold = kShortestHold;
            }
            m_measured = 0; // the next try compares with the pace from here
        }
        return m_reads != was;
    }
    m_seconds[m_next] = seconds;
    m_next = (m_next + 1) % kTrial;
    m_measured = std::min(m_measured + 1, kTrial);
    if (m_hold > 0)
        --m_hold;
    if (waits == 0 && m_reads > std::min(m_cap, kStart)) {
        --m_reads;
    } else if (waits >= kBehind && m_hold == 0 && m_measured >= kTrial && m_reads < m_cap) {
        m_paceBefore = recentPace();
        m_before = m_reads;
        m_reads = std::min(m_cap, m_reads + std::max(1u, m_reads / 4));
        m_trial = kTrial;
        m_trialSeconds = 0;
    }
    return m_reads != was;
}

} // namespace dm
