#include "FoundRanks.h"

#include "NaturalOrder.h"

#include <QFile>
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <queue>
#include <thread>

namespace dm {

namespace {

using Bytes = std::function<std::string_view(std::size_t)>;

// Texts whose collation keys are held at once.
constexpr std::size_t kSlice = 32 * 1024;
// Below this many names one core does it all.
constexpr std::size_t kOneCore = 64 * 1024;

// Names in order, and for each whether it equals the one before.
struct Ordered
{
    std::vector<std::uint32_t> order;
    std::vector<bool> same;
};

QString textOf(std::string_view bytes)
{
    return QFile::decodeName(QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size())));
}

// The names of a share of the range that have ASCII keys, sorted by them,
// and those left to the collator. A key's first eight bytes are its entry's
// prefix; only what follows them is kept apart, behind a byte or three of
// length: for names of ten letters, about a third of the bytes kept before.
struct FastPart
{
    struct Entry
    {
        std::uint64_t prefix; // the key's first bytes, most significant first
        std::uint32_t offset; // of the rest of the key in `keys`
        std::uint32_t index;
    };
    // A key of up to eight bytes: its length; a longer one: 9 + the length
    // of the rest, or kLong and the length in two bytes.
    static constexpr std::size_t kPrefix = 8;
    static constexpr unsigned char kLong = 0xFF;
    std::vector<unsigned char> keys;
    std::vector<Entry> entries;
    std::vector<std::uint32_t> slow;

    void add(const unsigned char *key, std::size_t length, std::uint32_t index)
    {
        std::uint64_t prefix = 0;
        for (std::size_t b = 0; b < kPrefix; ++b)
            prefix = prefix << 8 | (b < length ? key[b] : 0);
        entries.push_back({prefix, std::uint32_t(keys.size()), index});
        const std::size_t rest = length > kPrefix ? length - kPrefix : 0;
        if (rest == 0) {
            keys.push_back(static_cast<unsigned char>(length));
        } else if (kPrefix + 1 + rest < kLong) {
            keys.push_back(static_cast<unsigned char>(kPrefix + 1 + rest));
        } else {
            keys.push_back(kLong);
            keys.push_back(static_cast<unsigned char>(rest & 0xFF));
            keys.push_back(static_cast<unsigned char>(rest >> 8));
        }
        keys.insert(keys.end(), key + std::min(length, kPrefix), key + length);
    }
    // The key past its prefix, and the whole key's length.
    std::pair<std::string_view, std::size_t> rest(const Entry &e) const
    {
        const unsigned char *at = keys.data() + e.offset;
        if (at[0] <= kPrefix)
            return {{}, at[0]};
        std::size_t rest = at[0] - kPrefix - 1, skip = 1;
        if (at[0] == kLong) {
            rest = std::size_t(at[1] | at[2] << 8);
            skip = 3;
        }
        return {{reinterpret_cast<const char *>(at + skip), rest}, kPrefix + rest};
    }
};

int compareEntries(const FastPart &pa, const FastPart::Entry &a, const FastPart &pb, const FastPart::Entry &b)
{
    if (a.prefix != b.prefix)
        return a.prefix < b.prefix ? -1 : 1;
    // Equal prefixes: a key shorter than its prefix is padded with zeros
    // there, so it comes before any longer key with the same bytes.
    const auto [ra, la] = pa.rest(a);
    const auto [rb, lb] = pb.rest(b);
    if (const int c = ra.compare(rb))
        return c < 0 ? -1 : 1;
    return la < lb ? -1 : la > lb ? 1 : 0;
}

