#pragma once
// Ranks of many names in the natural order (the locale's collation, case
// ignored, numbers by value), for the found list's first sort by name or by
// folder. Names of printable ASCII are keyed without the collator on every
// core; the rest (Cyrillic, accents) by the collator, and the two orders
// merged by it.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace dm {

// Ranks of n names (their bytes as the file system has them) in the natural
// order; equal names share a rank. Returns empty when `cancel` is raised
// meanwhile.
std::vector<std::uint32_t> collationRanks(std::size_t n, const std::function<std::string_view(std::size_t)> &bytes,
                                          const std::atomic<bool> &cancel);

} // namespace dm
