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
