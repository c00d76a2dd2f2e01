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
// as long as the row; `folder` indexes the list's folder table.
struct FoundRow
{
    FileVersion version;
    const char *name = nullptr;
    std::uint32_t folder = 0;
    std::uint16_t nameLength = 0;
    std::uint16_t type = 0; // the catalog type that matched it
};

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

    // New entries of the list's folder table (their bytes, ending in "/").
    void addFolder(std::string_view bytes) { m_folders.push_back(QByteArray(bytes.data(), qsizetype(bytes.size()))); }
    void addRow(std::string_view name, std::uint32_t folder, const FileVersion &version, std::uint16_t type = 0);

    std::size_t rowCount() const { return m_rows; }
    bool empty() const { return m_rows == 0 && m_folders.empty(); }
    const FoundRow &row(std::size_t i) const { return m_blocks[i / kBlockRows][i % kBlockRows]; }
    std::vector<QByteArray> &folders() { return m_folders; }
    // Empties the batch, keeping its room.
    void clear();

private:
    std::vector<std::unique_ptr<FoundRow[]>> m_blocks;
    std::size_t m_rows = 0;
    NameArena m_names;
    std::vector<QByteArray> m_folders;
};

} // namespace dm
