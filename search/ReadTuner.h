#pragma once
// How many of the read-ahead's reads may be in flight at once, chosen from
// what the walk measures.
//
// On a cold cache a read costs more processor time in the kernel (the
// request, the block, the inode) than it waits for the disk: with two cores a
// cold walk keeps them busy, and each reader spends most of its time waiting
// for a processor. Reads beyond what the processors serve only queue up, and
// take turns from the walk, which must take every read in order. So the
// number follows the walk: while the walk finds folders not read yet, one
// more quarter of reads is tried for a few periods of kPeriod folders taken,
// and kept only where the walk then went a tenth faster; otherwise it goes
// back, and waits longer before each next try. Where the processors are the
// limit (other work takes them, or the kernel's work per folder does), the
// walk waits for folders whatever their number, and more only cost. It
// shrinks by one while the walk finds every folder read, down to kStart:
// fewer are slower on a cold tree even when the walk is ahead (8 reads take
// 1.25 to 1.3 times as long as 16 there, and 16 a fifth longer than 32 on a
// machine loaded by other work).

#include <array>
#include <cstddef>

namespace dm {

class ReadTuner
{
public:
    static constexpr std::size_t kPeriod = 128; // folders taken per measurement
    static constexpr unsigned kStart = 32;
    static constexpr unsigned kTrial = 4; // periods a pace is measured over

    explicit ReadTuner(unsigned cap) : m_cap(cap), m_reads(cap < kStart ? cap : kStart) {}

    // At most this many reads in flight (0 without helpers).
    unsigned reads() const { return m_reads; }
    unsigned cap() const { return m_cap; }
    // Fewer helpers than asked for (the system refused more threads).
    void lowerCap(unsigned cap);

    // One period: of kPeriod folders taken, `waits` were not read when the
    // walk came to them; `rate`: folders taken per second. True when the
    // number changed.
    bool period(std::size_t waits, double rate);

private:
    // Periods before the next try after one that did not pay, doubled each
    // time up to kLongestHold (some 30,000 folders), back to kShortestHold
    // after one that paid.
    static constexpr unsigned kShortestHold = 8;
    static constexpr unsigned kLongestHold = 256;

    // Folders per second over the last kTrial periods.
    double recentPace() const;

    unsigned m_cap;
    unsigned m_reads;
    std::array<double, kTrial> m_seconds{}; // of the last periods, a ring
    unsigned m_next = 0;                    // where the next goes
    unsigned m_measured = 0;                // periods in it, up to kTrial
    unsigned m_trial = 0;                   // periods left in the try of a growth
    double m_trialSeconds = 0;
    double m_paceBefore = 0;
    unsigned m_before = 0; // reads before the growth on trial
    unsigned m_hold = 0;   // periods left before the next try
    unsigned m_nextHold = kShortestHold; // after the next try that does not pay
};

} // namespace dm