void keyPart(FastPart &part, std::size_t begin, std::size_t end, const Bytes &bytes, const NaturalAsciiKeys &maker,
             const std::atomic<bool> &cancel)
{
    std::vector<unsigned char> key;
    part.entries.reserve(end - begin);
    // The keys' room at once: growing it would hold the old and the new
    // copy at the same time, the peak of the whole sort. A key is rarely
    // longer than half as much again as its name; room reserved and never
    // written is never made resident.
    std::size_t room = 0;
    for (std::size_t i = begin; i < end; ++i)
        room += 3 + bytes(i).size() * 3 / 2;
    part.keys.reserve(room);
    for (std::size_t i = begin; i < end; ++i) {
        if ((i & 0xFFF) == 0 && cancel.load(std::memory_order_relaxed))
            return;
        const std::string_view name = bytes(i);
        key.resize(NaturalAsciiKeys::room(name.size()));
        const int length = name.size() < 0x7FFF ? maker.make(name, key.data()) : -1;
        if (length < 0 || length > 0xFFFF) {
            part.slow.push_back(std::uint32_t(i));
            continue;
        }
        part.add(key.data(), std::size_t(length), std::uint32_t(i));
    }
    std::sort(part.entries.begin(), part.entries.end(), [&](const auto &a, const auto &b) {
        const int c = compareEntries(part, a, part, b);
        return c != 0 ? c < 0 : a.index < b.index;
    });
}

// The parts' sorted names merged into one order.
Ordered mergeParts(const std::vector<FastPart> &parts)
{
    Ordered out;
    std::size_t total = 0;
    for (const FastPart &p : parts)
        total += p.entries.size();
    out.order.reserve(total);
    out.same.reserve(total);
    std::vector<std::size_t> at(parts.size(), 0);
    const FastPart *lastPart = nullptr;
    const FastPart::Entry *last = nullptr;
    for (std::size_t done = 0; done < total; ++done) {
        std::size_t best = parts.size();
        for (std::size_t p = 0; p < parts.size(); ++p) {
            if (at[p] == parts[p].entries.size())
                continue;
            if (best == parts.size()
                || compareEntries(parts[p], parts[p].entries[at[p]], parts[best], parts[best].entries[at[best]]) < 0)
                best = p;
        }
        const FastPart::Entry &e = parts[best].entries[at[best]++];
        out.order.push_back(e.index);
        out.same.push_back(last && compareEntries(*lastPart, *last, parts[best], e) == 0);
        lastPart = &parts[best];
        last = &e;
    }
    return out;
}

// The names left to the collator, in its order: each slice sorted by its
// keys, which are then let go, and the slices merged, each head's key made
// again as it comes up, so the memory they take stays small.
std::optional<Ordered> collatorOrder(const std::vector<std::uint32_t> &names, const Bytes &bytes,
                                     const QCollator &collator, const std::atomic<bool> &cancel)
{
    const std::size_t n = names.size();
    const auto text = [&](std::size_t i) { return textOf(bytes(names[i])); };
    std::vector<std::uint32_t> sorted(n);
    for (std::size_t begin = 0; begin < n; begin += kSlice) {
        if (cancel.load(std::memory_order_relaxed))
            return {};
        const std::size_t end = std::min(n, begin + kSlice);
        std::vector<std::pair<QCollatorSortKey, std::uint32_t>> keys;
        keys.reserve(end - begin);
        for (std::size_t i = begin; i < end; ++i)
            keys.emplace_back(collator.sortKey(text(i)), std::uint32_t(i));
        std::stable_sort(keys.begin(), keys.end(), [](const auto &a, const auto &b) {
            return a.first.compare(b.first) < 0;
        });
        for (std::size_t i = begin; i < end; ++i)
            sorted[i] = keys[i - begin].second;
    }
    struct Head
    {
        QCollatorSortKey key;
        std::size_t at, end;
    };
    const auto later = [](const Head &a, const Head &b) { return a.key.compare(b.key) > 0; };
    std::priority_queue<Head, std::vector<Head>, decltype(later)> heads(later);
    for (std::size_t begin = 0; begin < n; begin += kSlice)
        heads.push({collator.sortKey(text(sorted[begin])), begin, std::min(n, begin + kSlice)});
    Ordered out;
    out.order.reserve(n);
    out.same.reserve(n);
    std::optional<QCollatorSortKey> last;
    while (!heads.empty()) {
        if ((out.order.size() & 0x3FF) == 0x3FF && cancel.load(std::memory_order_relaxed))
            return {};
        Head head = heads.top();
        heads.pop();
        out.order.push_back(names[sorted[head.at]]);
        out.same.push_back(last && last->compare(head.key) == 0);
        last = head.key;
        if (++head.at < head.end) {
            head.key = collator.sortKey(text(sorted[head.at]));
            heads.push(std::move(head));
        }
    }
    return out;
}

