#include "ReadTuner.h"

#include <algorithm>

namespace dm {

namespace {

// The walk is behind when an eighth of the folders it took were not read yet.
constexpr std::size_t kBehind = ReadTuner::kPeriod / 8;
// A growth that cost a sixth of the pace is undone; smaller changes are the
// tree's own (folders of other sizes) and the machine's: periods a few
// milliseconds long move by a tenth at the same number of reads.
constexpr double kSlower = 0.85;
// Periods after going back before the next growth.
constexpr unsigned kHoldPeriods = 8;

} // namespace

void ReadTuner::lowerCap(unsigned cap)
{
    m_cap = std::min(m_cap, cap);
    m_reads = std::min(m_reads, m_cap);
}

bool ReadTuner::period(std::size_t waits, double rate)
{
    const unsigned was = m_reads;
    const bool held = m_hold > 0;
    if (held)
        --m_hold;
    if (m_lastStep > 0 && rate < m_lastRate * kSlower) {
        m_reads = m_before;
        m_hold = kHoldPeriods;
    } else if (waits >= kBehind) {
        if (!held) {
            m_before = m_reads;
            m_reads = std::min(m_cap, m_reads + std::max(1u, m_reads / 4));
        }
    } else if (waits == 0 && m_reads > std::min(m_cap, kStart)) {
        --m_reads;
    }
    m_lastStep = m_reads > was ? 1 : m_reads < was ? -1 : 0;
    m_lastRate = rate;
    return m_reads != was;
}

} // namespace dm
