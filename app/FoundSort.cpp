#include "FoundSort.h"

#include <QFile>
#include <algorithm>
#include <optional>
#include <queue>

namespace dm {

namespace {

// Texts whose keys are held at once while ranking.
constexpr std::size_t kSlice = 32 * 1024;

const FoundRow &rowAt(const SortInput &in, std::size_t stored)
{
    return in.chunks[stored / FoundChunk::kRows]->row(stored % FoundChunk::kRows);
}

QString nameText(const FoundRow &row)
{
    return QFile::decodeName(QByteArray::fromRawData(row.name, row.nameLength));
}

} // namespace

std::vector<std::uint32_t> collationRanks(std::size_t n, const std::function<QString(std::size_t)> &text,
                                          const std::atomic<bool> &cancel)
{
    const QCollator collator = naturalCollator();
    // Each slice sorted by its keys, which are then let go.
    std::vector<std::uint32_t> sorted(n);
    for (std::size_t begin = 0; begin < n; begin += kSlice) {
        if (cancel.load(std::memory_order_relaxed))
            return {};
        const std::size_t end = std::min(n, begin + kSlice);
        std::vector<std::pair<QCollatorSortKey, std::uint32_t>> keys;
        keys.reserve(end - begin);
        for (std::size_t i = begin; i < end; ++i)
            keys.emplace_back(collator.sortKey(text(i)), std::uint32_t(i));
        std::sort(keys.begin(), keys.end(), [](const auto &a, const auto &b) {
            return a.first.compare(b.first) < 0;
        });
        for (std::size_t i = begin; i < end; ++i)
            sorted[i] = keys[i - begin].second;
    }
    // The slices merged, each head's key made again as it comes up.
    struct Head
    {
        QCollatorSortKey key;
        std::size_t at, end;
    };
    const auto later = [](const Head &a, const Head &b) { return a.key.compare(b.key) > 0; };
    std::priority_queue<Head, std::vector<Head>, decltype(later)> heads(later);
    for (std::size_t begin = 0; begin < n; begin += kSlice)
        heads.push({collator.sortKey(text(sorted[begin])), begin, std::min(n, begin + kSlice)});
    std::vector<std::uint32_t> ranks(n);
    std::uint32_t rank = 0;
    std::optional<QCollatorSortKey> last;
    std::size_t done = 0;
    while (!heads.empty()) {
        if ((++done & 0x3FF) == 0 && cancel.load(std::memory_order_relaxed))
            return {};
        Head head = heads.top();
        heads.pop();
        if (last && last->compare(head.key) != 0)
            ++rank;
        ranks[sorted[head.at]] = rank;
        last = head.key;
        if (++head.at < head.end) {
            head.key = collator.sortKey(text(sorted[head.at]));
            heads.push(std::move(head));
        }
    }
    return ranks;
}

SortOutput sortRows(const SortInput &in, const std::atomic<bool> &cancel)
{
    SortOutput out{nullptr, in.nameRanks, in.folderRanks};
    if (in.column == 0 && !out.nameRanks) {
        auto ranks = collationRanks(in.rows, [&](std::size_t i) { return nameText(rowAt(in, i)); }, cancel);
        if (cancel.load())
            return out;
        out.nameRanks = std::make_shared<const std::vector<std::uint32_t>>(std::move(ranks));
    }
    if (in.column == 1 && !out.folderRanks) {
        auto ranks = collationRanks(
            in.folders.size(), [&](std::size_t i) { return QFile::decodeName(in.folders[i]); }, cancel);
        if (cancel.load())
            return out;
        out.folderRanks = std::make_shared<const std::vector<std::uint32_t>>(std::move(ranks));
    }

    // One 64-bit key per row, flipped for a descending sort; the row's place
    // before the sort breaks ties, so they keep their order either way.
    struct Keyed
    {
        std::uint64_t key;
        std::uint32_t place;
        bool operator<(const Keyed &o) const { return key != o.key ? key < o.key : place < o.place; }
    };
    // The rows shown: all stored ones, or fewer once some were taken away.
    const std::size_t shown = in.order ? in.order->size() : in.rows;
    std::vector<Keyed> keyed(shown);
    for (std::uint32_t place = 0; place < shown; ++place) {
        const std::uint32_t stored = in.order ? (*in.order)[place] : place;
        const FoundRow &row = rowAt(in, stored);
        std::uint64_t key = 0;
        switch (in.column) {
        case 0: key = (*out.nameRanks)[stored]; break;
        case 1: key = (*out.folderRanks)[row.folder]; break;
        case 2: key = row.version.size; break;
        default: key = std::uint64_t(row.version.modified) ^ (std::uint64_t(1) << 63); break;
        }
        keyed[place] = {in.descending ? ~key : key, place};
    }
    if (cancel.load())
        return out;
    std::sort(keyed.begin(), keyed.end());
    auto order = std::make_shared<std::vector<std::uint32_t>>(shown);
    for (std::size_t i = 0; i < shown; ++i)
        (*order)[i] = in.order ? (*in.order)[keyed[i].place] : keyed[i].place;
    out.order = std::move(order);
    return out;
}

} // namespace dm
