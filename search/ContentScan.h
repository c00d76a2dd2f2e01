#pragma once
// The phrase scan of the content test: a file read in chunks and searched
// byte by byte, optionally without regard to case and as a whole word.

#include "ByteTables.h"

#include <cstdint>
#include <string>

namespace dm {

// Chunk size of the scan for files larger than it (60 KB).
inline constexpr std::int64_t kContentChunkSize = 61440;

// True when the file at Path holds Phrase (Length bytes, at least 1), each file
// byte mapped through Table before comparison; with WholeWord the bytes before
// and after the occurrence (or the file's start and end) must be in
// WordDelimiters. Overlapping and chunk-straddling occurrences are found.
// Throws dm::Exception when the file cannot be opened or read, or is not a
// regular file.
bool FileContainsPhrase(const std::string &Path, const std::string &Phrase, std::int32_t Length,
                        bool WholeWord, const TByteTable &Table);

} // namespace dm
