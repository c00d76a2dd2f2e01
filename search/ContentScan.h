#pragma once
// The phrase scan of the content test: a file read in chunks and searched
// byte by byte, optionally without regard to case and as a whole word.

#include "ByteTables.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace dm {

// Chunk size of the scan for files larger than it (60 KB).
inline constexpr std::int64_t kContentChunkSize = 61440;

// True when the file Name in the open folder FolderFd (AT_FDCWD: Name is a
// path) holds Phrase (Length bytes, at least 1), each file byte mapped through
// Table before comparison; with WholeWord the bytes before and after the
// occurrence (or the file's start and end) must be in WordDelimiters.
// Overlapping and chunk-straddling occurrences are found. A symbolic link is
// never followed: its target's content is not the entry's. False as soon as
// Stop (when given) is set, checked between chunks. Throws dm::Exception when
// the file cannot be opened or read, or is not a regular file.
bool FileContainsPhrase(int FolderFd, const std::string &Name, const std::string &Phrase,
                        std::int32_t Length, bool WholeWord, const TByteTable &Table,
                        const std::atomic<bool> *Stop = nullptr);

// The case-blind scan for a phrase of UTF-8 text (Phrase as given, not
// folded): in a file whose content is valid UTF-8 the letters of both are
// folded character by character (so "Ш" never matches "и", whose second
// bytes differ by the code page's case step); in any other file, bytes go
// through the code page's lower-case table as FileContainsPhrase does. With
// WholeWord, the characters around the occurrence must be no letters or
// digits. Throws as FileContainsPhrase does.
bool FileContainsTextPhrase(int FolderFd, const std::string &Name, const std::string &Phrase, bool WholeWord,
                            const std::atomic<bool> *Stop = nullptr);

// Whether text is valid UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(std::string_view text);

} // namespace dm
