#pragma once
// Found files as the scan's worker records them, before the list takes them:
// rows of a few integers in fixed-size blocks and the names' bytes in blocks
// beside them, so that neither moves what it holds as the batch grows and a
// cleared batch is filled again without allocating.

#include "FileVersion.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <memory>
#include <string_view>
#include <vector>

namespace dm {

// One found file. `name` points to its bytes in a block of names that lives
// as long as the row; `folder` indexes the list's folder table, whose entry
// also holds the file's device: a file on another device than the one
// before it in its folder gets an entry of its own, so that a million rows
// need not carry eight bytes each that are nearly always the same.
struct FoundRow
{
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    std::int64_t changed = 0;
    std::uint32_t modifiedNanos = 0;
    std::uint32_t changedNanos = 0;
    const char *name = nullptr;
    std::uint32_t folder = 0;
    std::uint16_t nameLength = 0;
    std::uint16_t type = 0; // the catalog type that matched it

    FileVersion version(std::uint64_t device) const
    {
        return {device, inode, size, modified, changed, modifiedNanos, changedNanos};
    }
};
static_assert(sizeof(FoundRow) == 56);

// Bytes of many names, kept where they were written.
class NameArena
{
public:
    // Copies the bytes in and returns where they now lie.
    const char *add(std::string_view bytes);
    // Forgets the names but keeps the first block for reuse.
    void clear();
    // The blocks, for a reader that must keep the names alive.
    const std::vector<std::shared_ptr<char[]>> &blocks() const { return m_blocks; }

private:
    std::vector<std::shared_ptr<char[]>> m_blocks;
    std::size_t m_used = 0;     // in the last block
    std::size_t m_capacity = 0; // of the last block
};

// Rows as the list keeps them: blocks of a fixed size that never move, the
// check marks beside them (only the main thread touches those).
struct FoundChunk
{
    static constexpr std::size_t kRows = 4096;
    const FoundRow &row(std::size_t i) const { return std::launder(reinterpret_cast<const FoundRow *>(storage))[i]; }
    // Copies a row in; rows are written once, so the storage is left
    // uninitialised until then.
    void set(std::size_t i, const FoundRow &row) { std::memcpy(storage + i * sizeof(FoundRow), &row, sizeof row); }
    alignas(FoundRow) std::byte storage[kRows * sizeof(FoundRow)];
    bool checked[kRows];
};

class FoundBatch
{
public:
    static constexpr std::size_t kBlockRows = 4096;

    // New entries of the list's folder table (their bytes, ending in "/", and
    // the device of the files that will name the entry).
    void addFolder(std::string_view bytes, std::uint64_t device = 0)
    {
        m_folders.push_back(QByteArray(bytes.data(), qsizetype(bytes.size())));
        m_folderDevices.push_back(device);
    }
    // The version's device is its folder entry's.
    void addRow(std::string_view name, std::uint32_t folder, const FileVersion &version, std::uint16_t type = 0);

    std::size_t rowCount() const { return m_rows; }
    bool empty() const { return m_rows == 0 && m_folders.empty(); }
    const FoundRow &row(std::size_t i) const { return m_blocks[i / kBlockRows][i % kBlockRows]; }
    std::vector<QByteArray> &folders() { return m_folders; }
    const std::vector<std::uint64_t> &folderDevices() const { return m_folderDevices; }
    // Empties the batch, keeping its room.
    void clear();

private:
    std::vector<std::unique_ptr<FoundRow[]>> m_blocks;
    std::size_t m_rows = 0;
    NameArena m_names;
    std::vector<QByteArray> m_folders;
    std::vector<std::uint64_t> m_folderDevices;
};

} // namespace dm
