#pragma once
// How many of the read-ahead's reads may be in flight at once, chosen from
// what the walk measures.
//
// On a cold cache a read costs more processor time in the kernel (the
// request, the block, the inode) than it waits for the disk: with two cores a
// cold walk keeps them busy, and each reader spends most of its time waiting
// for a processor. Reads beyond what the processors serve only queue up, and
// take turns from the walk, which must take every read in order. So the
// number follows the walk: every period of kPeriod folders taken, it grows
// while the walk found folders not read yet (the reads are behind), unless
// the last growth made the walk slower (then it goes back, and stays there
// a while); it shrinks by one while the walk finds every folder read, down
// to kStart: fewer are slower on a cold tree even when the walk is ahead
// (8 reads take 1.25 to 1.3 times as long as 16 there, and 16 a fifth
// longer than 32 on a machine loaded by other work), as the reads' share of
// busy processors follows their number. The walk cannot tell that: when it
// waits for a processor too, it still finds its folders read.

#include <cstddef>

namespace dm {

class ReadTuner
{
public:
    static constexpr std::size_t kPeriod = 128; // folders taken per measurement
    static constexpr unsigned kStart = 32;

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
    unsigned m_cap;
    unsigned m_reads;
    unsigned m_before = 0; // before the last growth
    int m_lastStep = 0;    // +1 grew, -1 shrank, 0 held
    unsigned m_hold = 0;   // periods left without growth after going back
    double m_lastRate = 0;
};

} // namespace dm
