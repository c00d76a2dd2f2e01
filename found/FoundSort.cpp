#include "FoundSort.h"

#include <algorithm>

namespace dm {

namespace {

const FoundRow &rowAt(const SortInput &in, std::size_t stored)
{
    return in.chunks[stored / FoundChunk::kRows]->row(stored % FoundChunk::kRows);
}

} // namespace

SortOutput sortRows(const SortInput &in, const std::atomic<bool> &cancel)
{
    SortOutput out{nullptr, in.nameRanks, in.folderRanks};
    if (in.column == 0 && !out.nameRanks) {
        auto ranks = collationRanks(in.rows, [&](std::size_t i) {
            const FoundRow &row = rowAt(in, i);
            return std::string_view(row.name, row.nameLength);
        }, cancel);
        if (cancel.load())
            return out;
        out.nameRanks = std::make_shared<const std::vector<std::uint32_t>>(std::move(ranks));
    }
    if (in.column == 1 && !out.folderRanks) {
        auto ranks = collationRanks(
            in.folders.size(), [&](std::size_t i) {
                return std::string_view(in.folders[i].constData(), std::size_t(in.folders[i].size()));
            }, cancel);
        if (cancel.load())
            return out;
        out.folderRanks = std::make_shared<const std::vector<std::uint32_t>>(std::move(ranks));
    }

    // The rows shown: all stored ones, or fewer once some were taken away.
    const std::size_t shown = in.order ? in.order->size() : in.rows;
    const auto storedAt = [&](std::uint32_t place) { return in.order ? (*in.order)[place] : place; };
    auto order = std::make_shared<std::vector<std::uint32_t>>(shown);
    if (in.column <= 1) {
        // A rank and the row's place before the sort in one 64-bit key: half
        // the memory of a key and a place apart, and a plainer sort. The
        // place breaks ties, so they keep their order either way.
        std::vector<std::uint64_t> keyed(shown);
        for (std::uint32_t place = 0; place < shown; ++place) {
            const std::uint32_t stored = storedAt(place);
            std::uint32_t rank = in.column == 0 ? (*out.nameRanks)[stored]
                                                : (*out.folderRanks)[rowAt(in, stored).folder];
            keyed[place] = std::uint64_t(in.descending ? ~rank : rank) << 32 | place;
        }
        if (cancel.load())
            return out;
        std::sort(keyed.begin(), keyed.end());
        for (std::size_t i = 0; i < shown; ++i)
            (*order)[i] = storedAt(std::uint32_t(keyed[i]));
        out.order = std::move(order);
        return out;
    }
    // One 64-bit key per row, flipped for a descending sort, and the place,
    // in twelve bytes rather than a padded sixteen: at a million rows this
    // array is the largest thing a sort by size or time makes.
    struct Keyed
    {
        std::uint32_t high, low, place;
        Keyed() = default;
        Keyed(std::uint64_t key, std::uint32_t place)
            : high(std::uint32_t(key >> 32)), low(std::uint32_t(key)), place(place)
        {
        }
        std::uint64_t key() const { return std::uint64_t(high) << 32 | low; }
        bool operator<(const Keyed &o) const { return key() != o.key() ? key() < o.key() : place < o.place; }
    };
    static_assert(sizeof(Keyed) == 12);
    std::vector<Keyed> keyed(shown);
    for (std::uint32_t place = 0; place < shown; ++place) {
        const FoundRow &row = rowAt(in, storedAt(place));
        const std::uint64_t key = in.column == 2 ? row.size : std::uint64_t(row.modified) ^ (std::uint64_t(1) << 63);
        keyed[place] = Keyed(in.descending ? ~key : key, place);
    }
    if (cancel.load())
        return out;
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t i = 0; i < shown; ++i)
        (*order)[i] = storedAt(keyed[i].place);
    out.order = std::move(order);
    return out;
}

} // namespace dm