// The ASCII keys' weights for the collator's language, worked out once (a
// few milliseconds, which a list of 20,000 rows sorted on the main thread
// would feel at every first sort).
std::shared_ptr<const NaturalAsciiKeys> asciiKeys(const QCollator &collator)
{
    static std::mutex mutex;
    static QString language;
    static std::shared_ptr<const NaturalAsciiKeys> keys;
    const std::lock_guard lock(mutex);
    const QString name = collator.locale().name();
    if (!keys || name != language) {
        keys = std::make_shared<const NaturalAsciiKeys>(collator);
        language = name;
    }
    return keys;
}

} // namespace

std::vector<std::uint32_t> collationRanks(std::size_t n, const Bytes &bytes, const std::atomic<bool> &cancel)
{
    const QCollator collator = naturalCollator();
    const std::shared_ptr<const NaturalAsciiKeys> keys = asciiKeys(collator);
    const NaturalAsciiKeys &maker = *keys;
    const std::size_t cores = n < kOneCore ? 1 : std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4);
    std::vector<FastPart> parts(cores);
    {
        std::vector<std::jthread> helpers;
        for (std::size_t p = 1; p < cores; ++p)
            helpers.emplace_back([&, p] { keyPart(parts[p], n * p / cores, n * (p + 1) / cores, bytes, maker, cancel); });
        keyPart(parts[0], 0, n / cores, bytes, maker, cancel);
    }
    if (cancel.load())
        return {};
    std::vector<std::uint32_t> slowNames;
    for (FastPart &p : parts) {
        slowNames.insert(slowNames.end(), p.slow.begin(), p.slow.end());
        p.slow = {};
    }
    const Ordered fast = mergeParts(parts);
    parts = {};
    const std::optional<Ordered> slow = collatorOrder(slowNames, bytes, collator, cancel);
    if (!slow)
        return {};

    // Where each name left to the collator stands among the others: the
    // first of them not before it, searched from where the one before stood.
    const std::size_t nf = fast.order.size(), ns = slow->order.size();
    std::vector<std::size_t> place(ns);
    std::size_t from = 0;
    for (std::size_t j = 0; j < ns; ++j) {
        const QString s = textOf(bytes(slow->order[j]));
        const auto before = [&](std::size_t p) { return collator.compare(textOf(bytes(fast.order[p])), s) < 0; };
        std::size_t lo = from, step = 1;
        while (lo + step - 1 < nf && before(lo + step - 1)) {
            lo += step;
            step *= 2;
        }
        std::size_t hi = std::min(nf, lo + step - 1);
        while (lo < hi) {
            const std::size_t mid = lo + (hi - lo) / 2;
            if (before(mid))
                lo = mid + 1;
            else
                hi = mid;
        }
        place[j] = from = lo;
    }
    if (cancel.load())
        return {};

    // The two orders merged, a rank per run of equal names.
    std::vector<std::uint32_t> ranks(n);
    std::uint32_t rank = 0;
    bool any = false, lastSlow = false;
    std::uint32_t last = 0;
    const auto put = [&](std::uint32_t name, bool isSlow, bool sameKind) {
        bool same = false;
        if (any)
            same = lastSlow == isSlow ? sameKind
                                      : collator.compare(textOf(bytes(last)), textOf(bytes(name))) == 0;
        if (any && !same)
            ++rank;
        ranks[name] = rank;
        any = true;
        last = name;
        lastSlow = isSlow;
    };
    std::size_t j = 0;
    for (std::size_t p = 0; p <= nf; ++p) {
        for (; j < ns && place[j] == p; ++j)
            put(slow->order[j], true, slow->same[j]);
        if (p < nf)
            put(fast.order[p], false, fast.same[p]);
    }
    return ranks;
}

} // namespace dm
