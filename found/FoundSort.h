#pragma once
// The found list's order, computed apart from the list so that it can run on
// a worker: names and folders in the locale's collation (case ignored,
// numbers by value), sizes and times by value, ties keeping the order they
// had. Names and folders are ranked once (equal texts sharing a rank) and the
// ranks kept, so every later sort by them compares integers only.

#include "FoundBatch.h"
#include "FoundRanks.h"

#include <atomic>
#include <functional>

namespace dm {

using RowOrder = std::shared_ptr<const std::vector<std::uint32_t>>;

// What a sort reads: the rows as they are when it starts (shared, so that a
// list emptied meanwhile frees them only after the sort), and the ranks known.
struct SortInput
{
    int column = 0;
    bool descending = false;
    std::vector<std::shared_ptr<FoundChunk>> chunks;
    std::vector<std::shared_ptr<char[]>> names; // keeps the rows' names alive
    std::vector<QByteArray> folders;
    std::size_t rows = 0;
    RowOrder order;              // shown row -> stored row; null: all, as stored
    RowOrder nameRanks;          // per stored row, when known
    RowOrder folderRanks;        // per folder, when known
};

struct SortOutput
{
    RowOrder order; // null: cancelled
    RowOrder nameRanks;
    RowOrder folderRanks;
};

SortOutput sortRows(const SortInput &in, const std::atomic<bool> &cancel);

} // namespace dm
